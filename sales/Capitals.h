#pragma once
// The amount in Chinese capital numerals that the sales slip prints after "（大写） ".

#include <QString>

// An amount of yuan as plain decimal text ("2345.60") in capitals ("贰仟叁佰肆拾伍元陆角"), read from
// its digits; decimals past the second are dropped. The empty text for a zero amount and for text
// with more than one decimal point. Any character other than a digit or "." shows its code and then
// "读取错误，应为数字", and gives the empty text.
QString AmountInCapitals(const QString& amount);

// A money value read through its two-decimal figure (FormatMoney), the text the slip prints, so the
// capitals name exactly the fen printed beside them. The shortest round-trip text would not: 0.7 - 0.4
// is 0.29999999999999993, whose dropped decimals would read 贰角玖分 under a printed 0.30.
QString AmountInCapitals(double amount);

// The numeral of a digit '0'..'9'; the empty text for anything else.
QString CapitalDigit(QChar digit);

// The unit word after a non-zero digit at this position of the fen digits, counted from the right
// from 1 (分, 角, nothing for the units of yuan, then 拾 佰 仟 and a group word per four digits).
QString CapitalUnit(int position);

// The longest fen-digit string AmountInCapitals writes: the two-decimal figure of any finite double
// fits (at most 309 digits before the point). Longer amounts take the error path.
inline constexpr int kMaxFenDigits = 311;
