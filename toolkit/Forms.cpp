#include "toolkit/Forms.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "toolkit/DataGrid.h"

namespace {

class EnterClicksFocusedButton : public QObject {
public:
    EnterClicksFocusedButton(QDialog* dialog, Forms::EscapeKey escape)
        : QObject(dialog), m_dialog(dialog), m_escape(escape) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_dialog || event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (auto* button = qobject_cast<QPushButton*>(m_dialog->focusWidget())) button->click();
                break;
            case Qt::Key_Escape:
                if (m_escape == Forms::EscapeKey::Closes) return false;
                break;
            default:
                return false;
        }
        key->accept();
        return true;
    }

private:
    QDialog* m_dialog;
    Forms::EscapeKey m_escape;
};

}  // namespace

namespace Forms {

QFont PixelFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SongFont(int pixels, bool bold) { return PixelFont(QStringLiteral("宋体"), pixels, bold); }

Qt::WindowFlags ToolWindowFlags(Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void SetUpToolWindow(QWidget* window, const QString& title, QSize size) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    window->setFixedSize(size);
    window->setFont(SongFont(12));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

void SetTabOrder(std::initializer_list<QWidget*> widgets) {
    for (auto next = widgets.begin() + 1; next < widgets.end(); ++next)
        QWidget::setTabOrder(*(next - 1), *next);
}

QPushButton* Button(const QString& caption, QWidget* parent, const QRect& geometry, EnterKey enter) {
    auto* button = new QPushButton(caption, parent);
    button->setFixedSize(geometry.size());
    button->move(geometry.topLeft());
    button->setAutoDefault(enter == EnterKey::Presses);
    return button;
}

void ApplyListStyle(DataGrid* grid, int titleHeight) {
    grid->SetIndicator(true);
    grid->SetRowHeight(20);
    grid->SetTitleHeight(titleHeight);
    grid->SetRowColors(Qt::white, QColor(0xEE, 0xEE, 0xEE));
    grid->SetTitleColors(Qt::black, QColor(0x87, 0xCE, 0xEB));
}

void ClickFocusedButtonOnEnter(QDialog* dialog, EscapeKey escape) {
    dialog->installEventFilter(new EnterClicksFocusedButton(dialog, escape));
}

}  // namespace Forms

CriteriaBand::CriteriaBand(const QString& title, const std::vector<Field>& fields, const Layout& layout,
                           QWidget* parent)
    : QGroupBox(title, parent) {
    for (const Field& field : fields) {
        auto* label = new QLabel(field.column + QStringLiteral("："), this);
        label->setGeometry(field.at.x(), field.at.y() + 3, layout.labelWidth, 18);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(this);
        box->setObjectName(field.column);
        box->setGeometry(field.at.x() + layout.labelWidth + 2, field.at.y(), layout.boxWidth, 22);
        // The input method starts off; only a hint, so Chinese can still be typed into the name boxes.
        box->setInputMethodHints(Qt::ImhPreferLatin);
        connect(box, &QLineEdit::textChanged, this, &CriteriaBand::Changed);
        m_boxes.emplace_back(field.column, box);
    }
    // Enter in a search window never presses a button by itself: typing a search and Enter
    // must not pick or add anything.
    m_search = Forms::Button(QStringLiteral("查  询"), this, layout.search, Forms::EnterKey::LeftToWindow);
    m_search->setObjectName(QStringLiteral("searchButton"));
    m_clear = Forms::Button(QStringLiteral("清空条件"), this, layout.clear, Forms::EnterKey::LeftToWindow);
    m_clear->setObjectName(QStringLiteral("clearButton"));
    connect(m_search, &QPushButton::clicked, this, &CriteriaBand::Changed);
    connect(m_clear, &QPushButton::clicked, this, &CriteriaBand::Clear);
}

void CriteriaBand::SetConditionOrder(const QStringList& columns) {
    std::stable_sort(m_boxes.begin(), m_boxes.end(), [&columns](const auto& a, const auto& b) {
        return columns.indexOf(a.first) < columns.indexOf(b.first);
    });
}

QLineEdit* CriteriaBand::Box(const QString& column) const {
    for (const auto& [name, box] : m_boxes)
        if (name == column) return box;
    return nullptr;
}

void CriteriaBand::Clear() {
    for (const auto& [column, box] : m_boxes) box->clear();
}
