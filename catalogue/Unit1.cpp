#include "catalogue/Unit1.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
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
#include "data/Errors.h"
#include "data/Numbers.h"
#include "data/dm.h"
#include "toolkit/DataGrid.h"
#include "toolkit/GridExporter.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/LabelReport.h"
#include "toolkit/PrintPreview.h"

namespace {

// Every column of sp and its row id, kept last so the product columns keep their stored order.
const QString kListAll = QStringLiteral("select *, rowid from sp");
const QString kSearchStart = QStringLiteral("select *, rowid from sp where 销售单价<>0");

constexpr int kStatusHeight = 22;

QString Column(const char* name) { return QString::fromUtf8(name); }

QPushButton* Button(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setFixedSize(80, 28);
    // Enter in the window never presses a button by itself (see keyPressEvent).
    button->setAutoDefault(false);
    return button;
}

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
    setWindowTitle(QStringLiteral("商品管理"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);

    m_grid = new DataGrid(this);
    m_grid->SetDataSource(&m_dm.DataSource12);
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    m_grid->SetColumns({
        {.field = Column("商品编码"), .title = Column("商品编码"), .width = 120},
        {.field = Column("商品类别"), .title = Column("商品类别"), .width = 80},
        {.field = Column("商品名称"), .title = Column("商品名称"), .width = 160},
        {.field = Column("规格型号"), .title = Column("规格型号"), .width = 90},
        {.field = Column("进货单价"), .title = Column("进货单价"), .width = 70, .alignment = right},
        {.field = Column("销售单价"), .title = Column("销售单价"), .width = 70, .alignment = right},
        {.field = Column("会员价"), .title = Column("会员价"), .width = 70, .alignment = right},
        {.field = Column("单位"), .title = Column("单位"), .width = 50},
        {.field = Column("供货商"), .title = Column("供货商"), .width = 120},
    });
    m_grid->SetMultiSelect(true);
    m_grid->SetIndicator(true);
    m_grid->SetRowHeight(20);
    m_grid->SetTitleHeight(20);
    m_grid->SetRowColors(Qt::white, QColor(0xEE, 0xEE, 0xEE));
    m_grid->SetTitleColors(Qt::black, QColor(0x87, 0xCE, 0xEB));
    m_grid->setToolTip(QStringLiteral("双击进行修改和新建，点列标题可以排序"));
    connect(m_grid, &DataGrid::RowClicked, this, &TForm1::LoadProduct);
    connect(m_grid, &DataGrid::RowDoubleClicked, this, [this] { m_panel->show(); });

    BuildBottom();
    BuildMenu();
    ConnectOutputs();

    m_status = new QStatusBar(this);
    m_status->setSizeGripEnabled(false);
    m_status->addWidget(new QLabel(QStringLiteral("回车加入"), m_status));

    m_panel = new ProductPanel(this);
    m_panel->move(190, 120);
    m_panel->hide();
    connect(m_panel->AddButton(), &QPushButton::clicked, this, &TForm1::AddProduct);
    connect(m_panel->ModifyButton(), &QPushButton::clicked, this, &TForm1::ModifyProduct);
    connect(m_panel->CloseIcon(), &QToolButton::clicked, m_panel, &QWidget::hide);

    SetProductButtons(false);
    resize(980, 620);
}

void TForm1::BuildBottom() {
    m_bottom = new QWidget(this);
    auto* row = new QHBoxLayout(m_bottom);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(12);

    auto* criteria = new QGroupBox(QStringLiteral("条件查询"), m_bottom);
    criteria->setFixedSize(526, 96);
    struct Criterion {
        const char* column;
        const char* label;
        int x, y;
    };
    const Criterion boxes[] = {
        {"商品编码", "商品编码：", 8, 24},   {"商品类别", "商品类别：", 180, 24},
        {"商品名称", "商品名称：", 352, 24}, {"规格型号", "规格型号：", 8, 60},
        {"供货商", "供货商：", 180, 60},
    };
    for (const Criterion& c : boxes) {
        auto* label = new QLabel(QString::fromUtf8(c.label), criteria);
        label->setGeometry(c.x, c.y + 3, 66, 18);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(criteria);
        box->setGeometry(c.x + 68, c.y, 96, 22);
        // The input method starts off; only a hint, so Chinese can still be typed into the name boxes.
        box->setInputMethodHints(Qt::ImhPreferLatin);
        connect(box, &QLineEdit::textChanged, this, &TForm1::Search);
        m_criteria.emplace_back(QString::fromUtf8(c.column), box);
    }
    m_searchButton = Button(QStringLiteral("查  询"), criteria);
    m_searchButton->move(362, 57);
    m_clearButton = Button(QStringLiteral("清空条件"), criteria);
    m_clearButton->move(446, 57);
    connect(m_searchButton, &QPushButton::clicked, this, &TForm1::Search);
    connect(m_clearButton, &QPushButton::clicked, this, &TForm1::ClearCriteria);
    row->addWidget(criteria, 0, Qt::AlignVCenter);

    auto* commands = new QGridLayout;
    commands->setSpacing(6);
    m_newButton = Button(QStringLiteral("新 建"), m_bottom);
    m_deleteButton = Button(QStringLiteral("删 除"), m_bottom);
    m_allButton = Button(QStringLiteral("全部记录"), m_bottom);
    m_exportButton = Button(QStringLiteral("导出Excel"), m_bottom);
    m_printButton = Button(QStringLiteral("打 印"), m_bottom);
    commands->addWidget(m_newButton, 0, 0);
    commands->addWidget(m_deleteButton, 0, 1);
    commands->addWidget(m_allButton, 0, 2);
    commands->addWidget(m_exportButton, 1, 0);
    commands->addWidget(m_printButton, 1, 1);
    row->addLayout(commands);
    connect(m_newButton, &QPushButton::clicked, this, &TForm1::NewProduct);
    connect(m_deleteButton, &QPushButton::clicked, this, &TForm1::DeleteProduct);
    connect(m_allButton, &QPushButton::clicked, this, &TForm1::ListAll);

    row->addStretch(1);
    m_barcodeButton = PictureButton(QStringLiteral("条形码打印"), BarcodePicture(), m_bottom);
    m_importButton = PictureButton(QStringLiteral("Excel导入"), SpreadsheetPicture(), m_bottom);
    row->addWidget(m_barcodeButton);
    row->addWidget(m_importButton);
    setMinimumSize(m_bottom->minimumSizeHint().width(), 420);
}

void TForm1::BuildMenu() {
    m_menu = new QMenu(this);
    // The menu runs the commands themselves, so it acts even while a button is disabled.
    connect(m_menu->addAction(QStringLiteral("新  建")), &QAction::triggered, this, &TForm1::NewProduct);
    connect(m_menu->addAction(QStringLiteral("删  除")), &QAction::triggered, this, &TForm1::DeleteProduct);
    connect(m_menu->addAction(QStringLiteral("全部记录")), &QAction::triggered, this, &TForm1::ListAll);
    connect(m_menu->addAction(QStringLiteral("导出EXCEL")), &QAction::triggered, m_exportButton,
            &QPushButton::clicked);
    connect(m_menu->addAction(QStringLiteral("打  印")), &QAction::triggered, m_printButton,
            &QPushButton::clicked);
    connect(m_menu->addAction(QStringLiteral("多行删除")), &QAction::triggered, this,
            &TForm1::DeleteSelectedRows);
    QTableView* view = m_grid->View();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& at) { m_menu->popup(view->viewport()->mapToGlobal(at)); });
}

