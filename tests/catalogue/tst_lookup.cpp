// The product lookup: the full list on every opening, the searches, the pick that hands a code
// to the checkout while the window is still open, cancel. tests/app rings a pick up on the real
// checkout screen.

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "catalogue/PinyinFill.h"
#include "catalogue/ys.h"
#include "common/Application.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/Forms.h"

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

// What the checkout was handed: the entry field's code, and whether the lookup was still open.
struct Handover {
    QString code;
    bool lookupOpen;
};

struct Fixture {
    TestDatabase t;
    FakeMainForm checkout;
    std::vector<Handover> handed;
    std::unique_ptr<Tysfm> lookup;

    Fixture() {
        // C3 is priced 0; the two A1 rows differ only in columns the list does not show.
        Add(S("C3"), 0, S("赠品"), S("杂货"), S("1个"));
        Add(S("B2"), 2.5, S("It's 面包"), S("食品"), S("100g"));
        Add(S("A1"), 3, S("可口可乐"), S("饮料"), S("500ml"));
        Add(S("A1"), 3, S("可口可乐"), S("饮料"), S("500ml"), 9);
        Add(S("D4"), 8, S("50%果汁"), S("饮料"), S("1L"));
        lookup = std::make_unique<Tysfm>(t.dm(), checkout);
        checkout.onAddProduct = [this] { handed.push_back({checkout.entry.text(), lookup->isVisible()}); };
        checkout.entry.setText(S("123"));
        Open();
    }

    void Add(const QString& code, double price, const QString& name, const QString& category,
             const QString& model, double cost = 1) {
        t.db().Exec(S("insert into sp (商品编码,商品名称,商品类别,规格型号,销售单价,进货单价,供货商) values "
                      "(?,?,?,?,?,?,'本地')"),
                    {code, name, category, model, price, cost});
    }

    void Open() {
        lookup->show();
        QVERIFY(QTest::qWaitForWindowExposed(lookup.get()));
    }

    QLineEdit* Criteria(const QString& column) const {
        return lookup->findChild<CriteriaBand*>()->Box(column);
    }
    QPushButton* Button(const char* name) const {
        return lookup->findChild<QPushButton*>(QLatin1String(name));
    }

    QStringList Codes() const {
        QStringList codes;
        for (int row = 0; row < lookup->Grid()->RowCount(); ++row) codes << lookup->Grid()->CellText(row, 0);
        return codes;
    }
};

void DoubleClickRow(DataGrid* grid, int row) {
    QTableView* view = grid->View();
    const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class TestLookup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullListOnEveryOpening();
    void search_data();
    void search();
    void clearingCriteriaShowsEveryPricedProduct();
    void pinyinCodesFindProducts_data();
    void pinyinCodesFindProducts();
    void pick_data();
    void pick();
    void pickFromAnEmptyListHandsAnEmptyCode();
    void cancelLeavesTheEntryAlone_data();
    void cancelLeavesTheEntryAlone();
};

void TestLookup::fullListOnEveryOpening() {
    Fixture f;
    QCOMPARE(f.lookup->windowTitle(), S("商品编码查找"));
    // Every product, the zero-priced one too, once per distinct shown values, in code order.
    QCOMPARE(f.Codes(), QStringList({S("A1"), S("B2"), S("C3"), S("D4")}));
    QCOMPARE(f.lookup->Grid()->ColumnCount(), 6);
    QHeaderView* header = f.lookup->Grid()->View()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(4) + 5, header->height() / 2));
    QCOMPARE(f.Codes(), QStringList({S("D4"), S("A1"), S("B2"), S("C3")}));  // by price, descending

    TypeText(f.Criteria(S("商品名称")), S("可乐"));
    QCOMPARE(f.Codes(), QStringList({S("A1"), S("A1")}));  // a search lists the rows of sp
    f.lookup->reject();
    QVERIFY(!f.t.dm().ADOQuery5.Active());
    f.Open();
    QCOMPARE(f.Criteria(S("商品名称"))->text(), S("可乐"));
    QCOMPARE(f.Codes(), QStringList({S("A1"), S("B2"), S("C3"), S("D4")}));
}

void TestLookup::search_data() {
    QTest::addColumn<QStringList>("typed");  // column, text, ...
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("no criteria: priced above 0")
        << QStringList() << QStringList({S("B2"), S("A1"), S("A1"), S("D4")});
    QTest::newRow("code, Latin case ignored")
        << QStringList({S("商品编码"), S("b")}) << QStringList({S("B2")});
    QTest::newRow("zero price never") << QStringList({S("商品编码"), S("C3")}) << QStringList();
    QTest::newRow("quote is a quote") << QStringList({S("商品名称"), S("'s")}) << QStringList({S("B2")});
    QTest::newRow("percent is a percent") << QStringList({S("商品名称"), S("%")}) << QStringList({S("D4")});
    QTest::newRow("category and model")
        << QStringList({S("商品类别"), S("饮料"), S("规格型号"), S("1L")}) << QStringList({S("D4")});
}

