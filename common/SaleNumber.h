#pragma once

#include <QDate>
#include <QString>

// The operator's first three pinyin initials in upper case, the year's last two digits, the
// month and the day without leading zeros, the counter with at least six digits, one blank:
// 超级管理员 on 9 March 2024 with 15 gives "CJG2439000015 ".
QString SaleNumberText(const QString& operatorName, const QDate& today, qint64 counter);
