#pragma once
// The product window's floating edit panel: the nine boxes of a product, "新 建" and "修 改",
// and the close icon. Enter walks the boxes in their fixed order and ends on "新 建", so a
// further Enter adds the product.

#include <vector>

#include "toolkit/FloatingPanel.h"

class QLineEdit;
class QPushButton;
class QToolButton;

class ProductPanel : public FloatingPanel {
    Q_OBJECT
public:
    explicit ProductPanel(QWidget* parent);

    // The box of a column of sp (商品编码 … 单位); throws std::out_of_range for another name.
    QLineEdit* Box(const QString& column) const;
    QString Text(const QString& column) const;
    // The nine boxes in the Enter order, with their columns.
    const std::vector<std::pair<QString, QLineEdit*>>& Boxes() const { return m_boxes; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ModifyButton() const { return m_modify; }
    QToolButton* CloseIcon() const { return m_close; }

    void Clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::pair<QString, QLineEdit*>> m_boxes;
    QPushButton* m_add = nullptr;
    QPushButton* m_modify = nullptr;
    QToolButton* m_close = nullptr;
};
