#include "checkout/LinePanel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "checkout/SaleLine.h"
#include "common/Dialogs.h"
#include "common/KeyFilter.h"
#include "data/ColumnNames.h"
#include "data/Connection.h"
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

LinePanel::LinePanel(QWidget* parent, Query& grid, QLineEdit* entry)
    : FloatingPanel(parent), m_grid(grid), m_entry(entry) {
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
    // Whatever moves the grid off the line the panel shows (a click of any button, a key, a
    // reload) leaves "修 改" unable to write the panel's values onto another line.
    connect(&m_grid, &Dataset::CurrentChanged, this, &LinePanel::CurrentRowMoved);
    connect(&m_grid, &Dataset::DataReset, this, &LinePanel::CurrentRowMoved);
    hide();
}

void LinePanel::CurrentRowMoved() {
    if (!m_save->isEnabled()) return;
    const bool same = m_grid.RecNo() >= 0 && m_grid.FieldByName(LineCol::OpenSaleId).Value() == m_rowId;
    if (!same) m_save->setEnabled(false);
}

void LinePanel::OpenOnCurrentRow(bool focusPrice) {
    if (m_grid.IsEmpty() || m_grid.RecNo() < 0) return;
    auto text = [this](const QString& field) { return m_grid.FieldByName(field).AsString(); };
    m_rowId = m_grid.FieldByName(LineCol::OpenSaleId).Value();
    m_save->setEnabled(true);
    show();
    raise();
    SetPrice(text(LineCol::SalePrice));
    m_memberPrice->setText(text(LineCol::MemberPrice));
    SetQuantity(text(LineCol::Quantity));
    m_amount->setText(text(LineCol::Amount));
    m_purchasePrice = text(LineCol::PurchasePrice);
    if (focusPrice)
        FocusPrice();
    else
        FocusQuantity();
}

QString LinePanel::Price() const { return m_price->text(); }
QString LinePanel::MemberPrice() const { return m_memberPrice->text(); }
QString LinePanel::Quantity() const { return m_quantity->text(); }
QString LinePanel::Amount() const { return m_amount->text(); }
void LinePanel::SetPrice(const QString& text) {
    m_price->setText(text);
    LiveAmount();
}
void LinePanel::SetQuantity(const QString& text) {
    m_quantity->setText(text);
    LiveAmount();
}
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

SaleLine LinePanel::LineFromTexts() const {
    SaleLine line;
    line.price = PriceFromText(m_price->text());
    line.quantity = QuantityFromText(m_quantity->text());
    line.memberPrice = MemberPriceFromText(m_memberPrice->text());
    line.purchasePrice = PurchasePriceFromText(m_purchasePrice);
    return line;
}

void LinePanel::SaveLine() {
    const SaleLine line = LineFromTexts();
    m_amount->setText(FormatGeneral(line.Amount()));
    if (!Dialogs::Confirm(QStringLiteral("你确实要修改选中资料吗？"))) return;
    const int changed =
        m_grid.Db().Exec(QStringLiteral("update data set [%1]=?,[%2]=?,[%3]=?,[%4]=?,[%5]=? where %6=?")
                             .arg(LineCol::SalePrice, LineCol::MemberPrice, LineCol::Quantity,
                                  LineCol::Amount, LineCol::Profit, LineCol::OpenSaleId),
                         {line.price, line.memberPrice ? QVariant(*line.memberPrice) : QVariant(),
                          line.quantity, line.Amount(), line.Profit(), m_rowId});
    if (changed == 0) {
        m_save->setEnabled(false);
        throw EPosError(QStringLiteral("这一行已经不在销售单中，没有修改。"));
    }
    hide();
    Q_EMIT LineSaved();
    Dialogs::ShowMessage(QStringLiteral("修改数据成功！"));
    m_entry->setFocus();
}

void LinePanel::ClearLine() {
    m_price->setText(QString());
    m_quantity->setText(QStringLiteral("1"));
    m_amount->setText(QStringLiteral("0"));
    m_purchasePrice.clear();
    m_memberPrice->setText(QString());
}

void LinePanel::ClosePanel() {
    hide();
    ClearLine();
    m_save->setEnabled(false);
    m_entry->setFocus();
}

void LinePanel::HideToEntry() {
    hide();
    m_entry->setFocus();
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
