#include "toolkit/FloatingPanel.h"

#include <QMouseEvent>
#include <QToolButton>

FloatingPanel::FloatingPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    setCursor(Qt::SizeAllCursor);
}

void FloatingPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QFrame::mousePressEvent(event);
    m_dragging = true;
    m_grab = event->position().toPoint();
    raise();
}

void FloatingPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) return QFrame::mouseMoveEvent(event);
    QPoint target = mapToParent(event->position().toPoint() - m_grab);
    // Keep the panel inside the window so it can always be dragged back.
    if (const QWidget* host = parentWidget()) {
        target.setX(qBound(0, target.x(), qMax(0, host->width() - width())));
        target.setY(qBound(0, target.y(), qMax(0, host->height() - height())));
    }
    move(target);
}

void FloatingPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

QToolButton* MakeCloseIcon(QWidget* panel, int x, int y) {
    auto* close = new QToolButton(panel);
    close->setText(QStringLiteral("×"));
    close->setAutoRaise(true);
    close->setGeometry(x, y, 17, 17);
    close->setCursor(Qt::PointingHandCursor);
    close->setFocusPolicy(Qt::NoFocus);
    close->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; font-weight: bold; }"));
    return close;
}
