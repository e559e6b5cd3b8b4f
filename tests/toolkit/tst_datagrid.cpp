// The list grid: title-click sort alternation and marker, footer sums and formats, two-level
// titles, the current row kept with the dataset's, columns filling the width, 100 000 rows.

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>
#include <numeric>

#include "common/Application.h"
#include "data/Errors.h"
#include "data/Numbers.h"
#include "tests/support/MemoryDataset.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"

namespace {

struct SaleLine {
    QString name;
    QVariant quantity, amount, profit;
};

void AddLines(TestDatabase& t, const std::vector<SaleLine>& lines) {
    for (const SaleLine& line : lines)
        t.db().Exec(QStringLiteral("insert into data (c, a, \"2\", \"6\", \"7\") values (?, ?, ?, ?, ?)"),
                    {QStringLiteral("69%1").arg(line.name.size()), line.name, line.quantity, line.amount,
                     line.profit});
}

void Reload(Query& query) {
    query.SetSQL(QStringLiteral("select * from data order by id"));
    query.Open();
}

// The checkout's sale grid: a hidden profit column whose footer is still read.
std::vector<GridColumn> SaleColumns() {
    const auto centred = Qt::AlignCenter;
    return {
        {.field = "c", .title = "商品编码", .width = 100, .alignment = centred},
        {.field = "a", .title = "商品名称", .width = 240, .alignment = centred},
        {.field = "2", .title = "数 量", .width = 100, .alignment = centred, .footer = GridFooter::Sum},
        {.field = "6",
         .title = "金 额",
         .width = 100,
         .alignment = centred,
         .footer = GridFooter::Sum,
         .footerFormat = "0.00"},
        {.field = "7", .title = "利润", .footer = GridFooter::Sum, .visible = false},
    };
}

QStringList ColumnTexts(const DataGrid& grid, int column) {
    QStringList texts;
    for (int row = 0; row < grid.RowCount(); ++row) texts << grid.CellText(row, column);
    return texts;
}

QPoint TitlePoint(const DataGrid& grid, int column, bool upperBand = false) {
    const QHeaderView* header = grid.View()->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    return {x, upperBand ? header->height() / 4 : header->height() * 3 / 4};
}

void ClickTitle(DataGrid& grid, int column, bool upperBand = false) {
    QTest::mouseClick(grid.View()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      TitlePoint(grid, column, upperBand));
}

// Drags the right edge of a column's title, as a user widens or narrows the column.
void DragTitleEdge(DataGrid& grid, int column, int dx) {
    QHeaderView* header = grid.View()->horizontalHeader();
    QWidget* viewport = header->viewport();
    const QPoint edge(header->sectionViewportPosition(column) + header->sectionSize(column) - 2,
                      header->height() / 2);
    QTest::mousePress(viewport, Qt::LeftButton, {}, edge);
    QTest::mouseMove(viewport, edge + QPoint(dx / 2, 0));
    QTest::mouseMove(viewport, edge + QPoint(dx, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, edge + QPoint(dx, 0));
}

QPoint CellPoint(const DataGrid& grid, int row, int column) {
    return grid.View()->visualRect(grid.View()->model()->index(row, column)).center();
}

}  // namespace

class TestDataGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titleClicksAlternateAndSurviveReloads();
    void footerSumsAndFormats_data();
    void footerSumsAndFormats();
    void footersFollowChangesAndFixedTexts();
    void twoLevelTitles();
    void currentRowFollowsTheDataset();
    void columnsFillTheWidth();
    void handlesManyRows();
};

