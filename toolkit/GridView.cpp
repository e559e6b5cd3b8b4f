#include <QMouseEvent>

#include "toolkit/DataGridParts.h"

namespace GridParts {

bool GridView::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) d->fit();
    return handled;
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT d->q->RowDoubleClicked(rowAt(event->position().toPoint().y()));
}

void GridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) d->applyHeights();
}

}  // namespace GridParts