QLineEdit* TForm1::CriteriaBox(const QString& column) const {
    for (const auto& [name, box] : m_criteria)
        if (name == column) return box;
    return nullptr;
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
    m_dm.ADOQuery1.Close();
    m_dm.ADOQuery2.Close();
    m_dm.ADOQuery12.Close();
    m_dm.ADOQuery4.Close();
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

void TForm1::keyPressEvent(QKeyEvent* event) {
    // Enter only moves along the panel's boxes or presses the focused button, and Esc does not
    // close the window: a dialog's defaults would add a product or drop the typed values.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            return;
        case Qt::Key_Escape:
            return;
        default:
            QDialog::keyPressEvent(event);
    }
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
    const SearchStatement statement = ContainsSearch(kSearchStart, m_criteria);
    RunQuery(m_dm.ADOQuery12, statement.sql, statement.values);
}

void TForm1::ClearCriteria() {
    for (const auto& [column, box] : m_criteria) box->clear();
}

void TForm1::NewProduct() {
    m_panel->Clear();
    m_panel->show();
    m_panel->raise();
    m_panel->Box(Column("商品编码"))->setFocus();
}

void TForm1::LoadProduct(int row) {
    const Query& list = m_dm.ADOQuery12;
    if (row < 0 || row >= list.RecordCount()) return;
    const QString code = ValueText(list.Value(row, list.FieldIndex(Column("商品编码"))));
    if (code.isEmpty()) return;
    SetProductButtons(true);
    for (const auto& [column, box] : m_panel->Boxes())
        box->setText(ValueText(list.Value(row, list.FieldIndex(column))));
    m_loadedCode = code;
    m_loadedRow = list.Value(row, list.FieldIndex(QStringLiteral("rowid")));
}

