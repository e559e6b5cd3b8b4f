#include "toolkit/LabelReport.h"

#include <zint.h>

#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <memory>

#include "data/Dataset.h"

namespace {

constexpr int kQuietModules = 10;  // each side of a Code 128 symbol

double Dots(double mm, double dpi) { return mm / 25.4 * dpi; }

}  // namespace

BarcodeBars Code128Bars(const QString& text) {
    BarcodeBars result;
    if (text.isEmpty()) return result;
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) return result;
    symbol->symbology = BARCODE_CODE128;  // picks code sets A, B and C itself: the shortest symbol
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->scale = 1;
    const QByteArray utf8 = text.toUtf8();
    const int status = ZBarcode_Encode_and_Buffer_Vector(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()), 0);
    if (status >= ZINT_ERROR || !symbol->vector || symbol->width <= 0) return result;
    // The vector is in units of the module; turn its rectangles back into whole modules.
    const double unit = double(symbol->vector->width) / symbol->width;
    result.modules = symbol->width;
    for (const zint_vector_rect* rect = symbol->vector->rectangles; rect; rect = rect->next)
        result.bars.emplace_back(int(std::lround(rect->x / unit)), int(std::lround(rect->width / unit)));
    std::sort(result.bars.begin(), result.bars.end());
    return result;
}

LabelReport::LabelReport(const Dataset& rows) : m_rows(rows) {}

bool LabelReport::LoadFromFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("标签版式文件（%1）无法读取：%2").arg(path, file.errorString());
        return false;
    }
    const LabelLayoutResult parsed = ParseLabelLayout(QString::fromUtf8(file.read(1 << 20)));
    if (!parsed.layout) {
        *error = QStringLiteral("标签版式文件（%1）有误，%2").arg(path, parsed.error);
        return false;
    }
    m_layout = *parsed.layout;
    return true;
}

QPageLayout LabelReport::PageLayout() const {
    // A custom size keeps its width and height as given; Landscape would swap them again.
    const QPageSize page(QSizeF(m_layout.pageWidth, m_layout.pageHeight), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    return QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

int LabelReport::KnownPages() const {
    const int perPage = m_layout.LabelsPerPage();
    return std::max(1, (m_rows.RecordCount() + perPage - 1) / perPage);
}

void LabelReport::PaintPage(QPainter& painter, int page, double dpi) const {
    const int perPage = m_layout.LabelsPerPage();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < perPage; ++i) {
        const int row = page * perPage + i;
        if (row >= m_rows.RecordCount()) break;
        const double x = m_layout.marginLeft + (i % m_layout.columns) * m_layout.labelWidth;
        const double y = m_layout.marginTop + (i / m_layout.columns) * m_layout.labelHeight;
        PaintLabel(painter, row, x, y, dpi);
    }
}

void LabelReport::PaintLabel(QPainter& painter, int row, double x, double y, double dpi) const {
    const LabelLayout& l = m_layout;
    const auto text = [&](const QString& field) {
        const int column = m_rows.FieldIndex(field);
        return column < 0 ? QString() : ValueText(m_rows.Value(row, column)).trimmed();
    };
    const double frameX = x + (l.labelWidth - l.frameWidth) / 2,
                 frameY = y + (l.labelHeight - l.frameHeight) / 2;
    const QRectF frame(Dots(frameX, dpi), Dots(frameY, dpi), Dots(l.frameWidth, dpi),
                       Dots(l.frameHeight, dpi));
    painter.setPen(QPen(Qt::black, Dots(0.2, dpi)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, Dots(l.frameRadius, dpi), Dots(l.frameRadius, dpi));

    // The name near the top, in the layout's font, cut to the frame's width.
    QFont font(l.nameFont);
    font.setPixelSize(std::max(1, int(std::lround(l.nameSize / 72.0 * dpi))));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QRectF nameBox(frame.left() + Dots(1, dpi), Dots(frameY + l.nameTop, dpi),
                         frame.width() - Dots(2, dpi), metrics.height());
    painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop,
                     metrics.elidedText(text(l.nameField), Qt::ElideRight, nameBox.width()));

    const QString code = text(l.barcodeField);
    const QRectF box(Dots(frameX + (l.frameWidth - l.barcodeWidth) / 2, dpi),
                     Dots(frameY + l.barcodeTop, dpi), Dots(l.barcodeWidth, dpi), Dots(l.barcodeHeight, dpi));
    QFont digits(QStringLiteral("DejaVu Sans Mono"));
    digits.setPixelSize(std::max(1, int(std::lround(Dots(2.4, dpi)))));
    const double textHeight = QFontMetricsF(digits).height();
    const BarcodeBars bars = Code128Bars(code);
    painter.setFont(digits);
    if (bars.bars.empty()) {
        // The symbology cannot hold this code: the code as text, so the label still says it.
        painter.drawText(box, Qt::AlignCenter, code);
        return;
    }
    // Modules of whole printer dots, as wide as the box allows with both quiet zones kept.
    const int total = bars.modules + 2 * kQuietModules;
    const double widest = box.width() / total;
    const double module = widest >= 1 ? std::floor(widest) : widest;
    const double left = std::round(box.left() + (box.width() - module * bars.modules) / 2);
    const double top = std::round(box.top());
    const double height = std::max(1.0, box.height() - textHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const auto& [start, width] : bars.bars)
        painter.drawRect(QRectF(left + start * module, top, width * module, height));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left(), top + height, box.width(), textHeight),
                     Qt::AlignHCenter | Qt::AlignTop, code);
}
