// Ringing up a sale at the desk, the sale grid, the cashier's line corrections and the line
// detail panel, driven with keys and clicks on the main window.

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "checkout/Cart.h"
#include "checkout/LinePanel.h"
#include "checkout/PaymentPanel.h"
#include "checkout/SaleGrid.h"
#include "common/Application.h"
#include "tests/checkout/CheckoutFixture.h"
#include "tests/support/WidgetTest.h"

namespace {

struct Line {
    QString code;
    double quantity, price, amount, profit;
};

std::vector<Line> Lines(TestDatabase& t) {
    Query q(t.db(), QStringLiteral("select c, [2], [4], [6], [7] from data order by id"));
    q.Open();
    std::vector<Line> lines;
    for (q.First(); !q.Eof(); q.Next())
        lines.push_back(
            {q.FieldByName(QStringLiteral("c")).AsString(), q.FieldByName(QStringLiteral("2")).AsFloat(),
             q.FieldByName(QStringLiteral("4")).AsFloat(), q.FieldByName(QStringLiteral("6")).AsFloat(),
             q.FieldByName(QStringLiteral("7")).AsFloat()});
    return lines;
}

void ClickTitle(DataGrid* grid, int column) {
    QHeaderView* header = grid->View()->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

QStringList ColumnTexts(DataGrid* grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid->RowCount(); ++r) texts << grid->CellText(r, column);
    return texts;
}

void ClickRow(DataGrid* grid, int row, bool twice = false) {
    QTableView* view = grid->View();
    const QRect cell = view->visualRect(view->model()->index(row, 1));
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    else
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

}  // namespace

class TestCart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repeatedCodeMergesIntoOneLine();
    void codeMatchesWithoutLatinCase();
    void entryDropsCharactersThatAreNoCode();
    void quantityPrompt_data();
    void quantityPrompt();
    void priceChangeBetweenScansKeepsLinePrice();
    void productWithoutUsablePricesLeavesSaleUnchanged_data();
    void productWithoutUsablePricesLeavesSaleUnchanged();
    void unknownCodeIsDropped();
    void totalsAndFooters();
    void enterOnEmptyEntryWithEmptySale();
    void titleClickSortsAndReloadRestoresEntryOrder();
    void deleteKeyRemovesSelectedLine();
    void deleteAllEmptiesTheSale();
    void openSaleSurvivesRestart();
    void linePanelEditsALine();
    void linePanelCancelAndClose();
    void linePanelKeysAndUpDown();
    void linePanelRefusesWhatIsNoLine_data();
    void linePanelRefusesWhatIsNoLine();
    void memberPriceIsANumberOrNothing();
    void movingOffTheLineDisablesSave();
    void pastedTextObeysTheKeys_data();
    void pastedTextObeysTheKeys();
};

void TestCart::repeatedCodeMergesIntoOneLine() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("6901"), 3.5, 2);
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("2"));
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("3"));
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(lines[0].quantity, 5.0);
    QCOMPARE(lines[0].amount, 17.5);
    QCOMPARE(lines[0].profit, 7.5);
    QCOMPARE(f.Count(), QStringLiteral("商品数量：5"));
    QCOMPARE(f.Total(), QStringLiteral("共:17.50元"));
    QVERIFY(f.form->EntryField()->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
    // The line carries the desk's sale number, operator and date.
    QCOMPARE(f.t.Count(QStringLiteral("data"),
                       QStringLiteral("h=? and i=? and day1=? and [5]=0 and d=? and z=? and g=?"),
                       {QStringLiteral("CJG121122000002"), QStringLiteral("超级管理员"),
                        QStringLiteral("2026-12-11"), QStringLiteral("饮料"), QStringLiteral("瓶"),
                        QStringLiteral("本地批发")}),
             1);
}

void TestCart::codeMatchesWithoutLatinCase() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("ABC12"), 2, 1);
    f.Scan(dialogs, QStringLiteral("abc12"), QStringLiteral("1"));
    f.Scan(dialogs, QStringLiteral("ABC12"), QStringLiteral("1"));
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(lines[0].code, QStringLiteral("ABC12"));
    QCOMPARE(lines[0].quantity, 2.0);
}

