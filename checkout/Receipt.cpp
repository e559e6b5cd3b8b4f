#include "checkout/Receipt.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "common/Maker.h"
#include "common/Pinyin.h"
#include "data/Errors.h"
#include "data/Numbers.h"

namespace {

constexpr int kNameBytes = 18;
// The layout's positions and fonts are meant for a roll printer of 203 dots per inch.
constexpr double kLayoutDpi = 203;
const QString kRule = QStringLiteral("-------------------------------");

int GbkWidth(QChar c) { return GbkBytes(QString(c)).size(); }

QString TwoDecimals(const QString& text) { return QString::asprintf("%.2f", StrToFloat(text.trimmed())); }

}  // namespace

QString ReceiptNameField(const QString& name) {
    QString field;
    int bytes = 0;
    for (const QChar c : name) {
        const int width = GbkWidth(c);
        if (bytes + width > kNameBytes) break;
        field += c;
        bytes += width;
    }
    if (bytes >= kNameBytes) return field + u' ';
    const int total = GbkBytes(name).size();
    if (total >= kNameBytes)
        return field + QString(kNameBytes - bytes + 1, u' ');  // cut before a wide character
    return field + QString(kNameBytes - bytes, u' ');
}

std::vector<ReceiptLine> ReceiptLayout(const ReceiptData& d) {
    std::vector<ReceiptLine> lines;
    lines.push_back({0, QStringLiteral("      POS小票销售凭证"), true});
    lines.push_back({40, kRule});
    lines.push_back({60, QStringLiteral("销售单号：") + d.saleNumber});
    lines.push_back({90, QStringLiteral("收银员：") + d.cashier});
    lines.push_back({120,
                     QStringLiteral("打印时间：") + d.saleDate.toString(QStringLiteral("yyyy-MM-dd")) + u' ' +
                         d.printTime.toString(QStringLiteral("HH:mm:ss ")),
                     false});
    lines.push_back({150, kRule});
    lines.push_back({180, QStringLiteral("商品名称         数量     金额 ")});
    int y = 210;
    for (const ReceiptItem& item : d.items) {
        lines.push_back({y, ReceiptNameField(item.name) + u' ' + FormatGeneral(item.quantity) +
                                QStringLiteral("      ") + FormatGeneral(item.amount)});
        y += 30;
    }
    const QString cash = TwoDecimals(d.cash);
    const QString change = TwoDecimals(d.change);
    lines.push_back({y, kRule});
    lines.push_back(
        {y + 30, QStringLiteral("总计:") + d.total + QStringLiteral("元  实收:") + d.received + u'元'});
    lines.push_back({y + 60, QStringLiteral("现金:") + cash + QStringLiteral("元  找零:") + change + u'元'});
    lines.push_back({y + 90, kRule});
    lines.push_back({y + 120, QStringLiteral("晨岚POS收银软件提供打印技术支持")});
    lines.push_back({y + 150, QStringLiteral("官网：") + QLatin1String(kMakerWebAddress)});
    lines.push_back({y + 180, kRule});
    lines.push_back({y + 210, QStringLiteral("         欢迎下次惠顾        ")});
    lines.push_back({y + 240, kRule});
    if (d.reprint) {
        // A copy must never pass for a second sale: the mark goes under the title, the rest moves down.
        for (size_t i = 1; i < lines.size(); ++i) lines[i].y += 30;
        lines.insert(lines.begin() + 1, {35, QStringLiteral("        （重打）")});
    }
    return lines;
}

void PaintReceipt(QPagedPaintDevice& device, const std::vector<ReceiptLine>& lines) {
    QPainter painter;
    if (!painter.begin(&device)) throw EPosError(QStringLiteral("打印机无法开始打印"));
    // Whatever the device counts in (a CUPS printer in high resolution has 1200 units per
    // inch), the painter counts in the layout's dots, so lines keep their real distances.
    painter.scale(device.logicalDpiX() / kLayoutDpi, device.logicalDpiY() / kLayoutDpi);
    // A Chinese character is exactly two Latin widths in this face, so the columns line up.
    QFont heading(QStringLiteral("Noto Sans Mono CJK SC"));
    QFont body(QStringLiteral("Noto Sans Mono CJK SC"));
    heading.setBold(true);
    heading.setPixelSize(qRound(10 * kLayoutDpi / 72));  // 10 points in dots
    body.setPixelSize(qRound(8 * kLayoutDpi / 72));
    heading.setStyleHint(QFont::Monospace);
    body.setStyleHint(QFont::Monospace);
    for (const ReceiptLine& line : lines) {
        painter.setFont(line.heading ? heading : body);
        const int ascent = painter.fontMetrics().ascent();
        painter.drawText(0, line.y + ascent, line.text);
    }
    if (!painter.end()) throw EPosError(QStringLiteral("打印机无法完成打印"));
}

void SetReceiptPaper(QPrinter& printer, int lengthMm) {
    const double width = printer.pageLayout().pageSize().size(QPageSize::Millimeter).width();
    printer.setPageSize(QPageSize(QSizeF(width, lengthMm), QPageSize::Millimeter, QStringLiteral("POS小票"),
                                  QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void PrintReceipt(const ReceiptData& data) {
    const std::vector<ReceiptLine> lines = ReceiptLayout(data);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) throw EPosError(QStringLiteral("没有设置默认打印机"));
    QPrinter printer(info, QPrinter::HighResolution);
    SetReceiptPaper(printer, 250);
    printer.setDocName(QStringLiteral("POS小票 ") + data.saleNumber.trimmed());
    PaintReceipt(printer, lines);
    if (printer.printerState() == QPrinter::Error) throw EPosError(QStringLiteral("打印机报告错误"));
}
