// The sales detail window driven as the shop keeper drives it: the month shown on opening, the
// day and name searches, the pick of a sale, clearing the criteria, the delete box after key
// moves, the charts and their refusals, and the charts hidden from everybody but the super
// administrator.

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "app/MAIN.h"
#include "common/Clock.h"
#include "common/MainFormOps.h"
#include "sales/SalesChart.h"
#include "sales/Unit4.h"
#include "tests/sales/SalesFixture.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/FloatingPanel.h"

namespace {

struct Window {
    TestDatabase t;
    FakeMainForm main;
    std::unique_ptr<Txstj> form;

    explicit Window(const QDate& today = QDate(2026, 1, 15)) {
        Clock::SetFixed(QDateTime(today, QTime(10, 0)));
        FillFixtureShop(t.db());
        form = std::make_unique<Txstj>(t.dm(), main, [] { return U("超级管理员"); });
    }
    ~Window() { Clock::SetFixed({}); }

    void Open() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    QStringList Column(DataGrid* grid, const QString& field) const {
        QStringList values;
        const int column = grid->ColumnIndex(field);
        for (int row = 0; row < grid->RowCount(); ++row) values << grid->CellText(row, column);
        return values;
    }
    QStringList Lines(const char* field = "day1") const { return Column(form->LineGrid(), U(field)); }
    QStringList Sales(const char* field = "a") const { return Column(form->SaleGrid(), U(field)); }
    void Click(const char* button) const { QTest::mouseClick(form->Button(U(button)), Qt::LeftButton); }
    QPoint CellCentre(DataGrid* grid, int row) const {
        QTableView* view = grid->View();
        return view->visualRect(view->model()->index(row, 2)).center();
    }
    void ClickLine(int row) const {
        QTest::mouseClick(form->LineGrid()->View()->viewport(), Qt::LeftButton, {},
                          CellCentre(form->LineGrid(), row));
    }
    void Key(Qt::Key key) const { QTest::keyClick(form->LineGrid()->View(), key); }
};

}  // namespace

class TestSalesDetail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openingShowsTheMonthAndTheProfitCharts();
    void everyMonthShowsOnlyItsOwnLines_data();
    void everyMonthShowsOnlyItsOwnLines();
    void todayAndANameSearchKeepTheMemberPriceZeroLine();
    void aPickShowsThatSaleAloneUntilTheBoxIsEdited();
    void clearingCriteriaSearchesOnceWithoutTheDates();
    void deleteTakesTheLineTheBoxShowedAfterKeyMoves();
    void theChartButtonsAndBadYears();
    void closingReloadsTheSaleGrid();
    void onlyTheSuperAdministratorSeesTheCharts();
};

void TestSalesDetail::openingShowsTheMonthAndTheProfitCharts() {
    Window w;
    w.Open();
    QCOMPARE(w.Lines().size(), 9);
    for (const QString& day : w.Lines()) QVERIFY(day.startsWith(U("2026-01-")));
    QCOMPARE(w.Sales().size(), 7);
    QCOMPARE(w.form->LineGrid()->CurrentRow(), 8);  // the last line
    QCOMPARE(w.form->LineGrid()->FooterValue(U("h")), U("合计"));
    QCOMPARE(w.form->LineGrid()->FooterValue(U("6")), U("38.00"));
    QCOMPARE(w.form->LineGrid()->FooterValue(U("7")), U("7.90"));
    QCOMPARE(w.form->LineGrid()->FooterValue(U("2")), U("13"));
    QCOMPARE(w.form->FromDate()->date(), QDate(2026, 1, 15));
    QCOMPARE(w.form->ToDate()->date(), QDate(2026, 1, 15));
    QCOMPARE(w.form->MonthBox()->currentText(), U("1"));
    QCOMPARE(w.form->MonthlyYearBox()->currentText(), U("2026"));
    QCOMPARE(w.form->MonthlyYearBox()->itemText(0), U("2026"));
    QCOMPARE(w.form->MonthlyYearBox()->count(), 3);
    QCOMPARE(w.form->CategoryBox()->count(), 3);
    QCOMPARE(w.form->MonthlyChart()->Marks(), (QStringList{U("7.9"), U("1"), U("0.5"), U("1.7"), U("1")}));
    QCOMPARE(w.form->DailyChart()->Marks(), (QStringList{U("0.5"), U("1.7"), U("3.7"), U("1.5"), U("0.5")}));
    QCOMPARE(w.form->MonthlyChart()->AxisLabels().value(3), U("3月"));
    QCOMPARE(w.form->DailyChart()->AxisLabels().value(17), U("17日"));
    QVERIFY(!w.form->LineCapLabel()->isVisible());
    QVERIFY(!w.form->DeleteBox()->isVisible());
}

