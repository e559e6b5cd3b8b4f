#include "app/MAIN.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include "app/QrPicture.h"
#include "app/Skins.h"
#include "checkout/Cart.h"
#include "checkout/LinePanel.h"
#include "checkout/PaymentPanel.h"
#include "checkout/ReceiptPrinter.h"
#include "checkout/ReceiptPrinterWindow.h"
#include "checkout/SaleGrid.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/Maker.h"
#include "common/UserSettings.h"
#include "data/ColumnNames.h"
#include "data/Errors.h"
#include "data/dm.h"
#include "sales/Unit2.h"
#include "toolkit/Desktop.h"
#include "toolkit/Forms.h"

namespace {

// A toolbar button whose menu arrow sits in the top right corner, beside the picture: the
// styles put it bottom right, over the last character of the caption.
class MenuToolButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.features &= ~QStyleOptionToolButton::HasMenu;
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
        if (!menu()) return;
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = QRect(width() - 11, 3, 8, 8);
        painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
    }
};

using Forms::PixelFont;

// A toolbar picture: one character on a coloured tile.
QIcon ToolIcon(const QString& mark, const QColor& colour) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
    painter.setPen(Qt::white);
    painter.setFont(PixelFont(QStringLiteral("华文中宋"), 28, true));
    painter.drawText(QRectF(2, 2, 44, 44), Qt::AlignCenter, mark);
    return QIcon(pixmap);
}

}  // namespace

TMainForm::TMainForm(Tdmfm& dm, QString configPath, QWidget* parent)
    : QMainWindow(parent), m_dm(dm), m_configPath(configPath), m_counters(configPath) {
    setWindowTitle(QStringLiteral("晨岚POS收银软件 V2.2"));
    setFont(PixelFont(QStringLiteral("宋体"), 16));
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildHeader(column);
    m_saleGridBox = new QWidget(central);
    m_saleGridBox->setFixedHeight(344);
    m_saleGridArea = new QVBoxLayout(m_saleGridBox);
    m_saleGridArea->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_saleGridBox);
    BuildBottom(column);
    setCentralWidget(central);
    BuildStatusBar();
    BuildCheckout();
    ReadSaleCounters();
    // The client area is 980 × 642; it may grow (maximise) but not shrink below that.
    setMinimumSize(980, 642);
    resize(980, 642);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(490, 321));
}

void TMainForm::ReadSaleCounters() {
    if (!m_counters.Load())
        Dialogs::ShowWarning(
            QStringLiteral("无法读取配置文件 %1：%2").arg(m_configPath, m_counters.ErrorString()));
    m_saleNumberLabel->setText(m_counters.Number());
}

bool TMainForm::SaveSaleCounters() {
    if (m_counters.Save()) return true;
    Dialogs::ShowError(
        QStringLiteral("无法保存销售流水号到 %1：%2").arg(m_configPath, m_counters.ErrorString()));
    return false;
}

void TMainForm::CheckSaleCounters() {
    // A config.ini older than the sales (a crash, a restored copy) must not hand out a used number.
    const QString repaired = m_counters.Repair(m_dm.ADOConnection1, Clock::Today());
    if (repaired.isEmpty()) return;
    ShowSaleNumber(m_counters.Number());
    Dialogs::ShowWarning(repaired);
    SaveSaleCounters();
}

void TMainForm::ShowSaleNumber(const QString& number) { m_saleNumberLabel->setText(number); }

