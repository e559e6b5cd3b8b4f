#include "data/Numbers.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "data/Errors.h"

QString FormatGeneral(double value) {
    if (value == 0) return QStringLiteral("0");  // also turns -0 into 0
    QString text = QString::number(value, 'g', 15);
    // 'g' writes 1e+15; the windows show the exponent without the plus sign and padding.
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(u'-');
        if (exponent.startsWith(u'+') || negative) exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(u'0')) exponent.remove(0, 1);
        text = mantissa + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return text;
}

QString FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return QString::number(value);
    // The shortest text that reads back as the same double is the decimal the user typed or the
    // sum of such decimals; rounding that text, not the binary value, makes 1.005 show as 1.01.
    QString text = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(u'.');
    QString whole = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);
    const bool roundUp = fraction.size() > decimals && fraction[decimals] >= u'5';
    fraction = fraction.left(decimals).leftJustified(decimals, u'0');
    QString digits = whole + fraction;
    if (roundUp) {
        qsizetype i = digits.size() - 1;
        for (; i >= 0 && digits[i] == u'9'; --i) digits[i] = u'0';
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits[i].unicode() + 1);
    }
    whole = digits.left(digits.size() - decimals);
    fraction = digits.right(decimals);
    QString result = decimals > 0 ? whole + u'.' + fraction : whole;
    // A value that rounds to zero shows without a sign: "-0.00" would read as a debt of nothing.
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; });
    if (value < 0 && !zero) result.prepend(u'-');
    return result;
}

QString FormatMoney(double value) { return FormatFixed(value, 2); }

bool TryStrToFloat(const QString& text, double* value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    qsizetype i = 0;
    if (t[i] == u'+' || t[i] == u'-') ++i;
    qsizetype digits = 0, points = 0;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            ++digits;
        } else if (c == u'.') {
            if (++points > 1) return false;
        } else if ((c == u'e' || c == u'E') && digits > 0) {
            break;
        } else {
            return false;
        }
    }
    if (i < t.size()) {  // exponent part: e, optional sign, at least one digit
        qsizetype j = i + 1;
        if (j < t.size() && (t[j] == u'+' || t[j] == u'-')) ++j;
        if (j >= t.size()) return false;
        for (; j < t.size(); ++j)
            if (t[j] < u'0' || t[j] > u'9') return false;
    }
    if (digits == 0) {
        // A lone point (with an optional sign) reads as zero.
        if (points == 1 && i == t.size()) {
            *value = 0;
            return true;
        }
        return false;
    }
    QString normal = t;
    if (normal.endsWith(u'.')) normal.chop(1);
    bool ok = false;
    const double v = normal.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

double StrToFloat(const QString& text) {
    double v = 0;
    if (!TryStrToFloat(text, &v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}
