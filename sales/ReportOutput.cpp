#include "sales/ReportOutput.h"

#include <QFont>

#include "toolkit/GridPrinter.h"

GridExportSettings SalesExportSettings(const QString& operatorName) {
    GridExportSettings settings;
    settings.title = QStringLiteral("销 售 报 表");
    settings.author = operatorName;
    return settings;
}

void SetUpSalesReport(GridPrinter& printer, const QString& operatorName, const QDate& today) {
    QFont header(QStringLiteral("MS Sans Serif"));
    header.setPixelSize(11);
    printer.SetPageHeader(QStringLiteral("Page. &[Page]"), header);
    QFont heading(QStringLiteral("Arial"), 14);
    heading.setBold(true);
    printer.SetTextBefore(
        {{QStringLiteral("销 售 统 计 报 表"), heading, Qt::AlignHCenter}, {QString(), heading}});
    QFont blank(QStringLiteral("Arial"), 10);
    blank.setBold(true);
    printer.SetTextAfter({{QString(), blank},
                          {QStringLiteral("%[Today]"), QFont(QStringLiteral("宋体"), 10), Qt::AlignRight}});
    printer.SetSubstitution(QStringLiteral("%[Today]"), QStringLiteral("制表人：") + operatorName +
                                                            QStringLiteral("    日期：") +
                                                            today.toString(QStringLiteral("yyyy-MM-dd")));
    printer.SetFont(QFont(QStringLiteral("Arial"), 9));
    printer.SetMargins(2);
}