void TestSalesDetail::everyMonthShowsOnlyItsOwnLines_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("days");
    QTest::newRow("January, not November")
        << QDate(2026, 1, 3)
        << QStringList{U("2026-01-15"), U("2026-01-15"), U("2026-01-15"), U("2026-01-31"), U("2026-01-20"),
                       U("2026-01-20"), U("2026-01-05"), U("2026-01-06"), U("2026-01-06")};
    QTest::newRow("February, not December") << QDate(2026, 2, 28) << QStringList{U("2026-02-01")};
    QTest::newRow("June of a year ending in 6") << QDate(2026, 6, 1) << QStringList{U("2026-06-15")};
    QTest::newRow("December") << QDate(2025, 12, 31) << QStringList{U("2025-12-31")};
    QTest::newRow("a month without sales") << QDate(2026, 3, 10) << QStringList{};
}

void TestSalesDetail::everyMonthShowsOnlyItsOwnLines() {
    QFETCH(QDate, today);
    QFETCH(QStringList, days);
    Window w(today);
    w.form->ShowMonthSales();
    QCOMPARE(w.Lines(), days);
    if (days.isEmpty()) QCOMPARE(w.form->LineGrid()->FooterValue(U("6")), U("0.00"));
}

void TestSalesDetail::todayAndANameSearchKeepTheMemberPriceZeroLine() {
    Window w;
    w.Open();
    w.Click("todayButton");
    QVERIFY(w.form->DateTick()->isChecked());
    QCOMPARE(w.Lines("a"), (QStringList{U("矿泉水"), U("饼干"), U("方便面")}));
    QCOMPARE(w.Sales(), (QStringList{U("CJG26115000004"), U("CJG26115000005")}));
    // The name typed, with the date still ticked; the list follows after the typing stops.
    w.form->NameBox()->setFocus();
    TypeText(w.form->NameBox(), U("饼干"));
    QTRY_COMPARE(w.Lines("a"), QStringList{U("饼干")});
    w.form->DateTick()->setChecked(false);
    w.Click("searchButton");
    QCOMPARE(w.Lines(), (QStringList{U("2026-01-15"), U("2026-02-01"), U("2026-12-01"), U("2026-01-20")}));
}

void TestSalesDetail::aPickShowsThatSaleAloneUntilTheBoxIsEdited() {
    Window w;
    w.Open();
    DataGrid* sales = w.form->SaleGrid();
    const int xs1 = int(w.Sales().indexOf(U("XS1")));
    QVERIFY(xs1 >= 0);
    QTest::mouseDClick(sales->View()->viewport(), Qt::LeftButton, {}, w.CellCentre(sales, xs1));
    QCOMPARE(w.form->SaleNumberBox()->text(), U("XS1"));
    QCOMPARE(w.Sales(), QStringList{U("XS1")});
    QCOMPARE(w.Lines("h"), QStringList{U("XS1")});
    // Typed into: the number matches anywhere again.
    w.form->SaleNumberBox()->setFocus();
    w.form->SaleNumberBox()->end(false);
    QTest::keyClick(w.form->SaleNumberBox(), Qt::Key_Backspace);
    QTest::keyClick(w.form->SaleNumberBox(), Qt::Key_1);
    QTRY_COMPARE(w.Lines("h"), (QStringList{U("XS1"), U("XS12")}));
    // A double click on a line picks its sale too.
    const int dup = int(w.Lines("h").indexOf(U("XS12")));
    QTest::mouseDClick(w.form->LineGrid()->View()->viewport(), Qt::LeftButton, {},
                       w.CellCentre(w.form->LineGrid(), dup));
    QCOMPARE(w.Sales(), QStringList{U("XS12")});
}

void TestSalesDetail::clearingCriteriaSearchesOnceWithoutTheDates() {
    Window w;
    w.Open();
    w.Click("todayButton");
    w.form->OperatorBox()->setText(U("收银员"));
    w.form->CodeBox()->setText(U("6901"));
    w.form->CategoryBox()->setEditText(U("饮料"));
    w.form->ModelBox()->setText(U("500"));
    w.form->NameBox()->setText(U("矿泉水"));
    w.Click("searchButton");
    QCOMPARE(w.Lines("a"), QStringList{U("矿泉水")});
    w.Click("clearButton");
    for (const QString& text : {w.form->NameBox()->text(), w.form->CodeBox()->text(),
                                w.form->ModelBox()->text(), w.form->CategoryBox()->currentText()})
        QVERIFY(text.isEmpty());
    QVERIFY(!w.form->DateTick()->isChecked());
    QCOMPARE(w.form->OperatorBox()->text(), U("收银员"));  // kept, as the sale number is
    QCOMPARE(w.Lines().size(), 17);
    QCOMPARE(w.Sales().size(), 14);
}

