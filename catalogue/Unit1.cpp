#include "catalogue/Unit1.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStringList>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "catalogue/ListOutput.h"
#include "catalogue/ProductPanel.h"
#include "catalogue/Search.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/Pinyin.h"
#include "common/Sql.h"
#include "data/ColumnNames.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/dm.h"
#include "toolkit/DataGrid.h"
#include "toolkit/Forms.h"
#include "toolkit/GridExporter.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/LabelReport.h"
#include "toolkit/PrintPreview.h"

namespace {

// Every column of sp and its row id, kept last so the product columns keep their stored order.
const QString kListAll = QStringLiteral("select *, rowid from sp");
const QString kSearchStart = QStringLiteral("select *, rowid from sp where 销售单价<>0");

constexpr int kStatusHeight = 22;

// The standard size of the window's command buttons; their place comes from the layout.
const QRect kButton(0, 0, 80, 28);

// Bars of a barcode over a label edge.
QPixmap BarcodePicture() {
    QPixmap picture(40, 40);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1.5, 5.5, 37, 29), 4, 4);
    const int widths[] = {2, 1, 1, 3, 1, 2, 1, 1, 2, 3, 1, 2, 1};
    int x = 6;
    bool bar = true;
    for (int w : widths) {
        if (bar) painter.fillRect(QRect(x, 10, w, 16), Qt::black);
        x += w + (bar ? 0 : 1);
        bar = !bar;
    }
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 5));
    painter.drawText(QRect(4, 26, 32, 7), Qt::AlignCenter, QStringLiteral("6901234"));
    return picture;
}

// A green spreadsheet with a white X.
QPixmap SpreadsheetPicture() {
    QPixmap picture(40, 40);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1d, 0x6f, 0x42), 1));
    painter.setBrush(QColor(0xe8, 0xf5, 0xe9));
    painter.drawRect(QRectF(14.5, 6.5, 24, 28));
    for (int y = 13; y < 34; y += 7) painter.drawLine(15, y, 38, y);
    painter.drawLine(26, 7, 26, 34);
    painter.setBrush(QColor(0x1d, 0x6f, 0x42));
    painter.drawRoundedRect(QRectF(2, 10, 20, 20), 2, 2);
    painter.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(7, 15), QPointF(17, 25));
    painter.drawLine(QPointF(17, 15), QPointF(7, 25));
    return picture;
}

QToolButton* PictureButton(const QString& name, const QPixmap& picture, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setIcon(picture);
    button->setIconSize(picture.size());
    button->setText(name);
    button->setToolTip(name);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(72, 72);
    return button;
}

// A price box's number. A text with no digit at all (a lone point) is no price either.
double Price(const QString& text) {
    const bool hasDigit = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    if (!hasDigit) throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return StrToFloat(text);
}

}  // namespace

TForm1::TForm1(Tdmfm& dm, QWidget* parent) : QDialog(parent), m_dm(dm) {
    BuildLayout();
    Wire();
    SetProductButtons(false);
    resize(980, 620);
}

