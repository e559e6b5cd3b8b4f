#include "toolkit/GridPrinter.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "toolkit/DataGrid.h"

namespace {

// Pages are laid out in units of 1/600 inch, the same for the preview and every printer.
constexpr double kUnitsPerInch = 600;
constexpr double kUnitsPerPoint = kUnitsPerInch / 72;
constexpr double kPad = 1.5 * kUnitsPerPoint;  // around a cell's text
constexpr int kWrap = Qt::TextWrapAnywhere;

double FromMm(double mm) { return mm / 25.4 * kUnitsPerInch; }

}  // namespace

GridPrinter::GridPrinter(const DataGrid& grid)
    : m_grid(grid),
      m_layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
               QPageLayout::Millimeter),
      m_headerFont(QStringLiteral("MS Sans Serif"), 8),
      m_font(QStringLiteral("Arial"), 9) {}

void GridPrinter::SetTitle(const QString& title) {
    m_title = title;
    Restart();
}

void GridPrinter::SetPageHeader(const QString& text, const QFont& font) {
    m_header = text;
    m_headerFont = font;
    Restart();
}

void GridPrinter::SetTextBefore(QList<PrintLine> lines) {
    m_before = std::move(lines);
    Restart();
}

void GridPrinter::SetTextAfter(QList<PrintLine> lines) {
    m_after = std::move(lines);
    Restart();
}

void GridPrinter::SetSubstitution(const QString& placeholder, const QString& value) {
    m_substitutions[placeholder] = value;
    Restart();
}

void GridPrinter::SetMargins(double millimetres) {
    m_margins = millimetres;
    Restart();
}

void GridPrinter::SetFont(const QFont& font) {
    m_font = font;
    Restart();
}

void GridPrinter::SetPageLayout(const QPageLayout& layout) {
    m_layout = layout;
    Restart();
}

void GridPrinter::Restart() {
    m_geometryValid = false;
    m_pages.clear();
    m_nextItem = 0;
    m_used = 0;
    m_done = false;
}

QString GridPrinter::Substituted(const QString& text) const {
    QString result = text;
    for (const auto& [placeholder, value] : m_substitutions) result.replace(placeholder, value);
    return result;
}

QFont GridPrinter::Scaled(const QFont& font) const {
    // A font given in screen pixels is taken at 96 pixels an inch.
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    QFont scaled = font;
    scaled.setPixelSize(std::max(1, int(std::lround(points * kUnitsPerPoint))));
    return scaled;
}

double GridPrinter::LinesHeight(const QList<PrintLine>& lines) const {
    double height = 0;
    for (const PrintLine& line : lines) height += QFontMetricsF(Scaled(line.font)).height();
    return height;
}

bool GridPrinter::HasFooter() const {
    const Geometry& g = Layout();
    return std::any_of(g.columns.begin(), g.columns.end(),
                       [this](int c) { return m_grid.Column(c).footer != GridFooter::None; });
}

const GridPrinter::Geometry& GridPrinter::Layout() const {
    if (m_geometryValid) return m_geometry;
    Geometry g;
    const QRectF paper = m_layout.fullRect(QPageLayout::Millimeter);
    g.left = g.top = FromMm(m_margins);
    g.width = FromMm(paper.width()) - 2 * g.left;
    g.bottom = FromMm(paper.height()) - g.top;
    g.columns = m_grid.VisibleColumns();
    double total = 0;
    for (int c : g.columns) total += std::max(1, m_grid.Column(c).width);
    double x = g.left;
    for (int c : g.columns) {
        const double w = total > 0 ? g.width * std::max(1, m_grid.Column(c).width) / total : 0;
        g.x.push_back(x);
        g.w.push_back(w);
        x += w;
    }
    const QFontMetricsF header(Scaled(m_headerFont));
    g.headerHeight = header.height() + 4 * kUnitsPerPoint;  // the text, the double line, a gap
    g.firstPageHeight = LinesHeight(m_before);
    if (!m_title.isEmpty()) g.firstPageHeight += QFontMetricsF(Scaled(m_font)).height() * 1.5;
    g.lineHeight = QFontMetricsF(Scaled(m_font)).height() + 2 * kPad;
    g.afterHeight = LinesHeight(m_after);
    m_geometry = std::move(g);
    m_geometryValid = true;
    m_geometry.titleRowHeight = TitleRowHeight();
    m_geometry.footerHeight = HasFooter() ? m_geometry.lineHeight : 0;
    return m_geometry;
}