bool TForm1::CodeExists(const QString& code) {
    RunQuery(m_dm.ADOQuery4, QStringLiteral("select * from sp where 商品编码=?"), {code});
    return !m_dm.ADOQuery4.IsEmpty();
}

void TForm1::RefuseDuplicate() {
    Dialogs::ShowMessage(QStringLiteral("商品编码已经存在，请重新输入！"));
    QLineEdit* code = m_panel->Box(Column("商品编码"));
    code->clear();
    code->setFocus();
}

bool TForm1::RequireValues() {
    return RequireText(m_panel->Box(Column("商品编码")), QStringLiteral("商品编码必须输入！")) &&
           RequireText(m_panel->Box(Column("商品名称")), QStringLiteral("商品名称必须输入！")) &&
           RequireText(m_panel->Box(Column("进货单价")), QStringLiteral("进货单价必须输入！")) &&
           RequireText(m_panel->Box(Column("销售单价")), QStringLiteral("销售单价必须输入！")) &&
           RequireText(m_panel->Box(Column("会员价")), QStringLiteral("会员价/批发价必须输入！"));
}

std::vector<std::pair<QString, QVariant>> TForm1::PanelValues() const {
    const auto text = [this](const char* column) { return m_panel->Text(Column(column)).trimmed(); };
    const auto price = [this](const char* column) { return Price(m_panel->Text(Column(column))); };
    return {
        {Column("商品编码"), text("商品编码")},
        {Column("商品类别"), text("商品类别")},
        {Column("商品名称"), text("商品名称")},
        {Column("规格型号"), text("规格型号")},
        {Column("供货商"), text("供货商")},
        {Column("进货单价"), price("进货单价")},
        {Column("销售单价"), price("销售单价")},
        {Column("会员价"), price("会员价")},
        {Column("单位"), text("单位")},
        {QStringLiteral("ghspy"), PinyinCode(text("供货商"))},
        {QStringLiteral("sppy"), PinyinCode(text("商品名称"))},
        {QStringLiteral("lbpy"), PinyinCode(text("商品类别"))},
    };
}

void TForm1::AfterWrite() {
    m_panel->Clear();
    ListAll();
    SetProductButtons(false);
    if (m_panel->isVisible()) m_panel->Box(Column("商品编码"))->setFocus();
}

void TForm1::AddProduct() {
    if (CodeExists(m_panel->Text(Column("商品编码")).trimmed())) return RefuseDuplicate();
    if (!RequireValues()) return;
    const auto values = PanelValues();
    Table& table = m_dm.ADOTable4;
    table.Append();
    for (const auto& [column, value] : values) table.Set(column, value);
    table.Post();
    AfterWrite();
}

void TForm1::ModifyProduct() {
    const QString code = m_panel->Text(Column("商品编码")).trimmed();
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
    if (RunCommand(m_dm.ADOQuery2, sql, values) == 0) {
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
    // From the last row up, so the rows still to delete keep their positions.
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        list.SetRecNo(*row);
        list.DeleteCurrent(QStringLiteral("sp"));
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