void TestCart::entryDropsCharactersThatAreNoCode() {
    CheckoutFixture f;
    QLineEdit* entry = f.form->EntryField();
    QTest::keyClicks(entry, QStringLiteral("69 0-1.a"));
    for (const QChar c : QStringLiteral("商品"))
        QTest::sendKeyEvent(QTest::Click, entry, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClicks(entry, QStringLiteral("Z9"));
    QCOMPARE(entry->text(), QStringLiteral("6901aZ9"));
    QTest::keyClick(entry, Qt::Key_Backspace);
    QCOMPARE(entry->text(), QStringLiteral("6901aZ"));
}

void TestCart::quantityPrompt_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("askedAgain");  // the answer is explained and the prompt comes back
    QTest::addColumn<double>("added");
    QTest::newRow("whole") << "3" << true << false << 3.0;
    QTest::newRow("fraction") << "2.5" << true << false << 2.5;
    QTest::newRow("two zeros before the point") << "100.5" << true << false << 100.5;
    QTest::newRow("cancel adds nothing") << "7" << false << false << 0.0;
    for (const char* invalid : {"", "0", "-5", ".", "1e308", "1,5", ".5", "5.", "1.2.3"})
        QTest::newRow(*invalid ? invalid : "empty") << QString::fromLatin1(invalid) << true << true << 2.0;
}

void TestCart::quantityPrompt() {
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(bool, askedAgain);
    QFETCH(double, added);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("6901"), 2, 1);
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("1"));
    auto expectAnswer = [&](bool secondAccepted) {
        dialogs.Expect(Dialogs::Kind::Input, QStringLiteral("请输入数量"), accept, typed);
        if (askedAgain)
            dialogs.ExpectWarning(QStringLiteral("数量"))
                .Expect(Dialogs::Kind::Input, QStringLiteral("请输入数量"), secondAccepted,
                        QStringLiteral("2"));
    };
    expectAnswer(true);
    f.Type(QStringLiteral("6901"));
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(lines[0].quantity, 1 + added);
    QCOMPARE(lines[0].amount, 2 * (1 + added));
    QVERIFY(f.form->EntryField()->text().isEmpty());
    // A new code that is given no quantity makes no line of quantity 0 either.
    f.AddProduct(QStringLiteral("6903"), 1, 0.5);
    expectAnswer(false);
    f.Type(QStringLiteral("6903"));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("[2] is null or [2] <= 0")), 0);
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("c='6903'")), accept && !askedAgain ? 1 : 0);
}

void TestCart::priceChangeBetweenScansKeepsLinePrice() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("6901"), 2, 1);
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("1"));
    f.t.db().Exec(QStringLiteral("update sp set 销售单价=3"));
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("2"));
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines[0].price, 2.0);
    QCOMPARE(lines[0].amount, 8.0);
}

void TestCart::productWithoutUsablePricesLeavesSaleUnchanged_data() {
    QTest::addColumn<QVariant>("price");
    QTest::addColumn<QVariant>("cost");
    QTest::addColumn<QVariant>("member");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("asked");  // a price that is no number stops before the quantity prompt
    QTest::newRow("empty sale price")
        << QVariant() << QVariant(1) << QVariant(0) << "'' is not a valid floating point value" << true;
    QTest::newRow("sale price text") << QVariant(QStringLiteral("两元")) << QVariant(1) << QVariant(0)
                                     << "'两元' is not a valid floating point value" << false;
    QTest::newRow("empty purchase price")
        << QVariant(2) << QVariant() << QVariant(0) << "'' is not a valid floating point value" << true;
    QTest::newRow("member price text") << QVariant(2) << QVariant(1) << QVariant(QStringLiteral("x"))
                                       << "'x' is not a valid floating point value" << true;
}

void TestCart::productWithoutUsablePricesLeavesSaleUnchanged() {
    QFETCH(QVariant, price);
    QFETCH(QVariant, cost);
    QFETCH(QVariant, member);
    QFETCH(QString, message);
    QFETCH(bool, asked);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1111"), 1, 0.5);
    f.Scan(dialogs, QStringLiteral("1111"), QStringLiteral("1"));
    f.AddProduct(QStringLiteral("6901"), price, cost, {}, member);
    if (asked) dialogs.Expect(Dialogs::Kind::Input, QStringLiteral("请输入数量"), true, QStringLiteral("2"));
    dialogs.ExpectError(message);
    f.Type(QStringLiteral("6901"));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Lines(f.t).size(), size_t(1));
    QCOMPARE(f.form->EntryField()->text(), QStringLiteral("6901"));
    QCOMPARE(f.Total(), QStringLiteral("共:1.00元"));
}

