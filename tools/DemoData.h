#pragma once
// A small shop's worth of products and a few months of settled sales, for the demo folder and
// for trying the program by hand.

#include <QDate>

class Connection;

// Fills an empty database; sales run over the `months` months before `today`.
void FillDemoData(Connection& connection, const QDate& today, int months = 4);
// The EAN-13 check digit completes a 12-digit code.
QString Ean13(const QString& twelveDigits);