void TMainForm::BuildHeader(QVBoxLayout* column) {
    auto* header = new QWidget(this);
    header->setFixedHeight(97);
    auto* layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* banner = new QLabel(QStringLiteral("晨岚POS收银软件"), header);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setFixedHeight(56);
    banner->setAlignment(Qt::AlignCenter);
    banner->setFont(PixelFont(QStringLiteral("华文中宋"), 35, true));
    layout->addWidget(banner);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(new QLabel(QStringLiteral("商品编码/条形码："), header));
    m_entry = new QLineEdit(header);
    m_entry->setFixedWidth(233);
    m_entry->setAttribute(Qt::WA_InputMethodEnabled, false);  // codes are Latin letters and digits
    row->addWidget(m_entry);
    m_lookupButton = new QPushButton(QStringLiteral("商品..."), header);
    row->addWidget(m_lookupButton);
    row->addSpacing(40);
    row->addWidget(new QLabel(QStringLiteral("销售流水号："), header));
    m_saleNumberLabel = new QLabel(header);
    m_saleNumberLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_saleNumberLabel);
    row->addStretch(1);
    layout->addLayout(row);
    column->addWidget(header);
}

void TMainForm::BuildBottom(QVBoxLayout* column) {
    auto* bottom = new QWidget(this);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(4, 6, 4, 4);

    auto* totals = new QWidget(bottom);
    totals->setObjectName(QStringLiteral("totalsBox"));
    totals->setFixedSize(449, 145);
    // Its own sheet keeps the sky blue under every skin.
    totals->setStyleSheet(
        QStringLiteral("#totalsBox { background-color: #87cefa; border: 1px solid #4682b4; }"
                       "#totalsBox QLabel { color: #000000; background: transparent; }"));
    totals->setAttribute(Qt::WA_StyledBackground);
    auto* totalsLayout = new QVBoxLayout(totals);
    m_totalLabel = new QLabel(QStringLiteral("共:0.00元"), totals);
    m_totalLabel->setFont(PixelFont(QStringLiteral("宋体"), 56, true));
    m_countLabel = new QLabel(QStringLiteral("商品数量：0"), totals);
    m_countLabel->setFont(PixelFont(QStringLiteral("宋体"), 29));
    totalsLayout->addWidget(m_totalLabel);
    totalsLayout->addWidget(m_countLabel);
    row->addWidget(totals, 0, Qt::AlignTop);

    BuildToolbar(bottom, row);

    auto* qr = new QLabel(bottom);
    qr->setFixedSize(80, 80);
    qr->setPixmap(QPixmap::fromImage(QrPicture(QLatin1String(kMakerWebUrl), 80)));
    qr->setToolTip(QLatin1String(kMakerWebAddress));
    row->addWidget(qr, 0, Qt::AlignBottom | Qt::AlignRight);
    column->addWidget(bottom, 1);
}

