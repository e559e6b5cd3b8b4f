#include "sales/SlipLayout.h"

#include <QPainter>

#include "common/Maker.h"
#include "data/ColumnNames.h"
#include "data/Dataset.h"
#include "sales/Capitals.h"

namespace {

const QString kIssuer = QStringLiteral("晨岚商贸");
const QString kTelephone = QStringLiteral("010-0000 0000");

// The table's column lines, shared by the header and every line.
const std::vector<double> kColumnLines = {42.2, 86.7, 101.5, 118.4, 135.3, 154.4};

constexpr int kTableFrame = SideTop | SideLeft | SideRight;

BandText Text(double x, double y, const QString& text, Anchor anchor = Anchor::Left, double clipWidth = 0) {
    BandText t;
    t.x = x;
    t.y = y;
    t.text = text;
    t.anchor = anchor;
    t.clipWidth = clipWidth;
    return t;
}

// The shop's mark, 56 × 58 pixels.
QImage Logo() {
    QImage image(56, 58, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    painter.drawEllipse(QRectF(2, 3, 52, 52));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(32);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(2, 3, 52, 52), Qt::AlignCenter, QStringLiteral("晨"));
    return image;
}

Band TitleBand(const SlipLabels& labels) {
    Band band;
    band.height = 21.2;
    band.pictures.push_back({{12.2, 0.3}, {14.8, 15.3}, Logo()});
    BandText title = Text(87, 0.5, kIssuer + QStringLiteral("销售单"), Anchor::Centre);
    title.font.points = 16;
    title.font.bold = true;
    band.texts.push_back(title);
    band.lines.push_back({{31.8, 8.7}, {134.7, 8.7}});
    band.lines.push_back({{31.8, 9.0}, {134.7, 9.0}});
    BandText contact = Text(82, 12.2,
                            QStringLiteral("官方网站：") + QLatin1String(kMakerWebAddress) +
                                QStringLiteral("   电话：") + kTelephone,
                            Anchor::Centre);
    contact.font.points = 10;
    band.texts.push_back(contact);
    band.texts.push_back(Text(135.5, 11.4, labels.number));
    return band;
}

Band CustomerBand(const SlipLabels& labels) {
    Band band;
    band.height = 7.4;
    band.frame = kTableFrame;
    band.texts = {Text(4.2, 1.6, QStringLiteral("客户名称：")), Text(88.9, 1.6, QStringLiteral("联系人：")),
                  Text(133.3, 1.6, labels.date)};
    return band;
}

Band AddressBand() {
    Band band;
    band.height = 7.4;
    band.frame = kTableFrame;
    band.texts = {Text(4.2, 1.6, QStringLiteral("客户地址：")),
                  Text(88.9, 1.6, QStringLiteral("联系电话："))};
    return band;
}

Band HeaderBand() {
    Band band;
    band.height = 8.5;
    band.frame = kTableFrame;
    band.separators = kColumnLines;
    const std::pair<double, const char*> captions[] = {
        {10.6, "商品名称"}, {55.0, "规格型号"}, {89.7, "单位"},  {104.5, "数 量"},
        {121.4, "单 价"},   {139.7, "金 额"},   {160.9, "备 注"}};
    for (const auto& [x, caption] : captions) {
        BandText text = Text(x, 2.1, QString::fromUtf8(caption));
        text.font.bold = true;
        band.texts.push_back(text);
    }
    return band;
}

Band DetailBand(const SlipLine& line) {
    Band band;
    band.height = 7.4;
    band.frame = kTableFrame;
    band.separators = kColumnLines;
    band.texts = {
        Text(2.1, 1.9, line.name, Anchor::Left, 38.4), Text(44.5, 1.9, line.model, Anchor::Left, 40.5),
        Text(93.3, 1.9, line.unit, Anchor::Centre),    Text(115.9, 1.9, line.quantity, Anchor::Right),
        Text(132.8, 1.9, line.price, Anchor::Right),   Text(151.9, 1.9, line.amount, Anchor::Right)};
    return band;
}

Band SummaryBand(const SlipLabels& labels) {
    Band band;
    band.height = 10.6;
    band.frame = SideAll;
    band.separators = {135.3};
    band.texts = {Text(5.0, 1.3, QStringLiteral("合 计")), Text(4.0, 5.6, QStringLiteral("人民币")),
                  Text(15.1, 3.2, labels.capitals)};
    BandText figure = Text(139.7, 3.2, labels.figure);
    figure.font.underline = true;
    band.texts.push_back(figure);
    return band;
}

Band SignatureBand(const SlipLabels& labels) {
    Band band;
    band.height = 8.5;
    band.texts = {Text(6.3, 2.1, QStringLiteral("收货人：")), Text(65.6, 2.1, QStringLiteral("送货人：")),
                  Text(130.7, 2.1, labels.issuer)};
    return band;
}

}  // namespace

SlipLabels FillSlipLabels(const QString& saleNumber, QDate date, const QString& total, const QString& user) {
    SlipLabels labels;
    labels.number = QStringLiteral("单 号：") + saleNumber;
    labels.date = QStringLiteral("开单日期：") + date.toString(QStringLiteral("yyyy-MM-dd"));
    labels.capitals = QStringLiteral("（大写） ") + AmountInCapitals(total);
    labels.figure = QStringLiteral("￥") + total;
    labels.issuer = QStringLiteral("开票人：") + user;
    return labels;
}

std::vector<SlipLine> SlipLines(const Dataset& sale) {
    const int columns[] = {sale.FieldIndex(LineCol::Name),      sale.FieldIndex(LineCol::Model),
                           sale.FieldIndex(LineCol::Unit),      sale.FieldIndex(LineCol::Quantity),
                           sale.FieldIndex(LineCol::SalePrice), sale.FieldIndex(LineCol::Amount)};
    const auto text = [&](int row, int column) {
        return column < 0 ? QString() : ValueText(sale.Value(row, column));
    };
    std::vector<SlipLine> lines;
    lines.reserve(size_t(sale.RecordCount()));
    for (int row = 0; row < sale.RecordCount(); ++row)
        lines.push_back({text(row, columns[0]), text(row, columns[1]), text(row, columns[2]),
                         text(row, columns[3]), text(row, columns[4]), text(row, columns[5])});
    return lines;
}

BandReport SlipReport(const SlipLabels& labels, const std::vector<SlipLine>& lines) {
    BandReport report;
    report.bandWidth = 180.2;
    report.titles = {TitleBand(labels), CustomerBand(labels), AddressBand()};
    report.columnHeader = HeaderBand();
    for (const SlipLine& line : lines) report.details.push_back(DetailBand(line));
    if (lines.empty()) report.details.push_back(DetailBand({}));
    Band trailing;
    trailing.height = 10.6;
    report.closing = {SummaryBand(labels), SignatureBand(labels), trailing};
    return report;
}

std::vector<ReportPage> SlipLayout(const SlipLabels& labels, const std::vector<SlipLine>& lines) {
    return SlipReport(labels, lines).Layout();
}
