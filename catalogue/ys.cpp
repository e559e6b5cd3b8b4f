#include "catalogue/ys.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "catalogue/Search.h"
#include "common/MainFormOps.h"
#include "common/Sql.h"
#include "data/ColumnNames.h"
#include "data/dm.h"
#include "toolkit/DataGrid.h"
#include "toolkit/Forms.h"

Tysfm::Tysfm(Tdmfm& dm, MainFormOps& mainForm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_mainForm(mainForm), m_fullList(dm.ADOQuery5.SQL()) {
    BuildLayout();
    Wire();
}

void Tysfm::BuildLayout() {
    setWindowTitle(QStringLiteral("商品编码查找"));
    setFont(Forms::SongFont(12));
    setFixedSize(660, 470);

    (new QLabel(QStringLiteral("请选择下面的商品（双击直接选择商品）"), this))->setGeometry(10, 8, 400, 20);

    m_grid = new DataGrid(this);
    m_grid->setGeometry(8, 30, 644, 318);
    m_grid->SetDataSource(&m_dm.DataSource5);
    using namespace ProductCol;
    m_grid->SetColumns(ProductListColumns(
        {{Code, 120}, {Category, 80}, {Name, 170}, {Model, 90}, {SalePrice, 70}, {Supplier, 110}}));
    Forms::ApplyListStyle(m_grid);
    m_grid->setToolTip(QStringLiteral("双击直接选择商品，点列标题可以排序"));

    m_criteria =
        new CriteriaBand(QStringLiteral(" 输入查询"),
                         {{Code, {8, 26}}, {Name, {192, 26}}, {Category, {8, 62}}, {Model, {192, 62}}},
                         {.labelWidth = 70,
                          .boxWidth = 104,
                          .search = QRect(396, 24, 92, 28),
                          .clear = QRect(396, 60, 92, 28)},
                         this);
    m_criteria->setGeometry(8, 358, 500, 100);
    m_criteria->SetConditionOrder({Name, Code, Model, Category});

    // Enter never picks by itself: typing a search and Enter must not ring up the first row.
    m_pickButton =
        Forms::Button(QStringLiteral("选定"), this, QRect(528, 370, 120, 34), Forms::EnterKey::LeftToWindow);
    m_pickButton->setObjectName(QStringLiteral("pickButton"));
    m_cancelButton =
        Forms::Button(QStringLiteral("取消"), this, QRect(528, 416, 120, 34), Forms::EnterKey::LeftToWindow);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
}

void Tysfm::Wire() {
    Forms::ClickFocusedButtonOnEnter(this);  // Esc cancels
    connect(m_grid, &DataGrid::RowDoubleClicked, this, &Tysfm::Pick);
    connect(m_criteria, &CriteriaBand::Changed, this, &Tysfm::Search);
    connect(m_pickButton, &QPushButton::clicked, this, &Tysfm::Pick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void Tysfm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar: not a new opening
    RunQuery(m_dm.ADOQuery5, m_fullList);
}

void Tysfm::done(int result) {
    m_dm.ADOQuery5.Close();
    QDialog::done(result);
}

void Tysfm::Search() {
    const SearchStatement statement =
        ContainsSearch(QStringLiteral("select * from sp where 销售单价>0"), m_criteria->Boxes());
    RunQuery(m_dm.ADOQuery5, statement.sql, statement.values);
}

void Tysfm::ClearCriteria() {
    m_criteria->Clear();  // each box that held text searches again as it empties
}

void Tysfm::Pick() {
    const Query& list = m_dm.ADOQuery5;
    const QString code = list.IsEmpty() ? QString() : list.FieldByName(ProductCol::Code).AsString();
    m_mainForm.EntryField()->setText(code);
    m_mainForm.AddProductByCode();
    accept();
}
