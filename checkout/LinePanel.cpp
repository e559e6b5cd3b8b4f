#include "checkout/LinePanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "common/MainFormOps.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/Query.h"

namespace {

QLineEdit* AddField(QWidget* panel, const QString& caption, int y, int width, bool editable) {
    auto* label = new QLabel(caption, panel);
    label->setGeometry(25, y + 2, 80, 18);
    auto* edit = new QLineEdit(panel);
    edit->setGeometry(105, y, width, 22);
    edit->setCursor(Qt::IBeamCursor);
    if (editable) {
        AcceptOnly(edit, KeySet::Number);
    } else {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    return edit;
}

}  // namespace

LinePanel::LinePanel(QWidget* parent, Query& grid, MainFormOps& main)
    : FloatingPanel(parent), m_grid(grid), m_main(main) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    setFont(font);
    setGeometry(424, 185, 249, 208);
    m_price = AddField(this, QStringLiteral("销售单价："), 21, 80, true);
    m_memberPrice = AddField(this, QStringLiteral("会员价："), 56, 80, false);
    m_quantity = AddField(this, QStringLiteral(" 数 量："), 91, 48, true);
    m_amount = AddField(this, QStringLiteral("销售合计："), 127, 80, false);
    m_price->setText(QStringLiteral("0"));
    m_memberPrice->setText(QStringLiteral("0"));
    m_quantity->setText(QStringLiteral("1"));

    auto* up = new QToolButton(this);
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(154, 91, 16, 11);
    auto* down = new QToolButton(this);
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(154, 102, 16, 11);
    for (QToolButton* b : {up, down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setCursor(Qt::ArrowCursor);
    }
    connect(up, &QToolButton::clicked, this, [this] { StepQuantity(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepQuantity(-1); });

    m_save = new QPushButton(QStringLiteral("修 改"), this);
    m_save->setGeometry(80, 160, 91, 25);
    m_save->setAutoDefault(true);  // Enter presses it when it has the focus
    m_save->setEnabled(false);
    m_save->setCursor(Qt::ArrowCursor);
    connect(m_save, &QPushButton::clicked, this, &LinePanel::SaveLine);

    m_close = MakeCloseIcon(this, 204, 13);
    connect(m_close, &QToolButton::clicked, this, &LinePanel::ClosePanel);

    for (QLineEdit* edit : {m_price, m_quantity}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, &LinePanel::LiveAmount);
    }
    hide();
}

QString LinePanel::Price() const { return m_price->text(); }
QString LinePanel::MemberPrice() const { return m_memberPrice->text(); }
QString LinePanel::Quantity() const { return m_quantity->text(); }
QString LinePanel::Amount() const { return m_amount->text(); }
void LinePanel::SetPrice(const QString& text) {
    m_price->setText(text);
    UpdateAmount();
}
void LinePanel::SetMemberPrice(const QString& text) { m_memberPrice->setText(text); }
void LinePanel::SetQuantity(const QString& text) {
    m_quantity->setText(text);
    UpdateAmount();
}
void LinePanel::SetAmount(const QString& text) { m_amount->setText(text); }
void LinePanel::SetSaveEnabled(bool enabled) { m_save->setEnabled(enabled); }
bool LinePanel::SaveEnabled() const { return m_save->isEnabled(); }

void LinePanel::UpdateAmount() {
    if (m_price->text().isEmpty() || m_quantity->text().isEmpty()) return;
    m_amount->setText(FormatGeneral(StrToFloat(m_price->text()) * StrToFloat(m_quantity->text())));
}

void LinePanel::LiveAmount() {
    try {
        UpdateAmount();
    } catch (const EConvertError& error) {
        // Shown at once while typing; the box keeps the text and the amount its last value.
        Dialogs::ShowError(error.Message());
    }
}

void LinePanel::ComputeLine() {
    if (m_price->text().isEmpty() || m_quantity->text().isEmpty()) return;
    const double price = StrToFloat(m_price->text());
    const double quantity = StrToFloat(m_quantity->text());
    m_amount->setText(FormatGeneral(price * quantity));
    m_working.profit = FormatGeneral(quantity * (price - StrToFloat(m_working.purchasePrice)));
}

void LinePanel::SaveLine() {
    ComputeLine();
    if (!Dialogs::Confirm(QStringLiteral("你确实要修改选中资料吗？"))) return;
    m_grid.UpdateCurrent(QStringLiteral("data"), {{QStringLiteral("4"), m_price->text()},
                                                  {QStringLiteral("3"), m_memberPrice->text()},
                                                  {QStringLiteral("2"), m_quantity->text()},
                                                  {QStringLiteral("6"), m_amount->text()},
                                                  {QStringLiteral("7"), m_working.profit}});
    m_main.ReloadSaleGrid();
    hide();
    Dialogs::ShowMessage(QStringLiteral("修改数据成功！"));
    m_main.RefreshSaleTotals();
    m_main.EntryField()->setFocus();
}

void LinePanel::ClearLine() {
    m_price->setText(QString());
    m_quantity->setText(QStringLiteral("1"));
    m_amount->setText(QStringLiteral("0"));
    m_working.purchasePrice.clear();
    m_memberPrice->setText(QString());
    m_working.unit.clear();
}

void LinePanel::ClosePanel() {
    hide();
    ClearLine();
    m_save->setEnabled(false);
    m_main.EntryField()->setFocus();
}

void LinePanel::HideToEntry() {
    hide();
    m_main.EntryField()->setFocus();
}

void LinePanel::FocusQuantity() {
    m_quantity->setFocus();
    m_quantity->selectAll();
}

void LinePanel::FocusPrice() {
    m_price->setFocus();
    m_price->selectAll();
}

void LinePanel::StepQuantity(int steps) {
    double current = 0;
    TryStrToFloat(m_quantity->text(), &current);
    const int position = qBound(0, int(std::floor(current)) + steps, 100);
    m_quantity->setText(QString::number(position));
    LiveAmount();
}

bool LinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return FloatingPanel::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        HideToEntry();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (watched == m_price)
            FocusQuantity();
        else
            m_save->setFocus();
        return true;
    }
    return FloatingPanel::eventFilter(watched, event);
}