void TestDataGrid::titleClicksAlternateAndSurviveReloads() {
    TestDatabase t;
    AddLines(t, {{"可乐", 2, 12.5, 1}, {"面包", 1, 0.53, 0.1}, {"牛奶", 0.5, 3, 0.2}});
    Query& query = t.dm().ADOQuery15;
    Reload(query);
    DataGrid grid;
    grid.SetColumns(SaleColumns());
    grid.SetDataSource(&t.dm().DataSource15);
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy sorted(&grid, &DataGrid::SortedByTitle);
    const int amount = 3, name = 1;

    struct Step {
        int column;
        QStringList amounts;
        bool descending;
    };
    const Step steps[] = {
        {amount, {"12.5", "3", "0.53"}, true},  // numbers by value, not as text
        {amount, {"0.53", "3", "12.5"}, false},
        {amount, {"12.5", "3", "0.53"}, true},
        {name, {"0.53", "3", "12.5"}, true},  // 面包 > 牛奶 > 可乐 in code points; another title starts
                                              // descending
        {amount, {"12.5", "3", "0.53"}, true},
    };
    for (const Step& step : steps) {
        ClickTitle(grid, step.column);
        QCOMPARE(ColumnTexts(grid, amount), step.amounts);
        QCOMPARE(grid.MarkedColumn(), step.column);
        QCOMPARE(grid.SortDescending(), step.descending);
        QCOMPARE(grid.NextAscending(step.column), step.descending);
        QCOMPARE(grid.NextAscending(step.column == amount ? name : amount), false);
        QCOMPARE(sorted.takeFirst(), QVariantList({step.column, step.descending}));
    }

    // A reload brings the order of entry and drops the marker; the flag keeps its alternation.
    Reload(query);
    QCOMPARE(ColumnTexts(grid, amount), QStringList({"12.5", "0.53", "3"}));
    QCOMPARE(grid.MarkedColumn(), -1);
    QVERIFY(grid.NextAscending(amount));
    ClickTitle(grid, amount);
    QCOMPARE(ColumnTexts(grid, amount), QStringList({"0.53", "3", "12.5"}));
    QCOMPARE(sorted.takeFirst(), QVariantList({amount, false}));

    Reload(query);
    grid.ReapplySort();
    QCOMPARE(ColumnTexts(grid, amount), QStringList({"0.53", "3", "12.5"}));
    QCOMPARE(grid.MarkedColumn(), amount);
    QVERIFY(!grid.SortDescending());

    // A closed list has nothing to sort: the click leaves the flags alone.
    query.Close();
    ClickTitle(grid, name);
    QCOMPARE(grid.SortColumn(), amount);
    QVERIFY(sorted.isEmpty());
}

void TestDataGrid::footerSumsAndFormats_data() {
    QTest::addColumn<QVariantList>("quantities");
    QTest::addColumn<QVariantList>("amounts");
    QTest::addColumn<QString>("quantityFooter");
    QTest::addColumn<QString>("amountFooter");
    QTest::addColumn<double>("amountSum");

    QTest::newRow("empty sale") << QVariantList() << QVariantList() << "0"
                                << "0.00" << 0.0;
    QTest::newRow("three lines") << QVariantList{2, 1, 0.5} << QVariantList{12.5, 0.53, 3} << "3.5"
                                 << "16.03" << 16.03;
    QTest::newRow("binary noise is rounded away") << QVariantList{0.1, 0.2} << QVariantList{0.1, 0.2} << "0.3"
                                                  << "0.30" << 0.3;
    QTest::newRow("kept to four decimals")
        << QVariantList{0.00004, 0.00004} << QVariantList{1.00004, 2.00004} << "0.0001"
        << "3.00" << 3.0001;
    QTest::newRow("nulls add nothing") << QVariantList{QVariant(), 4} << QVariantList{QVariant(), 2.5} << "4"
                                       << "2.50" << 2.5;
    QTest::newRow("a tiny return shows no minus sign") << QVariantList{-1} << QVariantList{-0.004} << "-1"
                                                       << "0.00" << -0.004;
}

void TestDataGrid::footerSumsAndFormats() {
    QFETCH(QVariantList, quantities);
    QFETCH(QVariantList, amounts);
    TestDatabase t;
    std::vector<SaleLine> lines;
    for (qsizetype i = 0; i < quantities.size(); ++i)
        lines.push_back({QStringLiteral("商品%1").arg(i), quantities[i], amounts[i], amounts[i]});
    AddLines(t, lines);
    Reload(t.dm().ADOQuery15);
    DataGrid grid;
    grid.SetColumns(SaleColumns());
    grid.SetDataSource(&t.dm().DataSource15);

    QTEST(grid.FooterValue(QStringLiteral("2")), "quantityFooter");
    QTEST(grid.FooterValue(QStringLiteral("6")), "amountFooter");
    QFETCH(double, amountSum);
    QVERIFY2(grid.FooterNumber(QStringLiteral("6")) == amountSum,  // exactly: the rounding removes the noise
             qPrintable(QString::number(grid.FooterNumber(QStringLiteral("6")), 'g', 17)));
    // The hidden profit column: general format, the same rounded sum.
    QCOMPARE(grid.FooterNumber(QStringLiteral("7")), grid.FooterNumber(QStringLiteral("6")));
    QCOMPARE(grid.FooterValue(QStringLiteral("7")), FormatGeneral(grid.FooterNumber(QStringLiteral("6"))));
}