void TestSalesDetail::deleteTakesTheLineTheBoxShowedAfterKeyMoves() {
    Window w;
    w.Open();
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage(U("删除销售记录成功！"));
    const QStringList names = w.Lines("a");
    w.ClickLine(0);
    w.form->LineGrid()->View()->setFocus();
    w.Key(Qt::Key_Delete);
    QVERIFY(w.form->DeleteBox()->isVisible());
    QCOMPARE(w.form->DeleteBoxText(QString()), names[0]);
    QCOMPARE(w.form->DeleteBoxText(U("销售数量：")), U("3个"));
    // A key move to another line hides the box; Delete there shows that line.
    w.Key(Qt::Key_Down);
    QTRY_VERIFY(!w.form->DeleteBox()->isVisible());
    w.Key(Qt::Key_Delete);
    QVERIFY(w.form->DeleteBox()->isVisible());
    QCOMPARE(w.form->DeleteBoxText(QString()), U("饼干"));
    QCOMPARE(w.form->DeleteBoxText(U("销售金额：")), U("5"));
    QTest::mouseClick(w.form->DeleteButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);

    QVERIFY(!w.form->DeleteBox()->isVisible());
    QCOMPARE(w.t.Count(U("data1"), U("a=? and h='CJG26115000004'"), {U("饼干")}), 0);
    QCOMPARE(w.t.Count(U("data1"), U("a=? and h='CJG26115000004'"), {U("矿泉水")}), 1);
    QCOMPARE(w.t.Count(U("deleted_lines"), U("a=? and deleted_by=?"), {U("饼干"), U("超级管理员")}), 1);
    QCOMPARE(w.Lines().size(), 8);
    QCOMPARE(w.form->LineGrid()->FooterValue(U("6")), U("33.00"));
    // The sale list and both profit charts count the sale without the line.
    QCOMPARE(w.Column(w.form->SaleGrid(), U("1")).value(int(w.Sales().indexOf(U("CJG26115000004")))), U("6"));
    QCOMPARE(w.form->MonthlyChart()->Marks().value(0), U("6.9"));
    QCOMPARE(w.form->DailyChart()->Marks().value(2), U("2.7"));
    // Delete on a list without lines does nothing.
    w.form->DateTick()->setChecked(true);
    w.form->FromDate()->setDate(QDate(2020, 1, 1));
    w.form->ToDate()->setDate(QDate(2020, 1, 1));
    w.Click("searchButton");
    w.Key(Qt::Key_Delete);
    QVERIFY(!w.form->DeleteBox()->isVisible());
}

void TestSalesDetail::theChartButtonsAndBadYears() {
    Window w;
    w.Open();
    w.form->Pages()->setCurrentIndex(1);
    w.Click("monthlySalesButton");
    QCOMPARE(w.form->MonthlyChart()->Marks(), (QStringList{U("38"), U("5"), U("2"), U("9"), U("5")}));
    w.form->DailyYearBox()->setEditText(U("2025"));
    w.form->MonthBox()->setCurrentText(U("12"));
    w.Click("dailySalesButton");
    QCOMPARE(w.form->DailyChart()->Marks(), QStringList{U("7")});
    ScriptedDialogs dialogs;
    dialogs.ExpectError(U("'20x6' is not a valid integer value"));
    w.form->MonthlyYearBox()->setEditText(U("20x6"));
    w.Click("monthlyProfitButton");
    VERIFY_DIALOGS(dialogs);
    QVERIFY(w.form->MonthlyChart()->Bars().empty());
    QCOMPARE(w.form->DailyChart()->Marks(), QStringList{U("7")});
}

void TestSalesDetail::closingReloadsTheSaleGrid() {
    Window w;
    w.Open();
    w.form->reject();
    QCOMPARE(w.main.reloads, 1);
    QVERIFY(!w.t.dm().ADOQuery13.Active());
    // The next opening loads the month again.
    w.Open();
    QCOMPARE(w.Lines().size(), 9);
}

void TestSalesDetail::onlyTheSuperAdministratorSeesTheCharts() {
    Window w;
    TMainForm mainForm(w.t.dm(), w.t.Folder() + U("/config.ini"));
    mainForm.AddAdminOnly(w.form->MonthlyChart());
    mainForm.AddAdminOnly(w.form->DailyChart());
    w.Open();
    w.form->Pages()->setCurrentIndex(1);
    QVERIFY(w.form->MonthlyChart()->isVisible());
    w.form->reject();
    mainForm.HideAdminCommands();
    w.Open();
    w.form->Pages()->setCurrentIndex(1);
    QVERIFY(!w.form->MonthlyChart()->isVisible());
    QVERIFY(!w.form->DailyChart()->isVisible());
    QVERIFY(w.form->Button(U("monthlyProfitButton"))->isVisible());
}

POS_WIDGET_TEST_MAIN(TestSalesDetail)
#include "tst_salesdetail.moc"