void TForm1::BuildLayout() {
    setWindowTitle(QStringLiteral("商品管理"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setFont(Forms::SongFont(12));
    BuildGrid();
    BuildBottom();
    BuildMenu();

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("statusBar"));
    m_status->setSizeGripEnabled(false);
    m_status->addWidget(new QLabel(QStringLiteral("回车加入"), m_status));

    m_panel = new ProductPanel(this);
    m_panel->move(190, 120);
    m_panel->hide();
}

void TForm1::BuildGrid() {
    m_grid = new DataGrid(this);
    m_grid->SetDataSource(&m_dm.DataSource12);
    using namespace ProductCol;
    m_grid->SetColumns(ProductListColumns({{Code, 120},
                                           {Category, 80},
                                           {Name, 160},
                                           {Model, 90},
                                           {PurchasePrice, 70},
                                           {SalePrice, 70},
                                           {MemberPrice, 70},
                                           {Unit, 50},
                                           {Supplier, 120}}));
    m_grid->SetMultiSelect(true);
    Forms::ApplyListStyle(m_grid);
    m_grid->setToolTip(QStringLiteral("双击进行修改和新建，点列标题可以排序"));
}

void TForm1::BuildBottom() {
    m_bottom = new QWidget(this);
    auto* row = new QHBoxLayout(m_bottom);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(12);

    using namespace ProductCol;
    m_criteria = new CriteriaBand(
        QStringLiteral("条件查询"),
        {{Code, {8, 24}}, {Category, {180, 24}}, {Name, {352, 24}}, {Model, {8, 60}}, {Supplier, {180, 60}}},
        {.labelWidth = 66, .boxWidth = 96, .search = QRect(362, 57, 80, 28), .clear = QRect(446, 57, 80, 28)},
        m_bottom);
    m_criteria->setFixedSize(526, 96);
    row->addWidget(m_criteria, 0, Qt::AlignVCenter);

    // Enter in the window never presses a button by itself (see Wire).
    const auto button = [this](const QString& caption, const QString& name) {
        QPushButton* made = Forms::Button(caption, m_bottom, kButton, Forms::EnterKey::LeftToWindow);
        made->setObjectName(name);
        return made;
    };
    m_newButton = button(QStringLiteral("新 建"), QStringLiteral("newButton"));
    m_deleteButton = button(QStringLiteral("删 除"), QStringLiteral("deleteButton"));
    m_allButton = button(QStringLiteral("全部记录"), QStringLiteral("allButton"));
    m_exportButton = button(QStringLiteral("导出Excel"), QStringLiteral("exportButton"));
    m_printButton = button(QStringLiteral("打 印"), QStringLiteral("printButton"));
    auto* commands = new QGridLayout;
    commands->setSpacing(6);
    commands->addWidget(m_newButton, 0, 0);
    commands->addWidget(m_deleteButton, 0, 1);
    commands->addWidget(m_allButton, 0, 2);
    commands->addWidget(m_exportButton, 1, 0);
    commands->addWidget(m_printButton, 1, 1);
    row->addLayout(commands);

    row->addStretch(1);
    m_barcodeButton = PictureButton(QStringLiteral("条形码打印"), BarcodePicture(), m_bottom);
    m_barcodeButton->setObjectName(QStringLiteral("barcodeButton"));
    m_importButton = PictureButton(QStringLiteral("Excel导入"), SpreadsheetPicture(), m_bottom);
    m_importButton->setObjectName(QStringLiteral("importButton"));
    row->addWidget(m_barcodeButton);
    row->addWidget(m_importButton);
    setMinimumSize(m_bottom->minimumSizeHint().width(), 420);
}

void TForm1::BuildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("gridMenu"));
    const std::pair<QString, QString> entries[] = {
        {QStringLiteral("新  建"), QStringLiteral("newAction")},
        {QStringLiteral("删  除"), QStringLiteral("deleteAction")},
        {QStringLiteral("全部记录"), QStringLiteral("allAction")},
        {QStringLiteral("导出EXCEL"), QStringLiteral("exportAction")},
        {QStringLiteral("打  印"), QStringLiteral("printAction")},
        {QStringLiteral("多行删除"), QStringLiteral("deleteRowsAction")},
    };
    for (const auto& [caption, name] : entries) m_menu->addAction(caption)->setObjectName(name);
    m_grid->View()->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::Wire() {
    // Enter only moves along the panel's boxes or presses the focused button, and Esc does not
    // close the window: a dialog's defaults would add a product or drop the typed values.
    Forms::ClickFocusedButtonOnEnter(this, Forms::EscapeKey::Ignored);
    ConnectOutputs();
    connect(m_grid, &DataGrid::RowClicked, this, &TForm1::LoadProduct);
    connect(m_grid, &DataGrid::RowDoubleClicked, this, [this] { m_panel->show(); });
    connect(m_criteria, &CriteriaBand::Changed, this, &TForm1::Search);
    connect(m_newButton, &QPushButton::clicked, this, &TForm1::NewProduct);
    connect(m_deleteButton, &QPushButton::clicked, this, &TForm1::DeleteProduct);
    connect(m_allButton, &QPushButton::clicked, this, &TForm1::ListAll);
    connect(m_panel->AddButton(), &QPushButton::clicked, this, &TForm1::AddProduct);
    connect(m_panel->ModifyButton(), &QPushButton::clicked, this, &TForm1::ModifyProduct);
    connect(m_panel->CloseIcon(), &QToolButton::clicked, m_panel, &QWidget::hide);

    // The menu runs the commands themselves, so it acts even while a button is disabled.
    const auto entry = [this](const char* name) {
        return m_menu->findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    connect(entry("newAction"), &QAction::triggered, this, &TForm1::NewProduct);
    connect(entry("deleteAction"), &QAction::triggered, this, &TForm1::DeleteProduct);
    connect(entry("allAction"), &QAction::triggered, this, &TForm1::ListAll);
    connect(entry("exportAction"), &QAction::triggered, m_exportButton, &QPushButton::clicked);
    connect(entry("printAction"), &QAction::triggered, m_printButton, &QPushButton::clicked);
    connect(entry("deleteRowsAction"), &QAction::triggered, this, &TForm1::DeleteSelectedRows);
    QTableView* view = m_grid->View();
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& at) { m_menu->popup(view->viewport()->mapToGlobal(at)); });
}

