#pragma once
// Fills the pinyin-initial search codes (sppy, ghspy, lbpy) of products that have text but no code:
// rows from older versions or other programs. The pinyin criteria of the product searches find a
// product only through these codes.

class Connection;

// In one transaction; returns the number of products changed. A second run changes nothing.
int FillMissingPinyin(Connection& db);
