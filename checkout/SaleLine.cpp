#include "checkout/SaleLine.h"

#include <cmath>

#include "data/Errors.h"
#include "data/Numbers.h"

namespace {

double FiniteNumber(const QString& text) {
    const double value = StrToFloat(text);
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

}  // namespace

bool IsValidQuantity(const QString& text) {
    if (text.isEmpty() || text.startsWith(u'.') || text.endsWith(u'.')) return false;
    int points = 0;
    for (const QChar c : text) {
        if (c == u'.')
            ++points;
        else if (c < u'0' || c > u'9')
            return false;
    }
    return points <= 1;
}

QString QuantityAnswerProblem(const QString& text) {
    double value = 0;
    if (!IsValidQuantity(text) || !TryStrToFloat(text, &value) || !std::isfinite(value))
        return QStringLiteral("数量“%1”不是有效的数字，请输入大于0的数量，例如 1 或 2.5。").arg(text);
    if (value <= 0) return QStringLiteral("数量必须大于0，请重新输入。");
    return {};
}

double PriceFromText(const QString& text) {
    const double value = FiniteNumber(text);
    if (value < 0) throw EPosError(QStringLiteral("销售单价不能是负数：%1").arg(text));
    return value;
}

double QuantityFromText(const QString& text) {
    const double value = FiniteNumber(text);
    if (value <= 0) throw EPosError(QStringLiteral("数量必须大于0：%1").arg(text));
    return value;
}

double PurchasePriceFromText(const QString& text) { return FiniteNumber(text); }

std::optional<double> MemberPriceFromText(const QString& text) {
    if (text.trimmed().isEmpty()) return std::nullopt;
    const double value = FiniteNumber(text);
    if (value < 0) throw EPosError(QStringLiteral("会员价不能是负数：%1").arg(text));
    return value;
}
