#include "sales/Unit4.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/MainFormOps.h"
#include "data/ColumnNames.h"
#include "data/Errors.h"
#include "data/dm.h"
#include "sales/ReportOutput.h"
#include "sales/SalesChart.h"
#include "sales/SalesQueries.h"
#include "toolkit/DataGrid.h"
#include "toolkit/FloatingPanel.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/PrintPreview.h"

namespace {

constexpr int kTopBarHeight = 30;
constexpr int kSaleGridHeight = 153;
constexpr int kCapHeight = 18;
constexpr int kSearchGroupHeight = 148;
constexpr int kQuietMs = 300;  // typed criteria are searched after this much quiet

const QColor kRowGrey(238, 238, 238);
const QColor kFooterOrange(255, 194, 134);
const QColor kSkyBlue(135, 206, 235);

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(75, 26);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, int x, int y, int width) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 22);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* CapLabel(QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(kTooManyRows), parent);
    label->setStyleSheet(QStringLiteral("color: #c62828;"));
    label->hide();
    return label;
}

QString Text(const Dataset& data, int row, const QString& field) {
    const int column = data.FieldIndex(field);
    return column < 0 ? QString() : ValueText(data.Value(row, column));
}

// The delete box's captions, with the line's column under each; the name has no caption.
struct BoxField {
    const char* caption;
    QString field;
};
const BoxField kBoxFields[] = {
    {"", LineCol::Name},
    {"规格型号：", LineCol::Model},
    {"商品编码：", LineCol::Code},
    {"类 别：", LineCol::Category},
    {"销售日期：", LineCol::Date},
    {"销售单价：", LineCol::SalePrice},
    {"销售数量：", LineCol::Quantity},
    {"销售金额：", LineCol::Amount},
    {"净 利 润：", LineCol::Profit},
    {"流 水 号：", LineCol::SaleNumber},
};

}  // namespace