void TForm1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar: not a new opening
    m_dm.ADOTable4.Open();
    ListAll();
    SetProductButtons(false);
}

void TForm1::done(int result) {
    m_dm.ADOTable4.Close();
    m_dm.ADOQuery12.Close();
    SetProductButtons(false);
    m_panel->Clear();
    QDialog::done(result);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The list takes the window's outer height minus 170 pixels, counting the usual 22-pixel
    // caption and border; the bottom band and the status bar share the rest.
    const int listHeight = qMax(100, height() + 22 - 170);
    m_grid->setGeometry(0, 0, width(), listHeight);
    m_bottom->setGeometry(0, listHeight, width(), height() - listHeight - kStatusHeight);
    m_status->setGeometry(0, height() - kStatusHeight, width(), kStatusHeight);
}

void TForm1::SetProductButtons(bool enabled) {
    m_deleteButton->setEnabled(enabled);
    m_panel->ModifyButton()->setEnabled(enabled);
}

void TForm1::ListAll() {
    RunQuery(m_dm.ADOQuery12, kListAll);
    m_dm.ADOQuery12.Last();
}

void TForm1::Search() {
    const SearchStatement statement = ContainsSearch(kSearchStart, m_criteria->Boxes());
    RunQuery(m_dm.ADOQuery12, statement.sql, statement.values);
}

void TForm1::ClearCriteria() { m_criteria->Clear(); }

void TForm1::NewProduct() {
    m_panel->Clear();
    m_panel->show();
    m_panel->raise();
    m_panel->Box(ProductCol::Code)->setFocus();
}

void TForm1::LoadProduct(int row) {
    const Query& list = m_dm.ADOQuery12;
    if (row < 0 || row >= list.RecordCount()) return;
    const QString code = ValueText(list.Value(row, list.FieldIndex(ProductCol::Code)));
    if (code.isEmpty()) return;
    SetProductButtons(true);
    for (const auto& [column, box] : m_panel->Boxes())
        box->setText(ValueText(list.Value(row, list.FieldIndex(column))));
    m_loadedCode = code;
    m_loadedRow = list.Value(row, list.FieldIndex(QStringLiteral("rowid")));
}

bool TForm1::CodeExists(const QString& code) {
    return m_dm.ADOConnection1.Scalar(QStringLiteral("select count(*) from sp where 商品编码=?"), {code})
               .toInt() > 0;
}

void TForm1::RefuseDuplicate() {
    Dialogs::ShowMessage(QStringLiteral("商品编码已经存在，请重新输入！"));
    QLineEdit* code = m_panel->Box(ProductCol::Code);
    code->clear();
    code->setFocus();
}

bool TForm1::RequireValues() {
    return RequireText(m_panel->Box(ProductCol::Code), QStringLiteral("商品编码必须输入！")) &&
           RequireText(m_panel->Box(ProductCol::Name), QStringLiteral("商品名称必须输入！")) &&
           RequireText(m_panel->Box(ProductCol::PurchasePrice), QStringLiteral("进货单价必须输入！")) &&
           RequireText(m_panel->Box(ProductCol::SalePrice), QStringLiteral("销售单价必须输入！")) &&
           RequireText(m_panel->Box(ProductCol::MemberPrice), QStringLiteral("会员价/批发价必须输入！"));
}

std::vector<std::pair<QString, QVariant>> TForm1::PanelValues() const {
    const auto text = [this](const QString& column) { return m_panel->Text(column).trimmed(); };
    const auto price = [this](const QString& column) { return Price(m_panel->Text(column)); };
    using namespace ProductCol;
    return {
        {Code, text(Code)},
        {Category, text(Category)},
        {Name, text(Name)},
        {Model, text(Model)},
        {Supplier, text(Supplier)},
        {PurchasePrice, price(PurchasePrice)},
        {SalePrice, price(SalePrice)},
        {MemberPrice, price(MemberPrice)},
        {Unit, text(Unit)},
        {SupplierPinyin, PinyinCode(text(Supplier))},
        {NamePinyin, PinyinCode(text(Name))},
        {CategoryPinyin, PinyinCode(text(Category))},
    };
}