void TestLookup::search() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, codes);
    Fixture f;
    ScriptedDialogs dialogs;
    if (typed.isEmpty()) QTest::mouseClick(f.Button("searchButton"), Qt::LeftButton);
    for (qsizetype i = 0; i < typed.size(); i += 2) TypeText(f.Criteria(typed[i]), typed[i + 1]);
    QCOMPARE(f.Codes(), codes);
    VERIFY_DIALOGS(dialogs);
}

void TestLookup::clearingCriteriaShowsEveryPricedProduct() {
    Fixture f;
    TypeText(f.Criteria(S("商品编码")), S("d"));
    TypeText(f.Criteria(S("规格型号")), S("1"));
    QCOMPARE(f.Codes(), QStringList({S("D4")}));
    QTest::mouseClick(f.Button("clearButton"), Qt::LeftButton);
    QVERIFY(f.Criteria(S("商品编码"))->text().isEmpty());
    QVERIFY(f.Criteria(S("规格型号"))->text().isEmpty());
    QCOMPARE(f.Codes(), QStringList({S("B2"), S("A1"), S("A1"), S("D4")}));
}

void TestLookup::pinyinCodesFindProducts_data() {
    QTest::addColumn<QStringList>("typed");  // column, text, ...
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("name by code, Latin case ignored")
        << QStringList({S("商品名称"), S("KkKl")}) << QStringList({S("A1"), S("A1")});
    QTest::newRow("category by code") << QStringList({S("商品类别"), S("sp")}) << QStringList({S("B2")});
    QTest::newRow("code and text mixed")
        << QStringList({S("商品名称"), S("gz"), S("商品类别"), S("饮料")}) << QStringList({S("D4")});
    QTest::newRow("underscore is an underscore") << QStringList({S("商品名称"), S("k_kl")}) << QStringList();
}

void TestLookup::pinyinCodesFindProducts() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, codes);
    Fixture f;
    // The fixture's rows have no codes, as rows of older versions; the start fills them.
    QCOMPARE(FillMissingPinyin(f.t.db()), 5);
    for (qsizetype i = 0; i < typed.size(); i += 2) TypeText(f.Criteria(typed[i]), typed[i + 1]);
    QCOMPARE(f.Codes(), codes);
}

void TestLookup::pick_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("选定 picks the current row") << false;
    QTest::newRow("double click picks that row") << true;
}

void TestLookup::pick() {
    QFETCH(bool, doubleClick);
    Fixture f;
    if (doubleClick) {
        DoubleClickRow(f.lookup->Grid(), 1);
    } else {
        f.t.dm().ADOQuery5.SetRecNo(2);
        QTest::mouseClick(f.Button("pickButton"), Qt::LeftButton);
    }
    QCOMPARE(f.handed.size(), size_t(1));
    QCOMPARE(f.handed[0].code, doubleClick ? S("B2") : S("C3"));
    QVERIFY(f.handed[0].lookupOpen);
    QVERIFY(!f.lookup->isVisible());
    QCOMPARE(f.lookup->result(), int(QDialog::Accepted));
    QVERIFY(!f.t.dm().ADOQuery5.Active());
}

void TestLookup::pickFromAnEmptyListHandsAnEmptyCode() {
    Fixture f;
    TypeText(f.Criteria(S("商品编码")), S("nothing"));
    QCOMPARE(f.lookup->Grid()->RowCount(), 0);
    QTest::mouseClick(f.Button("pickButton"), Qt::LeftButton);
    QCOMPARE(f.handed.size(), size_t(1));
    QCOMPARE(f.handed[0].code, QString());
    QVERIFY(f.checkout.entry.text().isEmpty());
}

void TestLookup::cancelLeavesTheEntryAlone_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("取消") << S("button");
    QTest::newRow("Esc") << S("key");
    QTest::newRow("close box") << S("close");
}

void TestLookup::cancelLeavesTheEntryAlone() {
    QFETCH(QString, how);
    Fixture f;
    if (how == S("button"))
        QTest::mouseClick(f.Button("cancelButton"), Qt::LeftButton);
    else if (how == S("key"))
        QTest::keyClick(f.Criteria(S("商品名称")), Qt::Key_Escape);
    else
        f.lookup->close();
    QVERIFY(!f.lookup->isVisible());
    QCOMPARE(f.lookup->result(), int(QDialog::Rejected));
    QVERIFY(f.handed.empty());
    QCOMPARE(f.checkout.entry.text(), S("123"));
    QVERIFY(!f.t.dm().ADOQuery5.Active());
}

POS_WIDGET_TEST_MAIN(TestLookup)
#include "tst_lookup.moc"