void TestDataGrid::footersFollowChangesAndFixedTexts() {
    TestDatabase t;
    AddLines(t, {{"可乐", 2, 5, 1}, {"面包", 1, 3.5, 0.5}});
    Query& query = t.dm().ADOQuery15;
    Reload(query);
    DataGrid grid;
    std::vector<GridColumn> columns = SaleColumns();
    columns[0].footer = GridFooter::Text;
    columns[0].footerText = QStringLiteral("合计");
    columns[1].format = QStringLiteral("0.00");  // a number format leaves text cells alone
    columns[3].format = QStringLiteral("0.0");
    grid.SetColumns(columns);
    grid.SetDataSource(&t.dm().DataSource15);
    QCOMPARE(grid.FooterValue(QStringLiteral("c")), QStringLiteral("合计"));
    QCOMPARE(grid.FooterNumber(QStringLiteral("c")), 0.0);
    QCOMPARE(grid.FooterText(1), QString());
    QCOMPARE(grid.CellText(0, 1), QStringLiteral("可乐"));
    QCOMPARE(ColumnTexts(grid, 3), QStringList({"5.0", "3.5"}));
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("8.50"));

    query.Last();
    query.UpdateCurrent(QStringLiteral("data"), {{QStringLiteral("6"), 10.25}});
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("15.25"));
    query.DeleteCurrent(QStringLiteral("data"));
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("5.00"));
    AddLines(t, {{"牛奶", 3, 7, 2}});
    Reload(query);
    QCOMPARE(grid.FooterValue(QStringLiteral("2")), QStringLiteral("5"));
    QCOMPARE(grid.FooterNumber(QStringLiteral("7")), 3.0);
    query.Close();
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("0.00"));

    QVERIFY_THROWS_EXCEPTION(EDatabaseError, grid.FooterValue(QStringLiteral("day1")));
    QVERIFY_THROWS_EXCEPTION(
        std::invalid_argument,
        grid.SetColumns({{.field = "6", .footer = GridFooter::Sum, .footerFormat = "#,##0.00"}}));
    QCOMPARE(grid.FooterValue(QStringLiteral("6")),
             QStringLiteral("0.00"));  // the refused columns changed nothing
}

void TestDataGrid::twoLevelTitles() {
    TestDatabase t;
    t.db().Exec(
        QStringLiteral("insert into data1 (h, i, a, \"6\") values ('S1', '张三', '可乐', 9), "
                       "('S2', '李四', '面包', 4)"));
    Query& query = t.dm().ADOQuery13;
    query.Open();
    const QColor skyBlue(0xA6, 0xCA, 0xF0);
    DataGrid grid;
    grid.SetTitleHeight(20);
    grid.SetTitleColors(Qt::black, skyBlue);
    grid.SetColumns({
        {.field = "h",
         .title = "销售单|流水号",
         .width = 60,
         .footer = GridFooter::Text,
         .footerText = "合计",
         .footerAlignment = Qt::AlignCenter},
        {.field = "i", .title = "销售单|操作人", .width = 140},
        {.field = "a", .title = "商 品 信 息| 名 称"},
        {.field = "6", .title = "销 售 信 息|金 额", .footer = GridFooter::Sum},
    });
    grid.SetDataSource(&t.dm().DataSource13);
    grid.resize(500, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QHeaderView* header = grid.View()->horizontalHeader();
    QCOMPARE(header->height(), 40);

    // One band over both 销售单 titles, a line under it and between the lower titles.
    const QImage image = header->grab().toImage();
    const int upperY = 10, lowerY = 30;
    const int inGroup = header->sectionViewportPosition(1) - 1;
    const int betweenGroups = header->sectionViewportPosition(2) - 1;
    QCOMPARE(image.pixelColor(inGroup, upperY), skyBlue);
    QVERIFY(image.pixelColor(betweenGroups, upperY) != skyBlue);
    QVERIFY(image.pixelColor(inGroup, lowerY) != skyBlue);
    QVERIFY(image.pixelColor(inGroup + 6, 19) != skyBlue);

    // Only the lower title is a sort button.
    ClickTitle(grid, 0, true);
    QCOMPARE(grid.MarkedColumn(), -1);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"S1", "S2"}));
    ClickTitle(grid, 0);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"S2", "S1"}));
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("13"));

    // Without a "|" the header has one level.
    grid.SetColumns({{.field = "h", .title = "流水号"}, {.field = "a", .title = "名称"}});
    QCOMPARE(header->height(), 20);
}

