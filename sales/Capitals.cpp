#include "sales/Capitals.h"

#include "common/Dialogs.h"
#include "common/Pinyin.h"
#include "data/Numbers.h"

namespace {

// Positions 7, 11, 15, ...: the units of 万, 亿, 万亿 and so on, where a group of four digits ends.
bool IsGroupPosition(int position) { return position > 4 && (position + 1) % 4 == 0; }

// The code the first message shows: an ASCII character's own code, else the first byte of its GBK
// form (a character without one reads as "？", so 163).
int CharacterCode(const QString& text, qsizetype i) {
    const qsizetype length =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return static_cast<unsigned char>(GbkBytes(text.mid(i, length)).at(0));
}

void ReportUnreadable(int code) {
    Dialogs::ShowMessage(QString::number(code));
    Dialogs::ShowMessage(QStringLiteral("读取错误，应为数字"));
}

}  // namespace

QString CapitalDigit(QChar digit) {
    static const QString kNumerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    if (digit < u'0' || digit > u'9') return {};
    return kNumerals.at(digit.unicode() - u'0');
}

QString CapitalUnit(int position) {
    if (position < 1 || position > kMaxFenDigits) return {};
    if (position == 1) return QStringLiteral("分");
    if (position == 2) return QStringLiteral("角");
    if (position == 3) return {};
    const int inGroup = (position - 3) % 4;
    if (inGroup != 0) return QStringLiteral("拾佰仟").mid(inGroup - 1, 1);
    // Group g (1 at position 7) is 10^(4g) yuan: 万 for odd g, then one 亿 per 10^8. Up to position 27
    // this is the table (万 亿 万亿 亿亿 万亿亿 亿亿亿); past it the same pattern goes on.
    const int group = (position - 3) / 4;
    return (group % 2 ? QStringLiteral("万") : QString()) + QStringLiteral("亿").repeated(group / 2);
}

QString AmountInCapitals(const QString& amount) {
    for (qsizetype i = 0; i < amount.size(); ++i) {
        const QChar c = amount[i];
        if (c != u'.' && (c < u'0' || c > u'9')) {
            ReportUnreadable(CharacterCode(amount, i));
            return {};
        }
    }
    // A second decimal point never comes from the slip; such text reads as zero, whatever its length.
    if (amount.count(u'.') > 1) return {};

    const qsizetype point = amount.indexOf(u'.');
    const QString integerPart = point < 0 ? amount : amount.left(point);
    const QString fraction = point < 0 ? QString() : amount.mid(point + 1);
    QString fen = integerPart + (fraction + QStringLiteral("00")).left(2);
    qsizetype leadingZeros = 0;
    while (leadingZeros < fen.size() && fen[leadingZeros] == u'0') ++leadingZeros;
    fen.remove(0, leadingZeros);
    if (fen.isEmpty()) fen = QStringLiteral("0");
    // Refused rather than written with ever longer group words; the leading digit is the one named.
    if (fen.size() > kMaxFenDigits) {
        ReportUnreadable(fen[0].unicode());
        return {};
    }

    const int n = static_cast<int>(fen.size());
    QString result;
    bool zeroPending = false;
    bool groupOwed = true;
    for (int i = 0; i < n; ++i) {
        const int position = n - i;
        const QChar digit = fen[i];
        if (digit != u'0') {
            if (zeroPending) result += u'零';
            result += CapitalDigit(digit) + CapitalUnit(position);
            zeroPending = false;
            groupOwed = !IsGroupPosition(position);
        } else {
            zeroPending = true;
            // A group with a non-zero digit before its end still needs its word (壹拾万).
            if (IsGroupPosition(position) && groupOwed) {
                result += CapitalUnit(position);
                zeroPending = false;
                groupOwed = false;
            }
        }
        if (position == 3) {
            result += u'元';
            zeroPending = false;
        }
    }
    if (n >= 3 && fen.endsWith(QStringLiteral("00"))) result += u'整';
    return result;
}

QString AmountInCapitals(double amount) { return AmountInCapitals(FormatMoney(amount)); }
