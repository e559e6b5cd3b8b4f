#include "checkout/ReceiptPrinterWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "checkout/ReceiptPrinter.h"
#include "common/Dialogs.h"
#include "toolkit/Forms.h"

ReceiptPrinterWindow::ReceiptPrinterWindow(QString configPath, QWidget* parent)
    : QWidget(parent, Forms::ToolWindowFlags()), m_configPath(std::move(configPath)) {
    Forms::SetUpToolWindow(this, QStringLiteral("小票打印机设置"), QSize(400, 226));
    m_system = new QRadioButton(QStringLiteral("系统默认打印机"), this);
    m_system->setGeometry(14, 12, 300, 22);
    m_direct = new QRadioButton(QStringLiteral("直连小票打印机（ESC/POS）"), this);
    m_direct->setGeometry(14, 40, 300, 22);
    (new QLabel(QStringLiteral("设备或地址"), this))->setGeometry(34, 72, 80, 22);
    m_address = new QLineEdit(this);
    m_address->setGeometry(118, 72, 268, 22);
    m_address->setPlaceholderText(QStringLiteral("/dev/usb/lp0 或 192.168.1.100:9100"));
    (new QLabel(QStringLiteral("纸宽"), this))->setGeometry(34, 102, 80, 22);
    m_paper = new QComboBox(this);
    m_paper->setGeometry(118, 102, 140, 22);
    m_paper->addItem(QStringLiteral("58mm（32列）"), 32);
    m_paper->addItem(QStringLiteral("80mm（48列）"), 48);
    m_drawer = new QCheckBox(QStringLiteral("开钱箱"), this);
    m_drawer->setGeometry(34, 132, 300, 22);
    m_drawer->setToolTip(QStringLiteral("每次现金结账后打开接在小票打印机上的钱箱"));
    m_save = Forms::Button(QStringLiteral("保存"), this, QRect(206, 184, 84, 28));
    m_cancel = Forms::Button(QStringLiteral("取消"), this, QRect(302, 184, 84, 28));

    const ReceiptPrinterSetting setting = LoadReceiptPrinterSetting(m_configPath);
    (setting.direct ? m_direct : m_system)->setChecked(true);
    m_address->setText(setting.address);
    m_paper->setCurrentIndex(setting.columns == 48 ? 1 : 0);
    m_drawer->setChecked(setting.drawer);
    UpdateEnabled();

    connect(m_direct, &QRadioButton::toggled, this, &ReceiptPrinterWindow::UpdateEnabled);
    connect(m_save, &QPushButton::clicked, this, [this] {
        if (Save()) close();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
}

// The drawer hangs on the receipt printer: without a direct printer there is nothing to pulse.
void ReceiptPrinterWindow::UpdateEnabled() {
    const bool direct = m_direct->isChecked();
    m_address->setEnabled(direct);
    m_paper->setEnabled(direct);
    m_drawer->setEnabled(direct);
}

bool ReceiptPrinterWindow::Save() {
    ReceiptPrinterSetting setting;
    setting.direct = m_direct->isChecked();
    setting.address = m_address->text().trimmed();
    setting.columns = m_paper->currentData().toInt();
    setting.drawer = setting.direct && m_drawer->isChecked();
    if (setting.direct && setting.address.isEmpty()) {
        Dialogs::ShowMessage(QStringLiteral("请输入小票打印机的设备文件或网络地址！"));
        m_address->setFocus();
        return false;
    }
    QString error;
    if (!SaveReceiptPrinterSetting(m_configPath, setting, &error)) {
        Dialogs::ShowError(QStringLiteral("无法保存小票打印机设置到 %1：%2").arg(m_configPath, error));
        return false;
    }
    return true;
}