void TestCart::unknownCodeIsDropped() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    QTest::keyClicks(f.form->EntryField(), QStringLiteral("404"));
    QTest::keyClick(f.form->EntryField(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(f.form->EntryField()->text().isEmpty());
    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
}

void TestCart::totalsAndFooters() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    QCOMPARE(f.form->Grid()->FooterValue(QStringLiteral("2")), QStringLiteral("0"));
    QCOMPARE(f.form->Grid()->FooterValue(QStringLiteral("6")), QStringLiteral("0.00"));
    f.AddProduct(QStringLiteral("1"), 12.5, 10);
    f.AddProduct(QStringLiteral("2"), 0.1, 0.05);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("2"));
    f.Scan(dialogs, QStringLiteral("2"), QStringLiteral("3"));
    QCOMPARE(f.Total(), QStringLiteral("共:25.30元"));
    QCOMPARE(f.Count(), QStringLiteral("商品数量：5"));
    QCOMPARE(f.form->Grid()->FooterValue(QStringLiteral("7")), QStringLiteral("5.15"));  // hidden profit

    f.t.db().Exec(QStringLiteral("delete from data"));
    f.AddProduct(QStringLiteral("3"), 0.53, 0);
    f.AddProduct(QStringLiteral("4"), 6, 0);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("1"));
    f.Scan(dialogs, QStringLiteral("3"), QStringLiteral("1"));
    f.Scan(dialogs, QStringLiteral("4"), QStringLiteral("0.5"));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.form->Grid()->FooterValue(QStringLiteral("6")), QStringLiteral("16.03"));
    QCOMPARE(f.Count(), QStringLiteral("商品数量：2.5"));
}

void TestCart::enterOnEmptyEntryWithEmptySale() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    QTest::keyClick(f.form->EntryField(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.Total(), QStringLiteral("共:0.00元"));
    QCOMPARE(f.Count(), QStringLiteral("商品数量：0"));
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
}

void TestCart::titleClickSortsAndReloadRestoresEntryOrder() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1, QStringLiteral("乙"));
    f.AddProduct(QStringLiteral("2"), 9, 1, QStringLiteral("甲"));
    f.AddProduct(QStringLiteral("3"), 5, 1, QStringLiteral("丙"));
    for (const char* code : {"1", "2", "3"}) f.Scan(dialogs, QString::fromLatin1(code), QStringLiteral("1"));
    SaleGrid* grid = f.form->Grid();
    const int amount = grid->ColumnIndex(QStringLiteral("6"));
    ClickTitle(grid, amount);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"2", "3", "1"}));
    ClickTitle(grid, amount);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"1", "3", "2"}));
    ClickTitle(grid, grid->ColumnIndex(QStringLiteral("a")));
    QCOMPARE(grid->SortDescending(), true);
    f.form->ReloadSaleGrid();
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"1", "2", "3"}));
    QCOMPARE(grid->CurrentRow(), 2);
    // The flags outlive the reload: the amount column goes on from where it was.
    ClickTitle(grid, amount);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"2", "3", "1"}));
    VERIFY_DIALOGS(dialogs);
}

void TestCart::deleteKeyRemovesSelectedLine() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    for (const char* code : {"1", "2", "3"}) {
        f.AddProduct(QString::fromLatin1(code), 1, 0.5);
        f.Scan(dialogs, QString::fromLatin1(code), QStringLiteral("1"));
    }
    SaleGrid* grid = f.form->Grid();
    ClickRow(grid, 1);
    grid->View()->setFocus();
    QTest::keyClick(grid->View(), Qt::Key_Delete);
    QCOMPARE(ColumnTexts(grid, 0), QStringList({"1", "3"}));
    QCOMPARE(f.t.Count(QStringLiteral("data")), 2);
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("c='2'")), 0);
    QCOMPARE(f.Count(), QStringLiteral("商品数量：2"));
    QCOMPARE(f.Total(), QStringLiteral("共:2.00元"));
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
    // Del in the entry field is just a key of the box.
    QTest::keyClick(f.form->EntryField(), Qt::Key_Delete);
    QCOMPARE(f.t.Count(QStringLiteral("data")), 2);
    VERIFY_DIALOGS(dialogs);
}

void TestCart::deleteAllEmptiesTheSale() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 1, 0.5);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("4"));
    f.form->SaleGridMenu()->actions()[3]->trigger();
    QCOMPARE(f.t.Count(QStringLiteral("data")), 0);
    QCOMPARE(f.Total(), QStringLiteral("共:0.00元"));
    QCOMPARE(f.Count(), QStringLiteral("商品数量：0"));
    QCOMPARE(f.form->SaleNumber(), QStringLiteral("CJG121122000002"));
    f.form->SaleGridMenu()->actions()[3]->trigger();  // on an empty sale
    QCOMPARE(f.form->Grid()->RowCount(), 0);
    VERIFY_DIALOGS(dialogs);
}

