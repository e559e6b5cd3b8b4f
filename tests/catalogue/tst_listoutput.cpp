// The product list's outputs driven from the product window: the workbook read back with
// openpyxl, the printed report with pdftotext, the label sheet with pdftoppm and zbarimg,
// each after a sort or a search, so they hold the list as shown.

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPdfWriter>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "catalogue/Unit1.h"
#include "common/Clock.h"
#include "common/Maker.h"
#include "tests/support/Printouts.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"
#include "toolkit/DataGrid.h"
#include "toolkit/Forms.h"
#include "toolkit/GridExporter.h"
#include "toolkit/GridPrinter.h"
#include "toolkit/LabelReport.h"
#include "toolkit/PrintPreview.h"

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

struct Fixture {
    TestDatabase t;
    std::unique_ptr<TForm1> form;
    QStringList opened;
    GridExporter::FileOpener previous;
    QString oldFolder = QDir::currentPath();

    Fixture() {
        Clock::SetFixed(QDateTime(QDate(2026, 12, 11), QTime(10, 0)));
        previous = GridExporter::SetFileOpener([this](const QString& file) { opened << file; });
        QDir::setCurrent(t.Folder());
    }
    ~Fixture() {
        QDir::setCurrent(oldFolder);
        GridExporter::SetFileOpener(previous);
        Clock::SetFixed({});
    }
    void Add(const QString& code, const QString& name, double price) {
        t.db().Exec(S("insert into sp "
                      "(商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,供货商,sppy) "
                      "values (?,'饮料',?,'500ml',1.5,?,?,'瓶','本地批发','PY')"),
                    {code, name, price, price - 0.5});
    }
    void Open() {
        form = std::make_unique<TForm1>(t.dm());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    QStringList Codes() const {
        QStringList codes;
        for (int row = 0; row < form->Grid()->RowCount(); ++row) codes << form->Grid()->CellText(row, 0);
        return codes;
    }
    QString File(const QString& name) const { return QDir(t.Folder()).filePath(name); }
};

QStringList PdfPagesText(const QString& pdf) {
    QStringList pages = PdfText(pdf).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

}  // namespace

class TestListOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportWritesTheListAsShown();
    void printedReportCarriesItsTexts();
    void labelsFollowTheSearch();
    void buttonsOpenThePreviews();
};

void TestListOutput::exportWritesTheListAsShown() {
    Fixture f;
    f.Add("00123", "=1+1", 2.5);
    f.Add("6901", S("可乐"), 3);
    f.Add("6902", S("面包"), 0.5);
    f.Open();
    f.form->Grid()->SortByTitle(5);  // 销售单价, descending
    QCOMPARE(f.Codes(), QStringList({"6901", "00123", "6902"}));

    ScriptedDialogs dialogs;
    dialogs.Expect(Dialogs::Kind::SaveFile, QString(), true, f.File(S("商品.xls")));
    QTest::mouseClick(f.form->findChild<QPushButton*>(S("exportButton")), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
    const QString file = f.File(S("商品.xlsx"));
    QCOMPARE(f.opened, QStringList{file});
    const QList<QStringList> rows = ReadXlsx(file);
    QCOMPARE(rows.size(), 7);
    QCOMPARE(rows[0], QStringList{S("s:全部商品清单")});
    QCOMPARE(rows[1], QStringList{S("s:制表人：晨岚POS收银系统")});
    QCOMPARE(rows[2], QStringList{S("s:制表时间：2026-12-11 10:00:00")});
    QCOMPARE(rows[3],
             QStringList({S("s:商品编码"), S("s:商品类别"), S("s:商品名称"), S("s:规格型号"), S("s:进货单价"),
                          S("s:销售单价"), S("s:会员价"), S("s:单位"), S("s:供货商")}));
    // The cells line up with the titles: no pinyin code, no row id.
    QCOMPARE(rows[4], QStringList({"s:6901", S("s:饮料"), S("s:可乐"), "s:500ml", "n:1.5", "n:3", "n:2.5",
                                   S("s:瓶"), S("s:本地批发")}));
    QCOMPARE(rows[5].mid(0, 3), QStringList({"s:00123", S("s:饮料"), "s:=1+1"}));
    QCOMPARE(rows[6].first(), QStringLiteral("s:6902"));

    // After a search only the products found are written, over the old file once allowed.
    TypeText(f.form->findChild<CriteriaBand*>()->Box(S("商品名称")), S("面"));
    QCOMPARE(f.Codes(), QStringList{"6902"});
    dialogs.Expect(Dialogs::Kind::SaveFile, QString(), true, file);
    dialogs.Expect(Dialogs::Kind::YesNo, S("已存在文件（%1），是否覆盖？").arg(file), true);
    for (QAction* action : f.form->findChild<QMenu*>(S("gridMenu"))->actions())
        if (action->text() == S("导出EXCEL")) action->trigger();
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(ReadXlsx(file).size(), 5);
    QCOMPARE(ReadXlsx(file).last().first(), QStringLiteral("s:6902"));
}

void TestListOutput::printedReportCarriesItsTexts() {
    Fixture f;
    for (int i = 0; i < 130; ++i)
        f.Add(QStringLiteral("69%1").arg(i, 5, 10, QLatin1Char('0')), S("商品%1").arg(i), i);
    f.Open();
    const auto report = f.form->ProductReport();
    const QString pdf = f.File("report.pdf");
    {
        QPdfWriter writer(pdf);
        QVERIFY(PrintReport(*report, &writer));
    }
    KeepForLooking(pdf);
    const QStringList pages = PdfPagesText(pdf);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    QVERIFY(pages[0].contains(S("晨岚POS收银系统 ") + QLatin1String(kMakerWebAddress)));
    QVERIFY(pages[0].contains(S("全 部 商 品 报 表")));
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY(pages[i].contains(QStringLiteral("Page. %1").arg(i + 1)));
        QVERIFY(pages[i].contains(S("商品编码")) && pages[i].contains(S("供货商")));
    }
    QVERIFY(pages.last().contains(QStringLiteral("2026-12-11")));
    QVERIFY(!pages.join(QString()).contains(QStringLiteral("PY")));
}