void TMainForm::BuildToolbar(QWidget* parent, QHBoxLayout* row) {
    struct Command {
        const char* caption;
        const char* mark;  // the character on the button's picture
        const char* colour;
        const char* name;  // the object name windows and tests find it by
    };
    const Command commands[] = {
        {"结 账", "结", "#d9534f", "settleButton"},    {"商品管理", "商", "#2e7d32", "productsButton"},
        {"销售明细", "明", "#1565c0", "salesButton"},  {"销售单", "单", "#6a1b9a", "slipButton"},
        {"数据备份", "备", "#ef6c00", "backupButton"}, {"设 置", "设", "#455a64", "settingsButton"},
        {"技术支持", "技", "#00838f", "supportButton"}};
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("mainToolbar"));
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    for (const Command& command : commands) {
        auto* button = new MenuToolButton(bar);
        button->setObjectName(QLatin1String(command.name));
        button->setText(QString::fromUtf8(command.caption));
        button->setIcon(ToolIcon(QString::fromUtf8(command.mark), QColor(QLatin1String(command.colour))));
        button->setIconSize(QSize(40, 40));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedSize(58, 72);  // seven of them fit between the totals box and the QR picture
        button->setFont(PixelFont(QStringLiteral("宋体"), 13));
        button->setToolTip(button->text());
        button->setToolTipDuration(2000);
        buttons->addWidget(button);
        m_toolButtons << button;
    }
    buttons->addStretch(1);

    m_settingsMenu = new QMenu(this);
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    m_changePasswordAction = m_settingsMenu->addAction(QStringLiteral("修改密码"));
    m_changePasswordAction->setObjectName(QStringLiteral("changePasswordAction"));
    m_userAdminAction = m_settingsMenu->addAction(QStringLiteral("用户管理"));
    m_userAdminAction->setObjectName(QStringLiteral("userAdminAction"));
    m_receiptPrinterAction = m_settingsMenu->addAction(QStringLiteral("小票打印机设置"));
    m_receiptPrinterAction->setObjectName(QStringLiteral("receiptPrinterAction"));
    m_drawerAction = m_settingsMenu->addAction(QStringLiteral("开钱箱"));
    m_drawerAction->setObjectName(QStringLiteral("drawerAction"));
    m_settingsMenu->addSeparator();
    for (int i = 0; i < kSkinCount; ++i) {
        QAction* skin = m_settingsMenu->addAction(SkinName(i));
        skin->setObjectName(QStringLiteral("skinAction%1").arg(i));
        connect(skin, &QAction::triggered, this, [this, i] { ChooseSkin(i); });
    }
    ToolButton(QStringLiteral("settingsButton"))->setMenu(m_settingsMenu);
    ToolButton(QStringLiteral("settingsButton"))->setPopupMode(QToolButton::InstantPopup);

    m_supportMenu = new QMenu(this);
    m_supportMenu->setObjectName(QStringLiteral("supportMenu"));
    m_supportMenu->addAction(QStringLiteral("软件升级"))->setObjectName(QStringLiteral("upgradeAction"));
    QAction* webSite = m_supportMenu->addAction(QStringLiteral("官方网站"));
    webSite->setObjectName(QStringLiteral("webSiteAction"));
    connect(webSite, &QAction::triggered, this,
            [] { OpenAddress(QUrl(QLatin1String(kMakerWebUrl)), QLatin1String(kMakerWebAddress)); });
    m_supportMenu->addAction(QString::fromUtf8(kSupportContact))
        ->setObjectName(QStringLiteral("contactAction"));
    m_supportMenu->addAction(QStringLiteral("关于..."))->setObjectName(QStringLiteral("aboutAction"));
    ToolButton(QStringLiteral("supportButton"))->setMenu(m_supportMenu);
    ToolButton(QStringLiteral("supportButton"))->setPopupMode(QToolButton::InstantPopup);

    row->addWidget(bar, 1, Qt::AlignTop);
}

QToolButton* TMainForm::ToolButton(const QString& name) const {
    for (QToolButton* button : m_toolButtons)
        if (button->objectName() == name) return button;
    return nullptr;
}

void TMainForm::BuildStatusBar() {
    const int widths[4] = {300, 300, 200, 300};
    for (int i = 0; i < 4; ++i) {
        m_statusPanels[i] = new QLabel(this);
        m_statusPanels[i]->setFixedWidth(widths[i]);
        m_statusPanels[i]->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        statusBar()->addWidget(m_statusPanels[i]);
    }
    m_statusPanels[1]->setText(QStringLiteral("操作员："));
    m_statusPanels[3]->setText(QLatin1String(kMakerWebAddress));
}

