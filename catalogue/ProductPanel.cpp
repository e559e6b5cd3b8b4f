#include "catalogue/ProductPanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <stdexcept>

#include "common/KeyFilter.h"
#include "data/ColumnNames.h"

namespace {

enum class Input { Text, Latin, Price };

struct BoxSpec {
    const QString* column;
    const char* label;
    int x, y;
    Input input;
};

// Texts on the left, prices and the unit on the right; the order is the Enter order.
constexpr BoxSpec kBoxes[] = {
    {&ProductCol::Code, "商品编码：", 12, 22, Input::Latin},
    {&ProductCol::Category, "商品类别：", 12, 52, Input::Text},
    {&ProductCol::Name, "商品名称：", 12, 82, Input::Text},
    {&ProductCol::Model, "规格型号：", 12, 112, Input::Text},
    {&ProductCol::Supplier, "供货商：", 12, 142, Input::Text},
    {&ProductCol::PurchasePrice, "进货单价：", 262, 22, Input::Price},
    {&ProductCol::SalePrice, "销售单价：", 262, 52, Input::Price},
    {&ProductCol::MemberPrice, "会员价/批发价：", 262, 82, Input::Price},
    {&ProductCol::Unit, "单 位：", 262, 112, Input::Text},
};

constexpr int kLabelWidth = 96;
constexpr int kBoxWidth = 130;

QPushButton* PanelButton(const QString& caption, QWidget* parent, int x, int y) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(x, y, 108, 26);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

}  // namespace

ProductPanel::ProductPanel(QWidget* parent) : FloatingPanel(parent) {
    resize(504, 178);
    for (const BoxSpec& layout : kBoxes) {
        auto* label = new QLabel(QString::fromUtf8(layout.label), this);
        label->setGeometry(layout.x, layout.y + 3, kLabelWidth, 18);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(this);
        box->setGeometry(layout.x + kLabelWidth, layout.y, kBoxWidth, 22);
        box->setCursor(Qt::IBeamCursor);
        switch (layout.input) {
            case Input::Price:
                AcceptOnly(box, KeySet::Number);
                break;
            case Input::Latin:
                // Codes are typed or scanned in Latin letters: the input method starts off, and the
                // user may still switch it on.
                box->setInputMethodHints(Qt::ImhPreferLatin);
                break;
            case Input::Text:
                break;
        }
        box->installEventFilter(this);
        m_boxes.emplace_back(*layout.column, box);
    }

    m_add = PanelButton(QStringLiteral("新 建"), this, 262, 140);
    m_add->setAutoDefault(true);  // Enter on it adds the product: the end of the Enter chain
    m_modify = PanelButton(QStringLiteral("修 改"), this, 384, 140);
    m_close = MakeCloseIcon(this, width() - 22, 5);

    QWidget* previous = m_boxes.front().second;
    for (size_t i = 1; i < m_boxes.size(); ++i) {
        setTabOrder(previous, m_boxes[i].second);
        previous = m_boxes[i].second;
    }
    setTabOrder(previous, m_add);
    setTabOrder(m_add, m_modify);
}

QLineEdit* ProductPanel::Box(const QString& column) const {
    for (const auto& [name, box] : m_boxes)
        if (name == column) return box;
    throw std::out_of_range("ProductPanel: no box for " + column.toStdString());
}

QString ProductPanel::Text(const QString& column) const { return Box(column)->text(); }

void ProductPanel::Clear() {
    for (const auto& [name, box] : m_boxes) box->clear();
}

bool ProductPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            for (size_t i = 0; i < m_boxes.size(); ++i) {
                if (m_boxes[i].second != watched) continue;
                QWidget* next = i + 1 < m_boxes.size() ? static_cast<QWidget*>(m_boxes[i + 1].second) : m_add;
                next->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
    }
    return FloatingPanel::eventFilter(watched, event);
}