void TestCart::openSaleSurvivesRestart() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 1.5, 0.5);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("2"));
    f.Restart();
    QCOMPARE(f.form->Grid()->RowCount(), 1);
    QCOMPARE(f.Total(), QStringLiteral("共:3.00元"));
    VERIFY_DIALOGS(dialogs);
}

void TestCart::linePanelEditsALine() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 12.5, 10, {}, 12);
    f.AddProduct(QStringLiteral("2"), 1, 0.5);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("2"));
    f.Scan(dialogs, QStringLiteral("2"), QStringLiteral("1"));
    LinePanel* panel = f.form->LineDetailPanel();
    SaleGrid* grid = f.form->Grid();
    ClickRow(grid, 0);
    ClickRow(grid, 0, true);
    QVERIFY(panel->isVisible());
    QVERIFY(panel->SaveEnabled());
    QCOMPARE(panel->Quantity(), QStringLiteral("2"));
    QCOMPARE(panel->Amount(), QStringLiteral("25"));
    QCOMPARE(panel->Price(), QStringLiteral("12.5"));
    QCOMPARE(panel->MemberPrice(), QStringLiteral("12"));
    QCOMPARE(QApplication::focusWidget(), panel->QuantityBox());

    // Emptying the quantity keeps the amount; a new one recomputes it at once.
    QTest::keyClick(panel->QuantityBox(), Qt::Key_Backspace);
    QCOMPARE(panel->Amount(), QStringLiteral("25"));
    QTest::keyClicks(panel->QuantityBox(), QStringLiteral("3"));
    QCOMPARE(panel->Amount(), QStringLiteral("37.5"));
    dialogs.Expect(Dialogs::Kind::Confirm, QStringLiteral("你确实要修改选中资料吗？"))
        .ExpectMessage(QStringLiteral("修改数据成功！"));
    QTest::keyClick(panel->QuantityBox(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), panel->SaveButton());
    QTest::keyClick(panel->SaveButton(), Qt::Key_Return);
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines[0].quantity, 3.0);
    QCOMPARE(lines[0].amount, 37.5);
    QCOMPARE(lines[0].profit, 7.5);
    QVERIFY(!panel->isVisible());
    QCOMPARE(f.Total(), QStringLiteral("共:38.50元"));
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());

    // A second point shows the conversion message at once and keeps the typed text.
    ClickRow(grid, 0, true);
    QTest::keyClick(panel->PriceBox(), Qt::Key_End);
    dialogs.ExpectError(QStringLiteral("'12.5.' is not a valid floating point value"));
    QTest::keyClicks(panel->PriceBox(), QStringLiteral("."));
    QCOMPARE(panel->Price(), QStringLiteral("12.5."));
    QCOMPARE(panel->Amount(), QStringLiteral("37.5"));
    dialogs.ExpectError(QStringLiteral("'12.5.' is not a valid floating point value"));
    QTest::mouseClick(panel->SaveButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(panel->isVisible());
    QCOMPARE(Lines(f.t)[0].price, 12.5);
}

void TestCart::linePanelCancelAndClose() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1);
    f.AddProduct(QStringLiteral("2"), 3, 1);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("2"));
    f.Scan(dialogs, QStringLiteral("2"), QStringLiteral("1"));
    LinePanel* panel = f.form->LineDetailPanel();
    SaleGrid* grid = f.form->Grid();
    grid->View()->setFocus();
    ClickRow(grid, 0);
    f.form->SaleGridMenu()->actions()[0]->trigger();  // 修改销售单价
    QCOMPARE(QApplication::focusWidget(), panel->PriceBox());
    QTest::keyClicks(panel->PriceBox(), QStringLiteral("5"));
    QCOMPARE(panel->Amount(), QStringLiteral("10"));
    dialogs.Expect(Dialogs::Kind::Confirm, QStringLiteral("你确实要修改选中资料吗？"), false);
    panel->SaveButton()->click();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Lines(f.t)[0].price, 2.0);
    QVERIFY(panel->isVisible());

    // Another row clicked while the panel is open disables the save; the same row does not.
    ClickRow(grid, 1);
    QVERIFY(!panel->SaveEnabled());
    f.form->SaleGridMenu()->actions()[1]->trigger();
    QVERIFY(panel->SaveEnabled());
    ClickRow(grid, 1);
    QVERIFY(panel->SaveEnabled());

    // Esc hides without clearing; the close icon clears and disables.
    QTest::keyClick(panel->QuantityBox(), Qt::Key_Escape);
    QVERIFY(!panel->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.form->EntryField());
    QCOMPARE(panel->Quantity(), QStringLiteral("1"));
    QVERIFY(panel->SaveEnabled());
    f.form->SaleGridMenu()->actions()[1]->trigger();
    QTest::mouseClick(panel->CloseIcon(), Qt::LeftButton);
    QVERIFY(!panel->isVisible());
    QCOMPARE(panel->Price(), QString());
    QCOMPARE(panel->Quantity(), QStringLiteral("1"));
    QCOMPARE(panel->Amount(), QStringLiteral("0"));
    QCOMPARE(panel->MemberPrice(), QString());
    QVERIFY(!panel->SaveEnabled());
}