// The one place where the checkout's parts meet: each tells what happened, this wires it to
// what must follow.
void TMainForm::BuildCheckout() {
    m_saleGrid = new SaleGrid(m_dm, m_saleGridBox);
    m_saleGridArea->addWidget(m_saleGrid);
    m_linePanel = new LinePanel(this, m_dm.ADOQuery15, m_entry);
    m_cart = new Cart(m_dm, *this, m_entry, m_totalLabel, m_countLabel, *m_saleGrid);
    m_payment = new PaymentPanel(this, m_dm.ADOConnection1, *this, m_counters, *m_saleGrid, m_entry);

    connect(ToolButton(QStringLiteral("settleButton")), &QToolButton::clicked, m_payment,
            &PaymentPanel::OpenPayment);
    BuildSettleMenu();
    WireReceiptPrinter();
    connect(m_cart, &Cart::PaymentAsked, m_payment, &PaymentPanel::OpenPayment);
    connect(m_cart, &Cart::SaleReloaded, m_payment, &QWidget::hide);
    connect(m_cart, &Cart::LineDeleted, m_payment, &QWidget::hide);

    connect(m_saleGrid->ChangePriceAction(), &QAction::triggered, m_linePanel,
            [this] { m_linePanel->OpenOnCurrentRow(true); });
    connect(m_saleGrid->ChangeQuantityAction(), &QAction::triggered, m_linePanel,
            [this] { m_linePanel->OpenOnCurrentRow(false); });
    connect(m_saleGrid, &DataGrid::RowDoubleClicked, m_linePanel, [this](int row) {
        if (row >= 0) m_linePanel->OpenOnCurrentRow(false);
    });
    connect(m_saleGrid, &SaleGrid::SortStarted, this, [this] {
        m_payment->hide();
        m_linePanel->hide();
    });
    connect(m_saleGrid, &SaleGrid::LeftRow, this, [this] {
        m_payment->hide();
        m_linePanel->SetSaveEnabled(false);
    });
    connect(m_linePanel, &LinePanel::LineSaved, m_cart, [this] {
        m_cart->ReloadSaleGrid();
        m_cart->RefreshSaleTotals();
    });

    connect(m_payment, &PaymentPanel::SaleSettled, m_cart, &Cart::ClearOpenSale);
    connect(m_payment, &PaymentPanel::SaleNumberChanged, this, &TMainForm::ShowSaleNumber);
    connect(m_payment, &PaymentPanel::SaleMissing, m_cart, &Cart::ReloadSaleGrid);
    connect(m_payment, &PaymentPanel::Cancelled, m_linePanel, [this] { m_linePanel->SetSaveEnabled(false); });
    m_form2 = new TForm2(m_dm.ADOQuery15, this);
    connect(ToolButton(QStringLiteral("slipButton")), &QToolButton::clicked, this, [this] { PrintSlip(); });
}

// A click on 结账 still settles; holding it down shows the menu, and F9 works anywhere on the desk.
void TMainForm::BuildSettleMenu() {
    QToolButton* settle = ToolButton(QStringLiteral("settleButton"));
    auto* menu = new QMenu(settle);
    menu->setObjectName(QStringLiteral("settleMenu"));
    QAction* reprint = menu->addAction(QStringLiteral("重打小票"));
    reprint->setObjectName(QStringLiteral("reprintAction"));
    reprint->setShortcut(QKeySequence(Qt::Key_F9));
    reprint->setShortcutContext(Qt::WindowShortcut);
    addAction(reprint);
    settle->setMenu(menu);
    settle->setPopupMode(QToolButton::DelayedPopup);
    connect(reprint, &QAction::triggered, m_payment, &PaymentPanel::ReprintLastReceipt);
}

// The setting is read at each use, so a change in its window counts from the next sale on.
void TMainForm::WireReceiptPrinter() {
    m_payment->SetReceiptPrinter([this](const ReceiptData& receipt) {
        PrintReceiptOn(LoadReceiptPrinterSetting(m_configPath), receipt);
    });
    m_payment->SetCashDrawer([this] {
        const ReceiptPrinterSetting setting = LoadReceiptPrinterSetting(m_configPath);
        if (setting.drawer) OpenCashDrawer(setting);
    });
    connect(m_receiptPrinterAction, &QAction::triggered, this, [this] {
        OpenWindowOnce(m_receiptPrinterWindow, [this]() -> QWidget* {
            auto* window = new ReceiptPrinterWindow(m_configPath, this);
            window->show();
            return window;
        });
    });
    connect(m_drawerAction, &QAction::triggered, this, [this] {
        try {
            OpenCashDrawer(LoadReceiptPrinterSetting(m_configPath));
        } catch (const EPosError& error) {
            Dialogs::ShowError(QStringLiteral("钱箱打开失败：") + error.Message());
        }
    });
}