void TForm1::AfterWrite() {
    m_panel->Clear();
    ListAll();
    SetProductButtons(false);
    if (m_panel->isVisible()) m_panel->Box(ProductCol::Code)->setFocus();
}

void TForm1::AddProduct() {
    if (CodeExists(m_panel->Text(ProductCol::Code).trimmed())) return RefuseDuplicate();
    if (!RequireValues()) return;
    const auto values = PanelValues();
    Table& table = m_dm.ADOTable4;
    table.Append();
    for (const auto& [column, value] : values) table.Set(column, value);
    table.Post();
    AfterWrite();
}

void TForm1::ModifyProduct() {
    const QString code = m_panel->Text(ProductCol::Code).trimmed();
    // Exact comparison: a code another product has, even in other letter case, is refused.
    if (CodeExists(code) && code != m_loadedCode) return RefuseDuplicate();
    if (!RequireValues()) return;
    QStringList assignments;
    QVariantList values;
    for (const auto& [column, value] : PanelValues()) {
        assignments << QStringLiteral("\"%1\"=?").arg(column);
        values << value;
    }
    values << m_loadedRow;
    const QString sql = QStringLiteral("update sp set %1 where rowid=?").arg(assignments.join(u','));
    if (m_dm.ADOConnection1.Exec(sql, values) == 0) {
        // Deleted since it was loaded (the multi-row delete leaves the panel as it is).
        Dialogs::ShowWarning(QStringLiteral("要修改的商品已经不存在，未能修改！"));
        return;
    }
    AfterWrite();
}

void TForm1::DeleteProduct() {
    if (Dialogs::Confirm(QStringLiteral("你真的要删除选中资料吗？"))) {
        m_dm.ADOQuery12.DeleteCurrent(QStringLiteral("sp"));
        Dialogs::ShowMessage(QStringLiteral("删除成功！"));
        SetProductButtons(false);
    }
    m_panel->Clear();
    ListAll();
}

void TForm1::DeleteSelectedRows() {
    Query& list = m_dm.ADOQuery12;
    const QList<int> rows = m_grid->SelectedRows();
    try {
        // All or none: a failure halfway must not leave part of the selection deleted.
        Transaction transaction(m_dm.ADOConnection1);
        // From the last row up, so the rows still to delete keep their positions.
        for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
            list.SetRecNo(*row);
            list.DeleteCurrent(QStringLiteral("sp"));
        }
        transaction.Commit();
    } catch (const EDatabaseError&) {
        // The list has already dropped rows that the rollback kept: read it again.
        list.Reopen();
        throw;
    }
}

void TForm1::ConnectOutputs() {
    connect(m_exportButton, &QPushButton::clicked, this, &TForm1::ExportList);
    connect(m_printButton, &QPushButton::clicked, this, &TForm1::PrintList);
    connect(m_barcodeButton, &QToolButton::clicked, this, &TForm1::PrintLabels);
}

void TForm1::ExportList() { GridExporter(*m_grid, ProductExportSettings()).AskAndExport(this); }

std::unique_ptr<GridPrinter> TForm1::ProductReport() const {
    auto printer = std::make_unique<GridPrinter>(*m_grid);
    SetUpProductReport(*printer, Clock::Today());
    return printer;
}

void TForm1::PrintList() {
    const std::unique_ptr<GridPrinter> report = ProductReport();
    PrintPreview preview(*report, QStringLiteral("打印预览"), this);
    preview.exec();
}

std::unique_ptr<LabelReport> TForm1::LabelSheet(QString* error) const {
    auto labels = std::make_unique<LabelReport>(m_dm.ADOQuery12);
    if (!labels->LoadFromFile(LabelLayoutPath(), error)) return nullptr;
    return labels;
}

void TForm1::PrintLabels() {
    QString error;
    const std::unique_ptr<LabelReport> labels = LabelSheet(&error);
    if (!labels) return Dialogs::ShowError(error);
    PrintPreview preview(*labels, QStringLiteral("条形码打印"), this);
    preview.exec();
}
