#pragma once
// 小票打印机设置: where this desk's receipts go, the paper width and the cash drawer.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class ReceiptPrinterWindow : public QWidget {
    Q_OBJECT
public:
    ReceiptPrinterWindow(QString configPath, QWidget* parent = nullptr);

    QRadioButton* SystemChoice() const { return m_system; }
    QRadioButton* DirectChoice() const { return m_direct; }
    QLineEdit* AddressBox() const { return m_address; }
    QComboBox* PaperBox() const { return m_paper; }
    QCheckBox* DrawerBox() const { return m_drawer; }
    QPushButton* SaveButton() const { return m_save; }

    // Stores the setting; false (after a message) when it is incomplete or cannot be written.
    bool Save();

private:
    void UpdateEnabled();

    QString m_configPath;
    QRadioButton* m_system;
    QRadioButton* m_direct;
    QLineEdit* m_address;
    QComboBox* m_paper;
    QCheckBox* m_drawer;
    QPushButton* m_save;
    QPushButton* m_cancel;
};