void TestCart::linePanelKeysAndUpDown() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("99"));
    LinePanel* panel = f.form->LineDetailPanel();
    f.form->SaleGridMenu()->actions()[1]->trigger();
    QTest::keyClicks(panel->QuantityBox(), QStringLiteral("-x 3"));  // replaces the selected 99
    QCOMPARE(panel->Quantity(), QStringLiteral("3"));
    panel->SetQuantity(QStringLiteral("99"));
    panel->StepQuantity(1);
    panel->StepQuantity(1);
    QCOMPARE(panel->Quantity(), QStringLiteral("100"));
    panel->SetQuantity(QStringLiteral("1"));
    panel->StepQuantity(-1);
    panel->StepQuantity(-1);
    QCOMPARE(panel->Quantity(), QStringLiteral("0"));
    QCOMPARE(panel->Amount(), QStringLiteral("0"));
    panel->SetQuantity(QString());
    QTest::keyClicks(panel->QuantityBox(), QStringLiteral("250"));
    QCOMPARE(panel->Amount(), QStringLiteral("500"));
    QTest::keyClick(panel->PriceBox(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), panel->QuantityBox());
    VERIFY_DIALOGS(dialogs);
}

void TestCart::linePanelRefusesWhatIsNoLine_data() {
    QTest::addColumn<QString>("box");  // price or quantity
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty price") << "price"
                                 << ""
                                 << "'' is not a valid floating point value";
    QTest::newRow("empty quantity") << "quantity"
                                    << ""
                                    << "'' is not a valid floating point value";
    QTest::newRow("zero quantity") << "quantity"
                                   << "0"
                                   << "数量必须大于0";
    QTest::newRow("lone point quantity") << "quantity"
                                         << "."
                                         << "数量必须大于0";
}

void TestCart::linePanelRefusesWhatIsNoLine() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("3"));
    LinePanel* panel = f.form->LineDetailPanel();
    ClickRow(f.form->Grid(), 0, true);
    QLineEdit* edit = box == QLatin1String("price") ? panel->PriceBox() : panel->QuantityBox();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, typed);
    dialogs.ExpectError(message);
    QTest::mouseClick(panel->SaveButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QVERIFY(panel->isVisible());
    auto lines = Lines(f.t);
    QCOMPARE(lines[0].quantity, 3.0);
    QCOMPARE(lines[0].price, 2.0);
    QCOMPARE(lines[0].amount, 6.0);
    // The line is still a line: a later scan of its code adds to it.
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("1"));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Lines(f.t)[0].quantity, 4.0);
}

void TestCart::memberPriceIsANumberOrNothing() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1, {}, QVariant());
    f.AddProduct(QStringLiteral("2"), 3, 1, {}, QStringLiteral(""));
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("1"));
    f.Scan(dialogs, QStringLiteral("2"), QStringLiteral("1"));
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("[3] is null")), 2);
    // Saved from the panel, an empty member price stays null.
    LinePanel* panel = f.form->LineDetailPanel();
    ClickRow(f.form->Grid(), 0, true);
    QCOMPARE(panel->MemberPrice(), QString());
    dialogs.Expect(Dialogs::Kind::Confirm, QStringLiteral("你确实要修改选中资料吗？"))
        .ExpectMessage(QStringLiteral("修改数据成功！"));
    panel->SaveButton()->click();
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("[3] is null")), 2);
    // One that is no number is refused there too, and the line stays as it was.
    f.t.db().Exec(QStringLiteral("update data set [3]='x' where c='2'"));
    f.form->ReloadSaleGrid();
    ClickRow(f.form->Grid(), 1, true);
    QTest::keyClicks(panel->QuantityBox(), QStringLiteral("5"));
    dialogs.ExpectError(QStringLiteral("'x' is not a valid floating point value"));
    QTest::mouseClick(panel->SaveButton(), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(Lines(f.t)[1].quantity, 1.0);
}