// The slip shows the open sale as the grid does: its rows in the grid's order, its footer total.
void TMainForm::PrintSlip() {
    m_form2->PrintSlip(SaleNumber(), m_saleGrid->FooterValue(LineCol::Amount), CurrentOperator());
}

QMenu* TMainForm::SaleGridMenu() const { return m_saleGrid->Menu(); }

void TMainForm::AddProductByCode() { m_cart->AddProductByCode(); }
void TMainForm::ReloadSaleGrid() { m_cart->ReloadSaleGrid(); }
void TMainForm::RefreshSaleTotals() { m_cart->RefreshSaleTotals(); }
void TMainForm::ClearOpenSale() { m_cart->ClearOpenSale(); }
void TMainForm::OpenPayment() { m_payment->OpenPayment(); }
void TMainForm::HidePayment() { m_payment->hide(); }

void TMainForm::ShowOperator(const QString& user) {
    m_statusPanels[1]->setText(QStringLiteral("操作员：") + user);
}

void TMainForm::HideAdminCommands() {
    findChild<QToolButton*>(QStringLiteral("productsButton"))->setVisible(false);
    m_changePasswordAction->setVisible(false);
    m_userAdminAction->setVisible(false);
    m_receiptPrinterAction->setVisible(false);
    m_drawerAction->setVisible(false);
    for (QWidget* widget : m_adminOnly)
        if (widget) widget->setVisible(false);
}

void TMainForm::OpenWindowOnce(QPointer<QWidget>& window, const std::function<QWidget*()>& make) {
    if (!window) {
        window = make();
        return;
    }
    if (window->isMinimized()) window->showNormal();
    window->setVisible(true);
    window->raise();
    window->activateWindow();
    window->setFocus();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;
    ShowSteps();
    // Where no window manager activates the window (a bare X server), showing it is enough.
    PromptLogin();
}

void TMainForm::ShowSteps() {
    if (m_monthSalesFill) m_monthSalesFill();
    m_dm.OpenSaleTables();
    if (!m_countersChecked) {
        m_countersChecked = true;
        CheckSaleCounters();
    }
    m_linePanel->hide();
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(255, 194, 134));
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
    m_saleDate = Clock::Today();
    const int skin = SkinFromSetting(UserSettings::Read(QStringLiteral("skin")));
    if (skin >= 0) ApplySkin(skin);
    m_statusPanels[2]->setText(QStringLiteral("今天：") +
                               Clock::Today().toString(QStringLiteral("yyyy-MM-dd")));
}

void TMainForm::ChooseSkin(int index) {
    ApplySkin(index);
    if (!UserSettings::Write(QStringLiteral("skin"), QString::number(index)))
        Dialogs::ShowWarning(QStringLiteral("无法保存皮肤设置，下次启动将使用原来的皮肤。"));
}

bool TMainForm::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate) PromptLogin();
    return handled;
}

void TMainForm::PromptLogin() {
    if (m_sessionId != 0 || !m_loginPrompt || m_loginShowing) return;
    m_loginShowing = true;
    // The login is modal; it runs after the event that asked for it has been dispatched.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_sessionId == 0) m_loginPrompt();
            m_loginShowing = false;
            if (m_sessionId == 0) close();
        },
        Qt::QueuedConnection);
}

void TMainForm::RecordSessionEnd() {
    const QString now = Clock::Now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_dm.ADOConnection1.Exec(QStringLiteral("update rz set jtime=? where id=?"), {now, m_sessionId});
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (m_sessionId != 0) {
        try {
            RecordSessionEnd();
        } catch (const EDatabaseError& error) {
            // Without the session end the window stays open, so nothing is saved half.
            Dialogs::ShowError(error.Message());
            event->ignore();
            return;
        }
    }
    SaveSaleCounters();
    event->accept();
    emit Closed();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The grid takes what the header, the bottom area and the status bar leave: the outer
    // height minus 320 pixels, counting the usual 22-pixel caption and border.
    m_saleGridBox->setFixedHeight(qMax(100, height() + 22 - 320));
}
