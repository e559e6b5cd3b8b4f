#include "data/Numbers.h"

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

QString FormatMoney(double value) {
    QString text = QString::number(value, 'f', 2);
    if (text == QLatin1String("-0.00")) text = QStringLiteral("0.00");
    return text;
}

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
