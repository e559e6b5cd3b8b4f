#include "catalogue/ys.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "catalogue/Search.h"
#include "common/MainFormOps.h"
#include "common/Sql.h"
#include "data/dm.h"
#include "toolkit/DataGrid.h"

namespace {

QString Column(const char* name) { return QString::fromUtf8(name); }

QPushButton* Button(const QString& caption, QWidget* parent, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    // Enter never picks by itself: typing a search and Enter must not ring up the first row.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

Tysfm::Tysfm(Tdmfm& dm, MainFormOps& mainForm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_mainForm(mainForm) {
    setWindowTitle(QStringLiteral("商品编码查找"));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(660, 470);

    (new QLabel(QStringLiteral("请选择下面的商品（双击直接选择商品）"), this))->setGeometry(10, 8, 400, 20);

    m_grid = new DataGrid(this);
    m_grid->setGeometry(8, 30, 644, 318);
    m_grid->SetDataSource(&m_dm.DataSource5);
    m_grid->SetColumns({
        {.field = Column("商品编码"), .title = Column("商品编码"), .width = 120},
        {.field = Column("商品类别"), .title = Column("商品类别"), .width = 80},
        {.field = Column("商品名称"), .title = Column("商品名称"), .width = 170},
        {.field = Column("规格型号"), .title = Column("规格型号"), .width = 90},
        {.field = Column("销售单价"),
         .title = Column("销售单价"),
         .width = 70,
         .alignment = Qt::AlignRight | Qt::AlignVCenter},
        {.field = Column("供货商"), .title = Column("供货商"), .width = 110},
    });
    m_grid->SetIndicator(true);
    m_grid->SetRowHeight(20);
    m_grid->SetTitleHeight(20);
    m_grid->SetRowColors(Qt::white, QColor(0xEE, 0xEE, 0xEE));
    m_grid->SetTitleColors(Qt::black, QColor(0x87, 0xCE, 0xEB));
    m_grid->setToolTip(QStringLiteral("双击直接选择商品，点列标题可以排序"));
    connect(m_grid, &DataGrid::RowDoubleClicked, this, &Tysfm::Pick);

    auto* criteria = new QGroupBox(QStringLiteral(" 输入查询"), this);
    criteria->setGeometry(8, 358, 500, 100);
    struct Criterion {
        const char* column;
        const char* label;
        int x, y;
    };
    // The on-screen order; the conditions go in name, code, model, category order.
    const Criterion boxes[] = {
        {"商品编码", "商品编码：", 8, 26},
        {"商品名称", "商品名称：", 192, 26},
        {"商品类别", "商品类别：", 8, 62},
        {"规格型号", "规格型号：", 192, 62},
    };
    std::vector<std::pair<QString, QLineEdit*>> shown;
    for (const Criterion& c : boxes) {
        auto* label = new QLabel(QString::fromUtf8(c.label), criteria);
        label->setGeometry(c.x, c.y + 3, 70, 18);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(criteria);
        box->setGeometry(c.x + 72, c.y, 104, 22);
        connect(box, &QLineEdit::textChanged, this, &Tysfm::Search);
        shown.emplace_back(QString::fromUtf8(c.column), box);
    }
    for (const char* column : {"商品名称", "商品编码", "规格型号", "商品类别"})
        for (const auto& entry : shown)
            if (entry.first == Column(column)) m_criteria.push_back(entry);
    m_searchButton = Button(QStringLiteral("查  询"), criteria, QRect(396, 24, 92, 28));
    m_clearButton = Button(QStringLiteral("清空条件"), criteria, QRect(396, 60, 92, 28));
    connect(m_searchButton, &QPushButton::clicked, this, &Tysfm::Search);
    connect(m_clearButton, &QPushButton::clicked, this, &Tysfm::ClearCriteria);

    m_pickButton = Button(QStringLiteral("选定"), this, QRect(528, 370, 120, 34));
    m_cancelButton = Button(QStringLiteral("取消"), this, QRect(528, 416, 120, 34));
    connect(m_pickButton, &QPushButton::clicked, this, &Tysfm::Pick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* Tysfm::CriteriaBox(const QString& column) const {
    for (const auto& [name, box] : m_criteria)
        if (name == column) return box;
    return nullptr;
}

void Tysfm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar: not a new opening
    RunQuery(m_dm.ADOQuery5,
             QStringLiteral("select 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 from sp group by "
                            "商品编码,商品类别,商品名称,规格型号,销售单价,供货商 order by 商品编码"));
}

void Tysfm::done(int result) {
    m_dm.ADOQuery5.Close();
    QDialog::done(result);
}

void Tysfm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            return;
        default:
            QDialog::keyPressEvent(event);  // Esc cancels
    }
}

void Tysfm::Search() {
    const SearchStatement statement =
        ContainsSearch(QStringLiteral("select * from sp where 销售单价>0"), m_criteria);
    RunQuery(m_dm.ADOQuery5, statement.sql, statement.values);
}

void Tysfm::ClearCriteria() {
    // Each box that held text searches again as it empties.
    for (const auto& [column, box] : m_criteria) box->clear();
}

void Tysfm::Pick() {
    const Query& list = m_dm.ADOQuery5;
    const QString code = list.IsEmpty() ? QString() : list.FieldByName(Column("商品编码")).AsString();
    m_mainForm.EntryField()->setText(code);
    m_mainForm.AddProductByCode();
    accept();
}