void TestDataGrid::currentRowFollowsTheDataset() {
    TestDatabase t;
    AddLines(t, {{"可乐", 1, 1, 0}, {"面包", 1, 2, 0}, {"牛奶", 1, 3, 0}, {"饼干", 1, 4, 0}});
    Query& query = t.dm().ADOQuery15;
    Reload(query);
    DataGrid grid;
    grid.SetColumns(SaleColumns());
    grid.SetDataSource(&t.dm().DataSource15);
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy changed(&grid, &DataGrid::CurrentRowChanged);
    QSignalSpy clicked(&grid, &DataGrid::RowClicked);
    QSignalSpy doubleClicked(&grid, &DataGrid::RowDoubleClicked);
    QWidget* viewport = grid.View()->viewport();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, CellPoint(grid, 2, 1));
    QCOMPARE(query.RecNo(), 2);
    QCOMPARE(query.FieldByName(QStringLiteral("a")).AsString(), QStringLiteral("牛奶"));
    QCOMPARE(clicked.takeFirst(), QVariantList({2}));
    QCOMPARE(changed.takeLast(), QVariantList({2}));
    QTest::keyClick(grid.View(), Qt::Key_Up);
    QCOMPARE(query.RecNo(), 1);

    query.Last();
    QCOMPARE(grid.View()->currentIndex().row(), 3);
    QCOMPARE(grid.SelectedRows(), QList<int>({3}));
    QCOMPARE(changed.takeLast(), QVariantList({3}));

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, CellPoint(grid, 0, 0));
    QCOMPARE(doubleClicked.takeLast(), QVariantList({0}));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(10, viewport->height() - 5));
    QCOMPARE(doubleClicked.takeLast(), QVariantList({-1}));

    // A reload selects the row the dataset stands on.
    Reload(query);
    QCOMPARE(grid.View()->currentIndex().row(), 0);

    // Two reloads with a move to the last row in one turn: the second move waits to be shown,
    // and a click on the row the view still shows must win over it.
    Reload(query);
    query.Last();
    Reload(query);
    query.Last();
    const int shownRow = grid.View()->currentIndex().row();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, CellPoint(grid, shownRow, 1));
    QCoreApplication::processEvents();
    QCOMPARE(query.RecNo(), shownRow);
    QCOMPARE(grid.View()->currentIndex().row(), shownRow);

    grid.SetMultiSelect(true);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, CellPoint(grid, 0, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, CellPoint(grid, 2, 0));
    QCOMPARE(grid.SelectedRows(), QList<int>({0, 2}));
    QCOMPARE(query.RecNo(), 2);

    query.Close();
    QCOMPARE(grid.CurrentRow(), -1);
    QCOMPARE(changed.takeLast(), QVariantList({-1}));
    QVERIFY(grid.SelectedRows().isEmpty());
}

