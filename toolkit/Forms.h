#pragma once
// The pieces the windows are built from, one copy each so they look and behave alike: the pixel
// fonts, the tool-window frame, push buttons, the look of the lists, the Enter rule of the
// dialogs, and the criteria band of the product searches.

#include <QFont>
#include <QGroupBox>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>
#include <vector>

class DataGrid;
class QDialog;
class QLineEdit;
class QPushButton;

namespace Forms {

// A face at a size in pixels, the unit the fixed layouts are drawn in.
QFont PixelFont(const QString& family, int pixels, bool bold = false);
// 宋体, the face of every window.
QFont SongFont(int pixels, bool bold = false);

// A frame with a title and a close box only; `kind` is Qt::Dialog for a dialog.
Qt::WindowFlags ToolWindowFlags(Qt::WindowType kind = Qt::Window);
// A modeless tool window: its title, a fixed size, 宋体 12 px, centred on the screen, freed
// when closed.
void SetUpToolWindow(QWidget* window, const QString& title, QSize size);

enum class EnterKey {
    Presses,       // Enter on the focused button presses it (a plain window)
    LeftToWindow,  // the dialog decides (see ClickFocusedButtonOnEnter); no default-button rule
};
// Tab moves through the widgets in this order.
void SetTabOrder(std::initializer_list<QWidget*> widgets);

// A push button of a fixed size at a fixed place; in a layout only its size counts.
QPushButton* Button(const QString& caption, QWidget* parent, const QRect& geometry,
                    EnterKey enter = EnterKey::Presses);

// Indicator column, 20-pixel rows, white and light grey rows, black on sky-blue titles.
void ApplyListStyle(DataGrid* grid, int titleHeight = 20);

enum class EscapeKey { Closes, Ignored };
// Enter presses the focused push button and does nothing else, so an Enter typed into a box
// never reaches a default button. With EscapeKey::Ignored, Esc leaves the dialog open too.
void ClickFocusedButtonOnEnter(QDialog* dialog, EscapeKey escape = EscapeKey::Closes);

}  // namespace Forms

// A search's band of criteria boxes, each labelled with its column, with "查  询" and "清空条件".
// Every change of a box and the search button emit Changed; "清空条件" empties the boxes, each
// box that held text emitting Changed once more as it empties.
class CriteriaBand : public QGroupBox {
    Q_OBJECT
public:
    struct Field {
        QString column;
        QPoint at;  // of the label; the box follows on its right
    };
    struct Layout {
        int labelWidth;
        int boxWidth;
        QRect search;  // the two buttons
        QRect clear;
    };
    // `fields` in the order on screen, which is also the order of the conditions.
    CriteriaBand(const QString& title, const std::vector<Field>& fields, const Layout& layout,
                 QWidget* parent);

    // Adds the conditions in this order instead (every column of the band, once).
    void SetConditionOrder(const QStringList& columns);
    // (column, box) in the order of the conditions.
    const std::vector<std::pair<QString, QLineEdit*>>& Boxes() const { return m_boxes; }
    // The box of a column; nullptr for a column the band has no box for.
    QLineEdit* Box(const QString& column) const;
    QPushButton* SearchButton() const { return m_search; }
    QPushButton* ClearButton() const { return m_clear; }

    void Clear();

Q_SIGNALS:
    void Changed();

private:
    std::vector<std::pair<QString, QLineEdit*>> m_boxes;
    QPushButton* m_search = nullptr;
    QPushButton* m_clear = nullptr;
};
