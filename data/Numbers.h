#pragma once
// Number texts as the windows show and read them. They sit at the bottom layer because a
// dataset field reads a number as text in the general format.

#include <QString>

// Up to 15 significant digits, no trailing zeros: 25, 12.5, 0.1.
QString FormatGeneral(double value);
// A fixed number of decimals, rounded half away from zero on the value's shortest decimal text
// (so 1.005 gives 1.01 although its binary value lies just below); never "-0.00".
QString FormatFixed(double value, int decimals);
// Two decimals, for money totals: "0.00".
QString FormatMoney(double value);
// Text to number; blanks around the number are ignored, "." reads as 0 and "5." as 5.
// Throws EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(const QString& text);
// The same without the exception: false when the text is not a number.
bool TryStrToFloat(const QString& text, double* value);
