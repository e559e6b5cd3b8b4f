#pragma once
// A panel that floats over the sale grid and moves when its background is dragged with the
// left mouse button, as if it had a title bar.

#include <QFrame>

class FloatingPanel : public QFrame {
    Q_OBJECT
public:
    explicit FloatingPanel(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    QPoint m_grab;
};

// The small close icon in a panel's top right corner.
class QToolButton;
QToolButton* MakeCloseIcon(QWidget* panel, int x, int y);
