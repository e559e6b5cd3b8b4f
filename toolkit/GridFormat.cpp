#include "toolkit/GridFormat.h"

#include <algorithm>
#include <stdexcept>

#include "data/Dataset.h"
#include "data/Numbers.h"

int ParseGridFormat(const QString& format) {
    if (format.isEmpty()) return -1;
    if (format == QLatin1String("0")) return 0;
    const bool decimals = format.size() > 2 && format.startsWith(QLatin1String("0.")) &&
                          std::all_of(format.begin() + 2, format.end(), [](QChar c) { return c == u'0'; });
    if (!decimals)
        throw std::invalid_argument("DataGrid: unsupported number format '" + format.toStdString() + "'");
    return int(format.size() - 2);
}

QString FormatGridNumber(double value, int decimals) {
    if (decimals < 0) return FormatGeneral(value);
    // Half away from zero on the decimal value (1.005 shows 1.01), and never "-0.00".
    return FormatFixed(value, decimals);
}

bool IsNumberValue(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return true;
        default:
            return false;
    }
}

QString GridCellText(const QVariant& value, int decimals) {
    return decimals >= 0 && IsNumberValue(value) ? FormatGridNumber(value.toDouble(), decimals)
                                                 : ValueText(value);
}

double FooterAddend(const QVariant& value) {
    if (IsNumberValue(value)) return value.toDouble();
    double number = 0;
    if (value.typeId() == QMetaType::QString && TryStrToFloat(value.toString(), &number)) return number;
    return 0;
}

double FooterSum(const Dataset& dataset, int field) {
    if (field < 0) return 0;
    double sum = 0;
    for (int row = 0; row < dataset.RecordCount(); ++row) sum += FooterAddend(dataset.Value(row, field));
    const double rounded = QString::number(sum, 'f', 4).toDouble();
    return rounded == 0 ? 0.0 : rounded;
}