double GridPrinter::TitleRowHeight() const {
    const Geometry& g = m_geometry;
    QFont bold = Scaled(m_font);
    bold.setBold(true);
    const QFontMetricsF metrics(bold);
    double height = metrics.height();
    for (size_t i = 0; i < g.columns.size(); ++i) {
        const QString title = QString(m_grid.Column(g.columns[i]).title).replace(u'|', u'\n');
        height = std::max(height,
                          metrics.boundingRect(QRectF(0, 0, g.w[i] - 2 * kPad, 1e9), kWrap, title).height());
    }
    return height + 2 * kPad;
}

double GridPrinter::RowHeight(int row) const {
    const Geometry& g = Layout();
    const QFontMetricsF metrics(Scaled(m_font));
    double height = metrics.height();
    for (size_t i = 0; i < g.columns.size(); ++i) {
        const QString text = m_grid.CellText(row, g.columns[i]);
        const double room = g.w[i] - 2 * kPad;
        // Most cells fit on one line; only the others are measured wrapped.
        if (metrics.horizontalAdvance(text) <= room) continue;
        height = std::max(height, metrics.boundingRect(QRectF(0, 0, room, 1e9), kWrap, text).height());
    }
    return height + 2 * kPad;
}

bool GridPrinter::PaginateMore(int rows) {
    if (m_done) return true;
    const Geometry& g = Layout();
    const int count = m_grid.RowCount();
    const int footerItem = count, afterItem = count + 1;
    const auto capacity = [&](int page, int firstItem) {
        const bool titles = page == 0 || firstItem <= footerItem;
        return g.bottom - g.top - g.headerHeight - (page == 0 ? g.firstPageHeight : 0) -
               (titles ? g.titleRowHeight : 0);
    };
    if (m_pages.empty()) m_pages.push_back(0);
    for (int budget = rows; budget > 0 && m_nextItem <= afterItem; --budget, ++m_nextItem) {
        const double height = m_nextItem < count         ? RowHeight(m_nextItem)
                              : m_nextItem == footerItem ? g.footerHeight
                                                         : g.afterHeight;
        double room = capacity(int(m_pages.size()) - 1, m_pages.back());
        // A page always takes its first item, so the pages always advance.
        if (m_used + height > room && m_nextItem != m_pages.back()) {
            m_pages.push_back(m_nextItem);
            m_used = 0;
            room = capacity(int(m_pages.size()) - 1, m_nextItem);
        }
        m_used += std::min(height, std::max(0.0, room));
    }
    m_done = m_nextItem > afterItem;
    return m_done;
}

int GridPrinter::FirstRowOf(int page) const {
    return page >= 0 && page < KnownPages() ? std::min(m_pages[size_t(page)], m_grid.RowCount()) : -1;
}

double GridPrinter::PaintLines(QPainter& painter, const QList<PrintLine>& lines, double y) const {
    const Geometry& g = Layout();
    for (const PrintLine& line : lines) {
        const QFont font = Scaled(line.font);
        const double height = QFontMetricsF(font).height();
        painter.setFont(font);
        painter.drawText(QRectF(g.left, y, g.width, height), int(line.alignment | Qt::AlignVCenter),
                         Substituted(line.text));
        y += height;
    }
    return y;
}

