// The sales line list's report and export, driven from the line list's context menu and keys:
// the rows as shown after a search and a sort, and the operator who logged in.

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPdfWriter>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "common/Clock.h"
#include "common/MainFormOps.h"
#include "sales/Unit4.h"
#include "tests/sales/SalesFixture.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/Printouts.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/GridExporter.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/PrintPreview.h"

namespace {

struct Window {
    TestDatabase t;
    FakeMainForm main;
    std::unique_ptr<Txstj> form;
    QStringList opened;
    GridExporter::FileOpener previous;

    Window() {
        Clock::SetFixed(QDateTime(QDate(2026, 1, 15), QTime(10, 0)));
        FillFixtureShop(t.db());
        // The operator as chosen at login; the user need not exist any more.
        form = std::make_unique<Txstj>(t.dm(), main, [] { return U("已删除的收银员"); });
        previous = GridExporter::SetFileOpener([this](const QString& file) { opened << file; });
        form->show();
        form->activateWindow();
    }
    ~Window() {
        GridExporter::SetFileOpener(previous);
        Clock::SetFixed({});
    }
    QTableView* Lines() const { return form->LineGrid()->View(); }
    QString File(const QString& name) const { return QDir(t.Folder()).filePath(name); }
};

}  // namespace

class TestSalesReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuEntriesAndKeys();
    void exportHoldsTheLinesAsShown();
    void reportHoldsTheLinesAndTheOperator();
};

void TestSalesReport::menuEntriesAndKeys() {
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QStringList entries;
    for (const QAction* action : w.form->LineMenu()->actions())
        entries << action->text() + u' ' + action->shortcut().toString();
    QCOMPARE(entries, QStringList({U("导出Excel Ctrl+E"), U("打 印 Ctrl+D")}));

    // Ctrl+E on the focused line list asks for the file; Ctrl+D opens the preview.
    w.Lines()->setFocus();
    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::SaveFile, QString(), false);
    QTest::keyClick(w.Lines(), Qt::Key_E, Qt::ControlModifier);
    VERIFY_DIALOGS(dialogs);
    QString title;
    QTimer::singleShot(0, w.form.get(), [&] {
        if (auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget())) {
            title = preview->windowTitle();
            preview->reject();
        }
    });
    QTest::keyClick(w.Lines(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(title, U("打印预览"));
}

void TestSalesReport::exportHoldsTheLinesAsShown() {
    Window w;
    DataGrid* grid = w.form->LineGrid();
    grid->SortByTitle(grid->ColumnIndex(U("6")));  // amount, descending
    const int rows = grid->RowCount();
    QVERIFY(rows >= 3);
    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::SaveFile, QString(), true, w.File(U("销售.xls")));
    w.form->LineMenu()->actions().at(0)->trigger();
    VERIFY_DIALOGS(dialogs);
    const QList<QStringList> sheet = ReadXlsx(w.File(U("销售.xlsx")));
    QCOMPARE(sheet.size(), 4 + rows);
    QCOMPARE(sheet[0], QStringList{U("s:销 售 报 表")});
    QCOMPARE(sheet[1], QStringList{U("s:制表人：已删除的收银员")});
    QCOMPARE(sheet[3].first(), U("s:销售单 流水号"));
    const std::vector<int> shown = grid->VisibleColumns();
    const int amount = int(std::find(shown.begin(), shown.end(), grid->ColumnIndex(U("6"))) - shown.begin());
    double last = 1e9;
    for (int row = 0; row < rows; ++row) {
        const QString cell = sheet[4 + row].value(amount);
        QVERIFY2(cell.startsWith(U("n:")), qPrintable(cell));
        const double value = cell.mid(2).toDouble();
        QVERIFY(value <= last);  // in the sorted order
        last = value;
        QCOMPARE(sheet[4 + row].first(), U("s:") + grid->CellText(row, 0));
    }
    QCOMPARE(w.opened, QStringList{w.File(U("销售.xlsx"))});
}

void TestSalesReport::reportHoldsTheLinesAndTheOperator() {
    Window w;
    DataGrid* grid = w.form->LineGrid();
    const auto report = w.form->SalesReport();
    const QString pdf = w.File("sales.pdf");
    {
        QPdfWriter writer(pdf);
        QVERIFY(PrintReport(*report, &writer));
    }
    KeepForLooking(pdf);
    const QString text = PdfText(pdf);
    QVERIFY(QString(text).remove(u' ').contains(U("销售统计报表")));  // pdftotext drops narrow blanks
    QVERIFY(text.contains(U("Page. 1")));
    // pdftotext may narrow the four blanks between the two.
    QVERIFY(QRegularExpression(U("制表人：已删除的收银员 +日期：2026-01-15")).match(text).hasMatch());
    // Long cells wrap inside their column; the names are short enough to read whole.
    const int name = grid->ColumnIndex(U("a"));
    QVERIFY(grid->RowCount() >= 3);
    for (int row = 0; row < grid->RowCount(); ++row)
        QVERIFY2(text.contains(grid->CellText(row, name)), qPrintable(grid->CellText(row, name)));
    QVERIFY(text.contains(U("合计")));
}

POS_WIDGET_TEST_MAIN(TestSalesReport)
#include "tst_salesreport.moc"