void TestCart::movingOffTheLineDisablesSave() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    for (const char* code : {"1", "2", "3"}) {
        f.AddProduct(QString::fromLatin1(code), 10, 5);
        f.Scan(dialogs, QString::fromLatin1(code), QStringLiteral("1"));
    }
    LinePanel* panel = f.form->LineDetailPanel();
    SaleGrid* grid = f.form->Grid();
    QTableView* view = grid->View();
    auto cellOf = [view](int row) { return view->visualRect(view->model()->index(row, 1)).center(); };
    auto reopenOnFirst = [&] {
        ClickRow(grid, 0, true);
        panel->PriceBox()->selectAll();
        QTest::keyClicks(panel->PriceBox(), QStringLiteral("99"));
        return panel->SaveEnabled();
    };
    // A right click on another line (the menu then closed with Esc).
    QVERIFY(reopenOnFirst());
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, cellOf(1));
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, cellOf(1));
    f.form->SaleGridMenu()->hide();
    QVERIFY(!panel->SaveEnabled());
    panel->SaveButton()->click();  // disabled: no question, nothing written
    // An arrow key in the grid.
    QVERIFY(reopenOnFirst());
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    QVERIFY(!panel->SaveEnabled());
    // A reload, which puts the current row on the last line.
    QVERIFY(reopenOnFirst());
    f.form->ReloadSaleGrid();
    QVERIFY(!panel->SaveEnabled());
    VERIFY_DIALOGS(dialogs);
    for (const Line& line : Lines(f.t)) QCOMPARE(line.price, 10.0);

    // Saved, the panel writes the line it was opened on and no other.
    ClickRow(grid, 0, true);
    panel->PriceBox()->selectAll();
    QTest::keyClicks(panel->PriceBox(), QStringLiteral("7"));
    dialogs.Expect(Dialogs::Kind::Confirm, QStringLiteral("你确实要修改选中资料吗？"))
        .ExpectMessage(QStringLiteral("修改数据成功！"));
    panel->SaveButton()->click();
    VERIFY_DIALOGS(dialogs);
    const auto lines = Lines(f.t);
    QCOMPARE(lines[0].price, 7.0);
    QCOMPARE(lines[1].price, 10.0);
    QCOMPARE(lines[2].price, 10.0);
}

void TestCart::pastedTextObeysTheKeys_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("taken");
    QTest::newRow("negative price") << "price"
                                    << "-5" << false;
    QTest::newRow("negative quantity") << "quantity"
                                       << "-5" << false;
    QTest::newRow("exponent quantity") << "quantity"
                                       << "1e3" << false;
    QTest::newRow("price") << "price"
                           << "2.5" << true;
    QTest::newRow("negative cash") << "cash"
                                   << "-50" << false;
    QTest::newRow("cash") << "cash"
                          << "50" << true;
    QTest::newRow("code with a blank") << "entry"
                                       << "69 01" << false;
    QTest::newRow("code") << "entry"
                          << "6901" << true;
}

void TestCart::pastedTextObeysTheKeys() {
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(bool, taken);
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    f.AddProduct(QStringLiteral("1"), 2, 1);
    f.Scan(dialogs, QStringLiteral("1"), QStringLiteral("3"));
    QLineEdit* edit = f.form->EntryField();
    if (box == QLatin1String("cash")) {
        f.form->OpenPayment();
        edit = f.form->Payment()->CashBox();
    } else if (box != QLatin1String("entry")) {
        ClickRow(f.form->Grid(), 0, true);
        LinePanel* panel = f.form->LineDetailPanel();
        edit = box == QLatin1String("price") ? panel->PriceBox() : panel->QuantityBox();
    }
    edit->setFocus();
    edit->clear();
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), taken ? pasted : QString());
    edit->clear();
    edit->paste();  // the context menu's way in
    QCOMPARE(edit->text(), taken ? pasted : QString());
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(f.t.Count(QStringLiteral("data"), QStringLiteral("[2] <= 0 or [4] < 0")), 0);
}

POS_WIDGET_TEST_MAIN(TestCart)
#include "tst_cart.moc"
