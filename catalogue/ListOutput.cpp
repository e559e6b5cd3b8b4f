#include "catalogue/ListOutput.h"

#include <QDir>
#include <QFont>

#include "common/Maker.h"
#include "toolkit/GridPrinter.h"

namespace {
const QString kReportAuthor = QStringLiteral("晨岚POS收银系统");
}  // namespace

GridExportSettings ProductExportSettings() {
    GridExportSettings settings;
    settings.title = QStringLiteral("全部商品清单");
    settings.author = kReportAuthor;
    return settings;
}

void SetUpProductReport(GridPrinter& printer, const QDate& today) {
    printer.SetTitle(kReportAuthor + u' ' + QLatin1String(kMakerWebAddress));
    QFont header(QStringLiteral("MS Sans Serif"));
    header.setPixelSize(11);
    printer.SetPageHeader(QStringLiteral("Page. &[Page]"), header);
    QFont heading(QStringLiteral("Courier New"), 14);
    heading.setBold(true);
    printer.SetTextBefore({{QStringLiteral("全 部 商 品 报 表"), heading, Qt::AlignHCenter}});
    QFont after(QStringLiteral("Arial"), 10);
    after.setBold(true);
    printer.SetTextAfter({{QStringLiteral("%[Today]"), after, Qt::AlignLeft}});
    printer.SetSubstitution(QStringLiteral("%[Today]"), today.toString(QStringLiteral("yyyy-MM-dd")));
    printer.SetFont(QFont(QStringLiteral("Arial"), 9));
    printer.SetMargins(2);
}

QString LabelLayoutPath() { return QDir::current().filePath(QStringLiteral("2.fr3")); }
