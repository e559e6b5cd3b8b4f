#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionViewItem>

#include "toolkit/DataGridParts.h"

namespace GridParts {

TitleParts SplitTitle(const QString& title) {
    const qsizetype bar = title.indexOf(u'|');
    if (bar < 0) return {QString(), title};
    return {title.left(bar), title.mid(bar + 1)};
}

QColor GridLineColor(const QWidget* view) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    const QColor color =
        QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    return color.alpha() == 0 ? view->palette().color(QPalette::Mid) : color;
}

void DrawCell(QPainter* painter, const QRect& rect, const QString& text, const QColor& textColor,
              const QColor& background, const QColor& line, Qt::Alignment alignment, int rightSpace) {
    painter->fillRect(rect, background);
    painter->setPen(line);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QRect textRect = rect.adjusted(2, 0, -2 - rightSpace, 0);
    painter->setPen(textColor);
    painter->drawText(textRect, alignment,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
}

QSize TitleHeader::sizeHint() const { return {length(), d->levels * d->levelHeight()}; }

QRect TitleHeader::BandRect(int logical, const QString& upper) const {
    const auto sameUpper = [&](int visual) {
        const int other = logicalIndex(visual);
        return !isSectionHidden(other) && SplitTitle(d->columns[size_t(other)].title).upper == upper;
    };
    int first = visualIndex(logical), last = first;
    for (int v = first - 1; v >= 0; --v) {
        if (isSectionHidden(logicalIndex(v))) continue;
        if (!sameUpper(v)) break;
        first = v;
    }
    for (int v = last + 1; v < count(); ++v) {
        if (isSectionHidden(logicalIndex(v))) continue;
        if (!sameUpper(v)) break;
        last = v;
    }
    const int left = sectionViewportPosition(logicalIndex(first));
    const int right = sectionViewportPosition(logicalIndex(last)) + sectionSize(logicalIndex(last));
    return QRect(left, 0, right - left, d->levelHeight());
}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    if (logical < 0 || logical >= int(d->columns.size())) return;
    const TitleParts parts = SplitTitle(d->columns[size_t(logical)].title);
    const QColor line = GridLineColor(d->q);
    QRect cell = rect;
    if (d->levels == 2 && !parts.upper.isNull()) {
        const QRect band = BandRect(logical, parts.upper);
        // Every section paints its share of the band, so the text stays centred over the group.
        painter->save();
        painter->setClipRect(QRect(rect.left(), rect.top(), rect.width(), band.height()), Qt::IntersectClip);
        DrawCell(painter, band, parts.upper, d->titleTextColor(-1), d->titleBackgroundColor(-1), line,
                 Qt::AlignCenter);
        painter->restore();
        cell.setTop(rect.top() + band.height());
    }
    const bool marked = logical == d->marked;
    DrawCell(painter, cell, parts.lower, d->titleTextColor(logical), d->titleBackgroundColor(logical), line,
             Qt::AlignCenter, marked ? kMarkerSpace : 0);
    if (marked) {
        // A small triangle: pointing down for descending, up for ascending.
        const int cx = cell.right() - kMarkerSpace / 2 - 1, cy = cell.center().y();
        const QPolygon down({QPoint(cx - 4, cy - 2), QPoint(cx + 4, cy - 2), QPoint(cx, cy + 2)});
        const QPolygon up({QPoint(cx - 4, cy + 2), QPoint(cx + 4, cy + 2), QPoint(cx, cy - 2)});
        painter->setPen(Qt::NoPen);
        painter->setBrush(d->titleTextColor(logical));
        painter->drawPolygon(d->sortDescending ? down : up);
    }
}

void TitleHeader::mousePressEvent(QMouseEvent* event) {
    const int logical = logicalIndexAt(event->position().toPoint());
    m_pressedOnBand = d->levels == 2 && logical >= 0 &&
                      !SplitTitle(d->columns[size_t(logical)].title).upper.isNull() &&
                      event->position().y() < d->levelHeight();
    QHeaderView::mousePressEvent(event);
}

void IndicatorHeader::paintSection(QPainter* painter, const QRect& rect, int logical) const {
    DrawCell(painter, rect, QString(), QColor(), d->titleBackgroundColor(-1), GridLineColor(d->q), {});
    if (logical != d->view->currentIndex().row()) return;
    const int cx = rect.center().x(), cy = rect.center().y();
    painter->setPen(Qt::NoPen);
    painter->setBrush(d->titleTextColor(-1));
    painter->drawPolygon(QPolygon({QPoint(cx - 2, cy - 4), QPoint(cx - 2, cy + 4), QPoint(cx + 2, cy)}));
}

void FooterBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background =
        d->footerBackground.isValid() ? d->footerBackground : palette().color(QPalette::Window);
    const QColor line = GridLineColor(d->q);
    painter.fillRect(rect(), background);
    painter.setPen(line);
    painter.drawLine(0, 0, width() - 1, 0);
    const QWidget* viewport = d->view->viewport();
    const int left = viewport->mapTo(d->q, QPoint(0, 0)).x() - x();
    painter.setClipRect(left, 0, viewport->width(), height());
    const QHeaderView* titles = d->titles;
    for (int column : d->visibleColumns()) {
        const QRect cell(left + titles->sectionViewportPosition(column), 0, titles->sectionSize(column),
                         height());
        const GridColumn& c = d->columns[size_t(column)];
        // A fixed footer colour gets a text colour that stays readable under every skin.
        const QColor text = d->footerBackground.isValid()
                                ? (background.lightness() > 128 ? QColor(Qt::black) : QColor(Qt::white))
                                : palette().color(QPalette::Text);
        DrawCell(&painter, cell.adjusted(0, 1, 0, 1), d->footerText(column), text, background, line,
                 c.footerAlignment ? c.footerAlignment : c.alignment);
    }
}

}  // namespace GridParts
