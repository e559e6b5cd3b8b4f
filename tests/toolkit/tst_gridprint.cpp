// The grid printer and its preview: pages read back from PDF with pdftotext, the layout of
// long lists and tall rows, and a preview that paints only what it shows.

#include <QPdfWriter>
#include <QtTest>

#include "data/DataSource.h"
#include "data/Dataset.h"
#include "tests/support/MemoryDataset.h"
#include "tests/support/Printouts.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/PrintPreview.h"

namespace {

struct ListFixture {
    MemoryDataset dataset;
    DataSource source{&dataset};
    DataGrid grid;
    QTemporaryDir dir;

    explicit ListFixture(int rows, const QString& longName = {}) {
        grid.SetColumns({{.field = "c", .title = "商品编码", .width = 120},
                         {.field = "a", .title = "商品名称", .width = 200},
                         {.field = "n", .title = "销售单价", .width = 70, .format = "0.00"},
                         {.field = "py", .title = "拼音", .visible = false}});
        grid.SetDataSource(&source);
        std::vector<Dataset::Row> data;
        for (int i = 0; i < rows; ++i)
            data.push_back({QStringLiteral("69%1").arg(i, 5, 10, QLatin1Char('0')),
                            i == 1 && !longName.isEmpty() ? longName : QStringLiteral("商品%1").arg(i),
                            double(i), QStringLiteral("PINYIN")});
        dataset.Load({"c", "a", "n", "py"}, std::move(data));
    }
};

void SetReportTexts(GridPrinter& printer) {
    printer.SetTitle(QStringLiteral("晨岚POS收银系统 www.example.cn"));
    QFont heading(QStringLiteral("Courier New"), 14);
    heading.setBold(true);
    QFont after(QStringLiteral("Arial"), 10);
    after.setBold(true);
    printer.SetTextBefore({{QStringLiteral("全 部 商 品 报 表"), heading, Qt::AlignHCenter}});
    printer.SetTextAfter({{QStringLiteral("%[Today]"), after, Qt::AlignRight}});
    printer.SetSubstitution(QStringLiteral("%[Today]"), QStringLiteral("2026-12-11"));
}

QStringList PrintedPages(GridPrinter& printer, const QString& pdf) {
    QPdfWriter writer(pdf);
    if (!PrintReport(printer, &writer)) return {};
    QStringList pages = PdfText(pdf).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

}  // namespace

class TestGridPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsTextsTitlesAndPageNumbers();
    void tallRowsAreCutAndPagesAdvance();
    void previewPaintsOnlyThePagesShown();
};

void TestGridPrint::printsTextsTitlesAndPageNumbers() {
    ListFixture f(150);
    f.grid.SortByTitle(2);  // price, descending: the list's order is the printed order
    GridPrinter printer(f.grid);
    SetReportTexts(printer);
    printer.SetMargins(2);
    const QStringList pages = PrintedPages(printer, f.dir.filePath("list.pdf"));
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    QCOMPARE(pages.size(), printer.KnownPages());
    QVERIFY(pages[0].contains(QStringLiteral("晨岚POS收银系统 www.example.cn")));
    QVERIFY(pages[0].contains(QStringLiteral("全 部 商 品 报 表")));
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY2(pages[i].contains(QStringLiteral("Page. %1").arg(i + 1)), qPrintable(pages[i].left(200)));
        QVERIFY(pages[i].contains(QStringLiteral("商品编码")) &&
                pages[i].contains(QStringLiteral("销售单价")));
        QVERIFY(!pages[i].contains(QStringLiteral("PINYIN")) && !pages[i].contains(QStringLiteral("拼音")));
        QCOMPARE(pages[i].contains(QStringLiteral("2026-12-11")), i == pages.size() - 1);
    }
    // Every row once, in the sorted order, page after page.
    const QString all = pages.join(QString());
    qsizetype at = 0;
    for (int i = 149; i >= 0; --i) {
        const qsizetype next = all.indexOf(QStringLiteral("69%1").arg(i, 5, 10, QLatin1Char('0')), at);
        QVERIFY2(next > at || (i == 149 && next >= 0), qPrintable(QString::number(i)));
        at = next;
    }
    QVERIFY(all.contains(QStringLiteral("149.00")));
}

void TestGridPrint::tallRowsAreCutAndPagesAdvance() {
    // A name that wraps to far more lines than a page holds.
    ListFixture f(5, QString(20000, u'长'));
    GridPrinter printer(f.grid);
    printer.PaginateAll();
    QVERIFY(printer.KnownPages() >= 2 && printer.KnownPages() <= 4);
    QCOMPARE(printer.FirstRowOf(0), 0);
    QCOMPARE(printer.FirstRowOf(1), 1);  // the tall row has a page of its own, cut at its bottom
    const QStringList pages = PrintedPages(printer, f.dir.filePath("tall.pdf"));
    QCOMPARE(pages.size(), printer.KnownPages());
    QVERIFY(pages.join(QString()).contains(QStringLiteral("6900004")));
}

void TestGridPrint::previewPaintsOnlyThePagesShown() {
    ListFixture f(30000);
    GridPrinter printer(f.grid);
    PrintPreview preview(printer, QStringLiteral("打印预览"));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTRY_VERIFY(preview.PaintedPages() >= 1);
    QVERIFY(preview.PaintedPages() <= 2);
    // The rest is laid out while the window idles, and comes to the same pages as a full layout.
    QTRY_VERIFY_WITH_TIMEOUT(printer.PaginateMore(0), 60000);
    GridPrinter whole(f.grid);
    whole.PaginateAll();
    QCOMPARE(printer.KnownPages(), whole.KnownPages());
    QVERIFY(preview.PaintedPages() <= 2);
}

POS_WIDGET_TEST_MAIN(TestGridPrint)
#include "tst_gridprint.moc"
