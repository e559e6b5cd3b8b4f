#pragma once
// Pinyin-initial codes (商品 gives "sp") for the product search codes and the sale number. The
// conversion is defined on the GBK (code page 936) bytes of a text, the form the shop's data had.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The 23 initials in the order of the range table and the rare-character lists: no i, u or v.
inline constexpr char kPinyinLetters[] = "abcdefghjklmnopqrstwxyz";

// GBK has no form for some characters (emoji, most of the rarer CJK blocks, lone surrogates); such a
// character becomes the two bytes A3 BF of the full-width "？", so it stays one two-byte character
// that no table holds and its pinyin code is "!".
QByteArray GbkBytes(const QString& text);

// The initial of a two-byte character whose code (first × 256 + second) lies in the first-level
// area B0A1..D7F9, where GB 2312 is in pinyin order; '\0' outside it.
char PinyinInitialOf(unsigned char first, unsigned char second);

// The code of GBK bytes: plain characters copied, each other byte taken with the next one (a zero
// byte past the end) and turned into its initial, or "!" when no table holds the pair.
QByteArray PinyinCodeOfGbk(QByteArrayView gbk);

// The code of a text; callers trim it first where blanks at the ends matter.
QString PinyinCode(const QString& text);

// The stored GBK text of the rare-character list of kPinyinLetters[index] (0..22): every character
// followed by one blank, searched as bytes. Exposed so the tests can check every entry.
QByteArrayView PinyinRareList(int index);