void TestDataGrid::columnsFillTheWidth() {
    TestDatabase t;
    AddLines(t, {{"可乐", 1, 1, 0}});
    Reload(t.dm().ADOQuery15);
    DataGrid grid;
    grid.SetColumns(SaleColumns());  // 100 : 240 : 100 : 100, the profit column hidden
    grid.SetDataSource(&t.dm().DataSource15);
    grid.resize(560, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QHeaderView* header = grid.View()->horizontalHeader();
    const auto widths = [header] {
        QList<int> w;
        for (int c = 0; c < 4; ++c) w << header->sectionSize(c);
        return w;
    };
    const auto total = [&] {
        const QList<int> w = widths();
        return std::accumulate(w.begin(), w.end(), 0);
    };
    const int available = grid.View()->viewport()->width();
    QCOMPARE(total(), available);
    QVERIFY(header->isSectionHidden(4));
    QVERIFY(qAbs(header->sectionSize(1) - 2.4 * header->sectionSize(0)) <= 2);

    // The user widens 商品名称: the columns to its right make room, those to its left stay.
    const int first = header->sectionSize(0), second = header->sectionSize(1);
    DragTitleEdge(grid, 1, 60);
    QCOMPARE(header->sectionSize(1), second + 60);
    QCOMPARE(header->sectionSize(0), first);
    QCOMPARE(total(), available);
    QVERIFY(qAbs(header->sectionSize(2) - header->sectionSize(3)) <= 1);
    DragTitleEdge(grid, 1, 1000);  // never past the room the others need
    QCOMPARE(total(), available);
    QVERIFY(header->sectionSize(3) >= 8);
    QVERIFY(!grid.View()->horizontalScrollBar()->isVisible());

    // A wider grid scales the user's widths; a reload keeps them and the hidden column.
    DragTitleEdge(grid, 1, 200 - header->sectionSize(1));
    QCOMPARE(header->sectionSize(1), 200);
    const QList<int> before = widths();
    grid.resize(1120, 200);
    QTRY_COMPARE(total(), grid.View()->viewport()->width());
    const double scale = double(grid.View()->viewport()->width()) / available;
    for (int c = 0; c < 4; ++c) QVERIFY(qAbs(header->sectionSize(c) - before[c] * scale) <= 2);
    const QList<int> wide = widths();
    Reload(t.dm().ADOQuery15);
    QCOMPARE(widths(), wide);
    QVERIFY(header->isSectionHidden(4));
}

void TestDataGrid::handlesManyRows() {
    MemoryDataset dataset;
    DataSource source(&dataset);
    DataGrid grid;
    grid.SetColumns(SaleColumns());
    grid.SetDataSource(&source);
    grid.resize(980, 344);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    constexpr int kRows = 100000;
    std::vector<Dataset::Row> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.push_back({QStringLiteral("69%1").arg(i), QStringLiteral("商品%1").arg(i % 977), double(i % 7),
                        0.01 * i, 0.001 * i});
    dataset.Load({"c", "a", "2", "6", "7"}, std::move(rows));
    dataset.Last();
    QCoreApplication::processEvents();
    QCOMPARE(grid.RowCount(), kRows);
    QCOMPARE(grid.FooterValue(QStringLiteral("6")), QStringLiteral("49999500.00"));
    QCOMPARE(grid.FooterValue(QStringLiteral("2")), QStringLiteral("299995"));

    // The first click sorts descending, by value over the whole list.
    ClickTitle(grid, 3);
    QCOMPARE(grid.CellText(0, 3), QStringLiteral("999.99"));
    QCOMPARE(grid.CellText(kRows - 1, 3), QStringLiteral("0"));
    for (int row = 1; row < kRows; ++row)
        QVERIFY2(grid.CellValue(row - 1, 3).toDouble() >= grid.CellValue(row, 3).toDouble(),
                 qPrintable(QStringLiteral("row %1").arg(row)));

    // Walking the bound rows, as a printout or an export does, must not drag the grid along:
    // it follows the first move at once and the end of the walk when the event loop runs.
    QCoreApplication::processEvents();
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
        if (dataset.RecNo() == 0) QCOMPARE(grid.View()->currentIndex().row(), 0);
    }
    QCOMPARE(grid.View()->currentIndex().row(), 0);
    QTRY_COMPARE(grid.View()->currentIndex().row(), kRows - 1);
}

POS_WIDGET_TEST_MAIN(TestDataGrid)
#include "tst_datagrid.moc"
