#include "common/SaleNumber.h"

#include "common/Pinyin.h"

QString SaleNumberText(const QString& operatorName, const QDate& today, qint64 counter) {
    const QString initials = PinyinCode(operatorName).left(3).toUpper();
    return QStringLiteral("%1%2%3%4%5 ")
        .arg(initials)
        .arg(today.year() % 100, 2, 10, QChar(u'0'))
        .arg(today.month())
        .arg(today.day())
        .arg(counter, 6, 10, QChar(u'0'));
}