double GridPrinter::PaintRow(QPainter& painter, double y, const std::vector<QString>& texts, double height,
                             const QFont& font, bool title, double limit) const {
    const Geometry& g = Layout();
    const double shown = std::min(height, limit - y);
    painter.setFont(font);
    for (size_t i = 0; i < g.columns.size(); ++i) {
        const GridColumn& column = m_grid.Column(g.columns[i]);
        const QRectF cell(g.x[i], y, g.w[i], shown);
        if (title) {
            const QColor background =
                column.titleBackground.isValid() ? column.titleBackground : QColor(0xDD, 0xE6, 0xF0);
            painter.fillRect(cell, background);
        }
        painter.setPen(QPen(Qt::black, 0.5 * kUnitsPerPoint));
        painter.drawRect(cell);
        painter.save();
        painter.setClipRect(cell);  // a row taller than the page is cut at its edge
        const Qt::Alignment alignment = title ? Qt::AlignCenter : column.alignment;
        painter.setPen(title && column.titleColor.isValid() ? column.titleColor : QColor(Qt::black));
        painter.drawText(cell.adjusted(kPad, kPad, -kPad, -kPad), int(alignment) | kWrap, texts[i]);
        painter.restore();
    }
    return y + shown;
}

void GridPrinter::PaintPage(QPainter& painter, int page, double dpi) const {
    if (page < 0 || page >= KnownPages()) return;
    const Geometry& g = Layout();
    painter.scale(dpi / kUnitsPerInch, dpi / kUnitsPerInch);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);

    // The page header: the page number over a double line.
    const QFont headerFont = Scaled(m_headerFont);
    const double headerText = QFontMetricsF(headerFont).height();
    painter.setFont(headerFont);
    QString header = m_header;
    header.replace(QLatin1String("&[Page]"), QString::number(page + 1));
    painter.drawText(QRectF(g.left, g.top, g.width, headerText), Qt::AlignCenter, header);
    painter.setPen(QPen(Qt::black, 0.5 * kUnitsPerPoint));
    const double line = g.top + headerText + kUnitsPerPoint;
    painter.drawLine(QPointF(g.left, line), QPointF(g.left + g.width, line));
    painter.drawLine(QPointF(g.left, line + 1.5 * kUnitsPerPoint),
                     QPointF(g.left + g.width, line + 1.5 * kUnitsPerPoint));
    double y = g.top + g.headerHeight;

    const int count = m_grid.RowCount();
    const int first = m_pages[size_t(page)];
    const int end = page + 1 < KnownPages() ? m_pages[size_t(page) + 1] : (m_done ? count + 2 : m_nextItem);
    if (page == 0) {
        if (!m_title.isEmpty()) {
            const QFont font = Scaled(m_font);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const double height = QFontMetricsF(font).height();
            painter.drawText(QRectF(g.left, y, g.width, height), Qt::AlignLeft | Qt::AlignVCenter,
                             Substituted(m_title));
            y += height * 1.5;
        }
        y = PaintLines(painter, m_before, y);
    }
    if (page == 0 || first <= count) {
        std::vector<QString> titles;
        for (int c : g.columns) titles.push_back(QString(m_grid.Column(c).title).replace(u'|', u'\n'));
        QFont bold = Scaled(m_font);
        bold.setBold(true);
        y = PaintRow(painter, y, titles, g.titleRowHeight, bold, true, g.bottom);
    }
    const QFont font = Scaled(m_font);
    for (int item = first; item < end; ++item) {
        std::vector<QString> texts;
        if (item < count) {
            for (int c : g.columns) texts.push_back(m_grid.CellText(item, c));
            y = PaintRow(painter, y, texts, RowHeight(item), font, false, g.bottom);
        } else if (item == count && g.footerHeight > 0) {
            for (int c : g.columns) texts.push_back(m_grid.FooterText(c));
            y = PaintRow(painter, y, texts, g.footerHeight, font, false, g.bottom);
        } else if (item == count + 1) {
            painter.setPen(Qt::black);
            y = PaintLines(painter, m_after, y);
        }
    }
}
