#include "checkout/SaleGrid.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include "common/Sql.h"
#include "data/ColumnNames.h"
#include "data/dm.h"
#include "toolkit/Forms.h"

namespace {

GridColumn Centred(const QString& field, const char* title, int width) {
    GridColumn column;
    column.field = field;
    column.title = QString::fromUtf8(title);
    column.width = width;
    column.alignment = Qt::AlignCenter;
    return column;
}

}  // namespace

SaleGrid::SaleGrid(Tdmfm& dm, QWidget* parent) : DataGrid(parent), m_dm(dm) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    setFont(font);
    // The code column is a little wider than the name column gives up: a 13-digit barcode is
    // wider in the Song face installed here than in SimSun, and must show whole.
    std::vector<GridColumn> columns = {
        Centred(LineCol::Code, "商品编码", 108),  Centred(LineCol::Name, "商品名称", 232),
        Centred(LineCol::Model, "规格型号", 120), Centred(LineCol::SalePrice, "销售价", 100),
        Centred(LineCol::Quantity, "数 量", 100), Centred(LineCol::Unit, "单 位", 60),
        Centred(LineCol::Amount, "金 额", 100),   Centred(LineCol::Profit, "利润", 100)};
    columns[4].footer = GridFooter::Sum;
    columns[4].titleColor = Qt::white;
    columns[4].titleBackground = QColor(0x80, 0x00, 0x00);
    columns[6].footer = GridFooter::Sum;
    columns[6].footerFormat = QStringLiteral("0.00");
    columns[7].footer = GridFooter::Sum;
    columns[7].visible = false;
    SetColumns(std::move(columns));
    SetDataSource(&dm.DataSource15);
    Forms::ApplyListStyle(this, 18);
    SetFooterColor(QColor(0xFF, 0xC2, 0x86));

    m_menu = new QMenu(this);
    m_changePrice = m_menu->addAction(QStringLiteral("修改销售单价"));
    m_changeQuantity = m_menu->addAction(QStringLiteral("修改数量"));
    m_changeQuantity->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    m_deleteLine = m_menu->addAction(QStringLiteral("删除单个商品"));
    m_deleteLine->setShortcut(QKeySequence(Qt::Key_Delete));
    m_deleteAll = m_menu->addAction(QStringLiteral("删除全部"));
    m_menu->addSeparator();
    m_pay = m_menu->addAction(QStringLiteral("结 账"));
    // The keys act only while the grid has the focus.
    for (QAction* action : {m_changeQuantity, m_deleteLine}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    View()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(View(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(View()->viewport()->mapToGlobal(at)); });
    connect(this, &DataGrid::RowClicked, this, &SaleGrid::SaleRowClicked);
    connect(this, &DataGrid::SortedByTitle, this, [this] { Q_EMIT SortStarted(); });
}

void SaleGrid::ReloadSaleGrid() {
    RunQuery(m_dm.ADOQuery15, QStringLiteral("select * from data order by id"));
    m_dm.ADOQuery15.Last();
}

void SaleGrid::SortSaleGrid(int column) { SortByTitle(column); }

void SaleGrid::SaleRowClicked(int row) {
    if (row == m_lastClickedRow) return;
    m_lastClickedRow = row;
    Q_EMIT LeftRow();
}