void TestListOutput::labelsFollowTheSearch() {
    Fixture f;
    f.Add("6901234567892", S("可口可乐"), 3);
    f.Add("abc-12", S("可比克薯片"), 5);
    f.Add(S("散装"), S("可可粉"), 9);
    f.Add("7001", S("面包"), 2);
    f.Open();
    TypeText(f.form->findChild<CriteriaBand*>()->Box(S("商品名称")), S("可"));
    QCOMPARE(f.Codes().size(), 3);

    QString error;
    const auto labels = f.form->LabelSheet(&error);  // no 2.fr3 in the shop folder: built in
    QVERIFY(labels);
    const QString pdf = f.File("labels.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setResolution(600);
        QVERIFY(PrintReport(*labels, &writer));
    }
    KeepForLooking(pdf);
    const QStringList pictures = PdfPages(pdf, 300);
    QCOMPARE(pictures.size(), 1);
    QStringList decoded = DecodeBarcodes(pictures.first());
    decoded.sort();
    QCOMPARE(decoded, QStringList({"CODE-128:6901234567892", "CODE-128:abc-12"}));
    const QString text = PdfText(pdf);
    for (const char* name : {"可口可乐", "可比克薯片", "可可粉", "散装"})
        QVERIFY2(text.contains(S(name)), name);
    QVERIFY(!text.contains(S("面包")));

    // A layout file that is no layout is named, with the reason, instead of printing a wrong sheet.
    QFile bad(f.File("2.fr3"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<?xml version=\"1.0\"?><TfrxReport/>");
    bad.close();
    ScriptedDialogs dialogs;
    dialogs.ExpectError(S("标签版式文件（%1）有误").arg(QDir::current().filePath("2.fr3")));
    QTest::mouseClick(f.form->findChild<QToolButton*>(S("barcodeButton")), Qt::LeftButton);
    VERIFY_DIALOGS(dialogs);
}

void TestListOutput::buttonsOpenThePreviews() {
    Fixture f;
    for (int i = 0; i < 50; ++i) f.Add(QStringLiteral("69%1").arg(i), S("商品%1").arg(i), i);
    f.Open();
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(f.form->findChild<QPushButton*>(S("printButton"))),
          static_cast<QAbstractButton*>(f.form->findChild<QToolButton*>(S("barcodeButton")))}) {
        QString title;
        int painted = 0;
        QTimer::singleShot(0, f.form.get(), [&] {
            auto* preview = qobject_cast<PrintPreview*>(QApplication::activeModalWidget());
            if (!preview) return;
            title = preview->windowTitle();
            QVERIFY(QTest::qWaitForWindowExposed(preview));
            QTRY_VERIFY(preview->PaintedPages() > 0);
            painted = preview->PaintedPages();
            if (qEnvironmentVariableIsSet("POS_KEEP_PRINTOUTS"))
                preview->grab().save(
                    QDir(qEnvironmentVariable("POS_KEEP_PRINTOUTS")).filePath(title + ".png"));
            preview->reject();
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(title, button == f.form->findChild<QPushButton*>(S("printButton")) ? S("打印预览")
                                                                                    : S("条形码打印"));
        QVERIFY(painted >= 1);
    }
}

POS_WIDGET_TEST_MAIN(TestListOutput)
#include "tst_listoutput.moc"