Txstj::Txstj(Tdmfm& dm, MainFormOps& mainForm, std::function<QString()> currentOperator, QWidget* parent)
    : QDialog(parent),
      m_dm(dm),
      m_mainForm(mainForm),
      m_operatorSource(std::move(currentOperator)),
      m_monthlyQuery(std::make_unique<Query>(dm.ADOConnection1, QString(), true)),
      m_dailyQuery(std::make_unique<Query>(dm.ADOConnection1, QString(), true)) {
    setObjectName(QStringLiteral("xstj"));
    setWindowTitle(QStringLiteral("销售明细"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    m_searchTimer.setSingleShot(true);
    m_searchTimer.setInterval(kQuietMs);
    connect(&m_searchTimer, &QTimer::timeout, this, &Txstj::SearchSales);

    m_pages = new QTabWidget(this);
    m_pages->addTab(BuildDetailPage(), QStringLiteral("销售明细"));
    m_pages->addTab(BuildStatisticsPage(), QStringLiteral("销售统计"));
    resize(1008, 592);
}

Txstj::~Txstj() = default;

QWidget* Txstj::BuildDetailPage() {
    m_detailPage = new QWidget;
    m_topBar = new QWidget(m_detailPage);
    MakeLabel(QStringLiteral("销售单流水号："), m_topBar, 4, 4, 100);
    m_saleNumber = new QLineEdit(m_topBar);
    m_saleNumber->setObjectName(QStringLiteral("saleNumber"));
    m_saleNumber->setGeometry(106, 4, 160, 22);
    auto* search = MakeButton(QStringLiteral("查 询"), "saleSearchButton", m_topBar);
    search->move(274, 2);
    auto* all = MakeButton(QStringLiteral("全 部"), "saleAllButton", m_topBar);
    all->move(354, 2);
    m_saleCap = CapLabel(m_topBar);
    m_saleCap->setGeometry(440, 4, 420, 22);
    connect(search, &QPushButton::clicked, this, &Txstj::SearchSales);
    connect(all, &QPushButton::clicked, this, &Txstj::ShowAllSales);
    connect(m_saleNumber, &QLineEdit::textEdited, this, [this] { m_exactSaleNumber = false; });
    connect(m_saleNumber, &QLineEdit::textChanged, this, &Txstj::ScheduleSearch);

    m_saleGrid = new DataGrid(m_detailPage);
    m_saleGrid->setObjectName(QStringLiteral("saleGrid"));
    m_saleGrid->SetDataSource(&m_dm.DataSource9);
    m_lineCap = CapLabel(m_detailPage);
    m_lineGrid = new DataGrid(m_detailPage);
    m_lineGrid->setObjectName(QStringLiteral("lineGrid"));
    m_lineGrid->SetDataSource(&m_dm.DataSource13);
    SetGridColumns();
    for (DataGrid* grid : {m_saleGrid, m_lineGrid}) {
        grid->SetRowColors(kRowGrey, kRowGrey);
        grid->SetFooterColor(kFooterOrange);
        grid->SetRowHeight(18);
        grid->SetTitleHeight(18);
        connect(grid, &DataGrid::SortedByTitle, this, &Txstj::HideDeleteBox);
    }
    m_lineGrid->SetTitleColors(Qt::black, kSkyBlue);
    connect(m_saleGrid, &DataGrid::RowDoubleClicked, this, [this](int row) {
        if (row >= 0) PickSale(Text(m_dm.ADOQuery9, row, PaymentCol::SaleNumber));
    });
    connect(m_lineGrid, &DataGrid::RowDoubleClicked, this, [this](int row) {
        if (row >= 0) PickSale(Text(m_dm.ADOQuery13, row, LineCol::SaleNumber));
    });
    connect(m_lineGrid, &DataGrid::CurrentRowChanged, this, &Txstj::AfterCurrentLineChanged);
    m_lineGrid->View()->installEventFilter(this);
    BuildLineMenu();

    m_searchGroup = BuildSearchGroup(m_detailPage);
    BuildDeleteBox(m_detailPage);
    return m_detailPage;
}

void Txstj::SetGridColumns() {
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    const auto centre = Qt::AlignCenter;
    m_saleGrid->SetColumns({
        {.field = PaymentCol::SaleNumber, .title = QStringLiteral("销售单|流水号"), .width = 130},
        {.field = PaymentCol::Operator, .title = QStringLiteral("销售单|操作人"), .width = 80},
        {.field = PaymentCol::AmountDue,
         .title = QStringLiteral("销 售|应收金额"),
         .width = 75,
         .alignment = right},
        {.field = PaymentCol::AmountReceived,
         .title = QStringLiteral("销 售|实收金额"),
         .width = 75,
         .alignment = right},
        {.field = PaymentCol::Cash, .title = QStringLiteral("销 售|现 金"), .width = 70, .alignment = right},
        {.field = PaymentCol::Change,
         .title = QStringLiteral("销 售|找 零"),
         .width = 70,
         .alignment = right},
        {.field = PaymentCol::Profit,
         .title = QStringLiteral("销 售|利 润"),
         .width = 70,
         .alignment = right},
        {.field = PaymentCol::Owing, .title = QStringLiteral("销 售|欠 款"), .width = 60, .alignment = right},
        {.field = PaymentCol::Date, .title = QStringLiteral("销 售|日 期"), .width = 85, .alignment = centre},
        {.field = PaymentCol::Remark, .title = QStringLiteral("备 注|备 注"), .width = 120},
    });
    m_lineGrid->SetColumns({
        {.field = LineCol::SaleNumber,
         .title = QStringLiteral("销售单|流水号"),
         .width = 125,
         .footer = GridFooter::Text,
         .footerText = QStringLiteral("合计"),
         .footerAlignment = centre},
        {.field = LineCol::Operator, .title = QStringLiteral("销售单|操作人"), .width = 70},
        {.field = LineCol::Name, .title = QStringLiteral("商 品 信 息| 名 称"), .width = 120},
        {.field = LineCol::Model, .title = QStringLiteral("商 品 信 息|规格型号"), .width = 70},
        {.field = LineCol::Code, .title = QStringLiteral("商 品 信 息| 编 码"), .width = 105},
        {.field = LineCol::Category, .title = QStringLiteral("商 品 信 息|类 别"), .width = 65},
        {.field = LineCol::SalePrice,
         .title = QStringLiteral("销 售 信 息|单 价"),
         .width = 55,
         .alignment = right},
        {.field = LineCol::Quantity,
         .title = QStringLiteral("销 售 信 息|数 量"),
         .width = 50,
         .alignment = right,
         .footer = GridFooter::Sum},
        {.field = LineCol::Unit, .title = QStringLiteral("销 售 信 息|单位"), .width = 40},
        {.field = LineCol::Amount,
         .title = QStringLiteral("销 售 信 息|金 额"),
         .width = 65,
         .alignment = right,
         .footer = GridFooter::Sum,
         .footerFormat = QStringLiteral("0.00")},
        {.field = LineCol::Date,
         .title = QStringLiteral("销 售 信 息|日 期"),
         .width = 80,
         .alignment = centre},
        {.field = LineCol::Profit,
         .title = QStringLiteral("销 售 信 息|净利润"),
         .width = 60,
         .alignment = right,
         .footer = GridFooter::Sum,
         .footerFormat = QStringLiteral("0.00")},
        {.field = LineCol::Remark, .title = QStringLiteral("备 注|备 注"), .width = 70},
    });
}

QWidget* Txstj::BuildSearchGroup(QWidget* page) {
    auto* group = new QGroupBox(QStringLiteral(" 快速查询"), page);
    const auto lineBox = [group](int x, int y, const char* name) {
        auto* box = new QLineEdit(group);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(x, y, 130, 22);
        return box;
    };
    MakeLabel(QStringLiteral("类  别："), group, 8, 26, 70);
    m_category = new QComboBox(group);
    m_category->setObjectName(QStringLiteral("categoryBox"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_category->setGeometry(80, 26, 130, 22);
    MakeLabel(QStringLiteral("商品名称："), group, 220, 26, 70);
    m_name = lineBox(292, 26, "nameBox");
    MakeLabel(QStringLiteral("操作人："), group, 432, 26, 60);
    m_operator = lineBox(494, 26, "operatorBox");
    auto* clear = MakeButton(QStringLiteral("清空条件"), "clearButton", group);
    clear->move(640, 24);

    MakeLabel(QStringLiteral("规格型号："), group, 8, 62, 70);
    m_model = lineBox(80, 62, "modelBox");
    m_model->setToolTip(QStringLiteral("输入字母拼音查询"));
    MakeLabel(QStringLiteral("商品编码："), group, 220, 62, 70);
    m_code = lineBox(292, 62, "codeBox");
    auto* all = MakeButton(QStringLiteral("全部记录"), "allButton", group);
    all->move(640, 60);

    m_dateTick = new QCheckBox(QStringLiteral("销售日期："), group);
    m_dateTick->setObjectName(QStringLiteral("dateTick"));
    m_dateTick->setGeometry(12, 98, 86, 22);
    const auto dateBox = [group](int x, const char* name) {
        auto* box = new QDateEdit(group);
        box->setObjectName(QLatin1String(name));
        box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        box->setCalendarPopup(true);
        box->setGeometry(x, 98, 110, 22);
        return box;
    };
    m_from = dateBox(100, "fromDate");
    new QLabel(QStringLiteral("至"), group);
    group->findChildren<QLabel*>().last()->setGeometry(216, 98, 18, 22);
    m_to = dateBox(236, "toDate");
    auto* search = MakeButton(QStringLiteral("查 询"), "searchButton", group);
    search->move(400, 96);
    auto* month = MakeButton(QStringLiteral("本 月"), "monthButton", group);
    month->move(480, 96);
    auto* today = MakeButton(QStringLiteral("当 天"), "todayButton", group);
    today->move(560, 96);

    for (QLineEdit* box : {m_name, m_operator, m_model, m_code})
        connect(box, &QLineEdit::textChanged, this, &Txstj::ScheduleSearch);
    connect(m_category, &QComboBox::editTextChanged, this, &Txstj::ScheduleSearch);
    connect(clear, &QPushButton::clicked, this, &Txstj::ClearCriteria);
    connect(all, &QPushButton::clicked, this, &Txstj::ShowAllSales);
    connect(search, &QPushButton::clicked, this, &Txstj::SearchSales);
    connect(month, &QPushButton::clicked, this, &Txstj::ShowMonthSales);
    connect(today, &QPushButton::clicked, this, &Txstj::ShowToday);
    return group;
}

void Txstj::BuildDeleteBox(QWidget* page) {
    m_deleteBox = new FloatingPanel(page);
    m_deleteBox->setObjectName(QStringLiteral("deleteBox"));
    m_deleteBox->resize(433, 225);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(14);
    m_deleteBox->setFont(font);
    m_deleteBox->setStyleSheet(QStringLiteral("QLabel { color: teal; }"));
    int y = 12;
    for (const BoxField& f : kBoxFields) {
        const QString caption = QString::fromUtf8(f.caption);
        auto* text = new QLabel(m_deleteBox);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (caption.isEmpty()) {
            QFont bold = font;
            bold.setBold(true);
            text->setFont(bold);
            text->setGeometry(16, y, 380, 20);
            y += 26;
        } else {
            // Two columns of captions under the name.
            const int index = int(m_boxTexts.size());
            const int x = index < 4 ? 16 : 220;
            const int row = index < 4 ? index : index - 4;
            auto* label = new QLabel(caption, m_deleteBox);
            label->setGeometry(x, 40 + row * 26, 82, 20);
            text->setGeometry(x + 84, 40 + row * 26, 120, 20);
        }
        m_boxTexts[caption] = text;
    }
    m_deleteButton = MakeButton(QStringLiteral("删 除"), "deleteButton", m_deleteBox);
    m_deleteButton->move(340, 188);
    connect(m_deleteButton, &QPushButton::clicked, this, &Txstj::DeleteShownLine);
    QToolButton* close = MakeCloseIcon(m_deleteBox, 433 - 22, 4);
    connect(close, &QToolButton::clicked, this, &Txstj::HideDeleteBox);
    m_deleteBox->hide();
}

QWidget* Txstj::BuildStatisticsPage() {
    auto* page = new QWidget;
    m_monthlyChart = new SalesChart(
        {QStringLiteral("月销售报表统计"), QColor(64, 128, 128), Qt::yellow, 12, QStringLiteral("月")}, page);
    m_monthlyChart->setObjectName(QStringLiteral("monthlyChart"));
    m_monthlyChart->setGeometry(6, 6, 865, 257);
    m_dailyChart = new SalesChart({QStringLiteral("日销售报表统计"), QColor(0, 128, 192),
                                   QColor(255, 128, 64), 32, QStringLiteral("日")},
                                  page);
    m_dailyChart->setObjectName(QStringLiteral("dailyChart"));
    m_dailyChart->setGeometry(6, 269, 865, 257);

    const int x = 880;
    const QString year = QString::number(Clock::Today().year());
    const auto yearBox = [page, &year, x](int y, const char* name) {
        auto* box = new QComboBox(page);
        box->setObjectName(QLatin1String(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setGeometry(x, y, 80, 22);
        box->setEditText(year);
        auto* unit = new QLabel(QStringLiteral("年"), page);
        unit->setGeometry(x + 84, y, 20, 22);
        return box;
    };
    m_monthlyYear = yearBox(60, "monthlyYear");
    auto* monthlyProfit = MakeButton(QStringLiteral("查询利润"), "monthlyProfitButton", page);
    monthlyProfit->move(x, 100);
    auto* monthlySales = MakeButton(QStringLiteral("查询销售额"), "monthlySalesButton", page);
    monthlySales->move(x, 134);

    m_dailyYear = yearBox(300, "dailyYear");
    m_month = new QComboBox(page);
    m_month->setObjectName(QStringLiteral("monthBox"));
    for (int month = 1; month <= 12; ++month) m_month->addItem(QString::number(month));
    m_month->setGeometry(x, 332, 80, 22);
    auto* monthUnit = new QLabel(QStringLiteral("月份"), page);
    monthUnit->setGeometry(x + 84, 332, 30, 22);
    auto* dailyProfit = MakeButton(QStringLiteral("查询利润"), "dailyProfitButton", page);
    dailyProfit->move(x, 372);
    auto* dailySales = MakeButton(QStringLiteral("查询销售额"), "dailySalesButton", page);
    dailySales->move(x, 406);

    connect(monthlyProfit, &QPushButton::clicked, this, &Txstj::MonthlyProfit);
    connect(monthlySales, &QPushButton::clicked, this, &Txstj::MonthlySales);
    connect(dailyProfit, &QPushButton::clicked, this, &Txstj::DailyProfit);
    connect(dailySales, &QPushButton::clicked, this, &Txstj::DailySales);
    return page;
}

QPushButton* Txstj::Button(const QString& name) const { return findChild<QPushButton*>(name); }

QString Txstj::DeleteBoxText(const QString& caption) const {
    const auto it = m_boxTexts.find(caption);
    return it == m_boxTexts.end() ? QString() : it->second->text();
}

void Txstj::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The pages take the window's outer height minus 20 pixels, counting a 22-pixel caption.
    m_pages->setGeometry(0, 0, width(), qMax(200, height() + 22 - 20));
    LayOutDetailPage();
}

void Txstj::LayOutDetailPage() {
    const int w = m_detailPage->width();
    const int h = m_detailPage->height();
    m_topBar->setGeometry(0, 0, w, kTopBarHeight);
    m_saleGrid->setGeometry(0, kTopBarHeight, w, kSaleGridHeight);
    int y = kTopBarHeight + kSaleGridHeight;
    if (!m_lineCap->isHidden()) {  // also while the window itself is hidden
        m_lineCap->setGeometry(6, y, w - 12, kCapHeight);
        y += kCapHeight;
    }
    const int lineHeight = qMax(60, h - y - kSearchGroupHeight);
    m_lineGrid->setGeometry(0, y, w, lineHeight);
    m_searchGroup->setGeometry(4, y + lineHeight, w - 8, kSearchGroupHeight - 4);
    m_deleteBox->move(qBound(0, m_deleteBox->x(), qMax(0, w - m_deleteBox->width())),
                      qBound(0, m_deleteBox->y(), qMax(0, h - m_deleteBox->height())));
}

void Txstj::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar: not a new opening
    const QDate today = Clock::Today();
    m_month->setCurrentText(QString::number(today.month()));
    m_from->setDate(today);
    m_to->setDate(today);
    m_deleteBox->move((m_detailPage->width() - m_deleteBox->width()) / 2,
                      kTopBarHeight + kSaleGridHeight + 20);
    FillYears();
    MonthlyProfit();
    DailyProfit();
    ShowMonthSales();
    LayOutDetailPage();
}

void Txstj::done(int result) {
    m_searchTimer.stop();
    m_monthlyQuery->Close();
    m_dailyQuery->Close();
    m_dm.ADOQuery13.Close();
    HideDeleteBox();
    QDialog::done(result);
    m_mainForm.ReloadSaleGrid();
}

void Txstj::keyPressEvent(QKeyEvent* event) {
    // Enter never closes the window or presses a button by itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Txstj::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lineGrid->View() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSaleLine();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Txstj::FillCategories() {
    const QString typed = m_category->currentText();
    const QSignalBlocker quiet(m_category);
    m_category->clear();
    m_category->addItems(SoldCategories(m_dm.ADOConnection1));
    m_category->setEditText(typed);
}

void Txstj::FillYears() {
    QStringList years;
    for (int year : SaleYears(m_dm.ADOConnection1, Clock::Today().year())) years << QString::number(year);
    for (QComboBox* box : {m_monthlyYear, m_dailyYear}) {
        const QString typed = box->currentText();
        box->clear();
        box->addItems(years);
        box->setEditText(typed);
    }
}

SalesCriteria Txstj::Criteria() const {
    SalesCriteria c;
    c.category = m_category->currentText();
    c.name = m_name->text();
    c.saleNumber = m_saleNumber->text();
    c.exactSaleNumber = m_exactSaleNumber;
    c.code = m_code->text();
    c.model = m_model->text();
    c.operatorName = m_operator->text();
    if (m_dateTick->isChecked()) c.days = std::make_pair(m_from->date(), m_to->date());
    return c;
}

void Txstj::ScheduleSearch() { m_searchTimer.start(); }

void Txstj::ShowMonthSales() {
    m_searchTimer.stop();
    FillCategories();
    const QDate today = Clock::Today();
    const DateRange month = MonthRange(today.year(), today.month());
    m_lineCap->setVisible(LoadList(m_dm.ADOQuery13, LineRange(month)));
    m_saleCap->setVisible(LoadList(m_dm.ADOQuery9, SaleRange(month)));
    m_dm.ADOQuery13.Last();
    HideDeleteBox();
    LayOutDetailPage();
}

void Txstj::ShowAllSales() {
    m_searchTimer.stop();
    FillCategories();
    m_lineCap->setVisible(LoadList(m_dm.ADOQuery13, AllLines()));
    m_saleCap->setVisible(LoadList(m_dm.ADOQuery9, AllSaleHeaders()));
    m_dm.ADOQuery13.Last();
    HideDeleteBox();
    LayOutDetailPage();
}

void Txstj::SearchSales() {
    m_searchTimer.stop();
    HideDeleteBox();
    const SalesCriteria criteria = Criteria();
    m_lineCap->hide();
    m_lineCap->setVisible(LoadList(m_dm.ADOQuery13, SearchLines(criteria)));
    m_saleCap->hide();
    m_saleCap->setVisible(LoadList(m_dm.ADOQuery9, SearchSaleHeaders(criteria)));
    LayOutDetailPage();
}

void Txstj::ShowToday() {
    m_dateTick->setChecked(true);
    SearchSales();
}

void Txstj::ClearCriteria() {
    for (QLineEdit* box : {m_name, m_code, m_model}) {
        const QSignalBlocker quiet(box);
        box->clear();
    }
    {
        const QSignalBlocker quiet(m_category);
        m_category->setEditText(QString());
    }
    m_dateTick->setChecked(false);
    SearchSales();
}

void Txstj::PickSale(const QString& saleNumber) {
    if (saleNumber.isEmpty()) return;
    m_exactSaleNumber = true;
    m_saleNumber->setText(saleNumber);
    SearchSales();
}

void Txstj::HideDeleteBox() { m_deleteBox->hide(); }

void Txstj::AfterCurrentLineChanged(int row) {
    if (!m_deleteBox->isVisible()) return;
    const Query& lines = m_dm.ADOQuery13;
    const int id = lines.FieldIndex(LineCol::SoldLineId);
    if (row < 0 || id < 0 || lines.Value(row, id) != m_boxLineId) HideDeleteBox();
}

void Txstj::DeleteSaleLine() {
    const Query& lines = m_dm.ADOQuery13;
    const int row = m_lineGrid->CurrentRow();
    if (!lines.Active() || row < 0 || Text(lines, row, LineCol::SaleNumber).isEmpty()) return;
    for (const BoxField& f : kBoxFields)
        m_boxTexts[QString::fromUtf8(f.caption)]->setText(Text(lines, row, f.field));
    m_boxTexts[QStringLiteral("销售数量：")]->setText(Text(lines, row, LineCol::Quantity) +
                                                      Text(lines, row, LineCol::Unit));
    m_boxLineId = lines.Value(row, lines.FieldIndex(LineCol::SoldLineId));
    m_deleteBox->show();
    m_deleteBox->raise();
}

void Txstj::DeleteShownLine() {
    if (!m_deleteBox->isVisible() || m_boxLineId.isNull()) return;
    const LineDeletion done = DeleteSoldLine(m_dm.ADOConnection1, m_boxLineId.toLongLong(),
                                             m_operatorSource ? m_operatorSource() : QString(), Clock::Now());
    ShowMonthSales();
    for (auto& [caption, text] : m_boxTexts) text->clear();
    m_boxLineId = QVariant();
    HideDeleteBox();
    MonthlyProfit();
    DailyProfit();
    if (done == LineDeletion::NotFound)
        Dialogs::ShowWarning(QStringLiteral("这条销售记录已经不存在，没有删除任何记录。"));
    else
        Dialogs::ShowMessage(QStringLiteral("删除销售记录成功！"));
}

void Txstj::ShowChart(SalesChart* chart, Query& query, ChartMeasure measure, bool daily) {
    chart->Clear();
    // Hidden from this user for the whole run (the login hides the charts of every user but
    // the super administrator): not worth a statement.
    if (chart->isHidden() && chart->testAttribute(Qt::WA_WState_ExplicitShowHide)) return;
    try {
        chart->SetBars(daily ? DailyBars(query, measure, m_dailyYear->currentText(), m_month->currentText())
                             : MonthlyBars(query, measure, m_monthlyYear->currentText()));
    } catch (const EConvertError& error) {
        Dialogs::ShowError(error.Message());
    }
}

void Txstj::MonthlyProfit() { ShowChart(m_monthlyChart, *m_monthlyQuery, ChartMeasure::Profit, false); }
void Txstj::MonthlySales() { ShowChart(m_monthlyChart, *m_monthlyQuery, ChartMeasure::Sales, false); }
void Txstj::DailyProfit() { ShowChart(m_dailyChart, *m_dailyQuery, ChartMeasure::Profit, true); }
void Txstj::DailySales() { ShowChart(m_dailyChart, *m_dailyQuery, ChartMeasure::Sales, true); }

void Txstj::BuildLineMenu() {
    QTableView* view = m_lineGrid->View();
    m_lineMenu = new QMenu(this);
    const auto add = [&](const QString& caption, const QKeySequence& keys, void (Txstj::*command)()) {
        QAction* action = m_lineMenu->addAction(caption);
        action->setShortcut(keys);
        // The keys act while the line list has the focus, as the menu's entries do.
        action->setShortcutContext(Qt::WidgetShortcut);
        view->addAction(action);
        connect(action, &QAction::triggered, this, command);
    };
    add(QStringLiteral("导出Excel"), QKeySequence(Qt::CTRL | Qt::Key_E), &Txstj::ExportLines);
    add(QStringLiteral("打 印"), QKeySequence(Qt::CTRL | Qt::Key_D), &Txstj::PrintLines);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& at) { m_lineMenu->popup(view->viewport()->mapToGlobal(at)); });
}

void Txstj::ExportLines() {
    GridExporter(*m_lineGrid, SalesExportSettings(m_operatorSource())).AskAndExport(this);
}

std::unique_ptr<GridPrinter> Txstj::SalesReport() const {
    auto printer = std::make_unique<GridPrinter>(*m_lineGrid);
    SetUpSalesReport(*printer, m_operatorSource(), Clock::Today());
    return printer;
}

void Txstj::PrintLines() {
    const std::unique_ptr<GridPrinter> report = SalesReport();
    PrintPreview preview(*report, QStringLiteral("打印预览"), this);
    preview.exec();
}
