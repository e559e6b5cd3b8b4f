// The sales slip as a cashier gets it: "销售单" on the checkout screen opens the preview of the
// open sale, which prints to a PDF that reads back with every figure, and touches no table.

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/Fonts.h"
#include "checkout/SaleGrid.h"
#include "sales/Unit2.h"
#include "tests/checkout/CheckoutFixture.h"
#include "tests/support/PdfInk.h"
#include "tests/support/PrintQueue.h"
#include "tests/support/Printouts.h"
#include "tests/support/WidgetTest.h"

namespace {

// Every table the slip could touch, and the sale number.
QString Snapshot(CheckoutFixture& f) {
    QString s;
    for (const char* table : {"data", "data1", "data3", "rz", "sp"})
        s +=
            f.t.db()
                .Scalar(QStringLiteral("select count(*) || ':' || total(rowid) from ") + QLatin1String(table))
                .toString() +
            u' ';
    return s + f.form->SaleNumber();
}

void RingUpTwoLines(CheckoutFixture& f) {
    f.AddProduct(QStringLiteral("6901"), 12.5, 10, QStringLiteral("可口可乐"));
    f.AddProduct(QStringLiteral("6902"), 0.53, 0.3, QStringLiteral("口香糖"));
    ScriptedDialogs dialogs;
    f.Scan(dialogs, QStringLiteral("6901"), QStringLiteral("2"));
    f.Scan(dialogs, QStringLiteral("6902"), QStringLiteral("1"));
    VERIFY_DIALOGS(dialogs);
}

void OpenSlip(CheckoutFixture& f) {
    QTest::mouseClick(f.form->ToolButton(QStringLiteral("slipButton")), Qt::LeftButton);
    QVERIFY(f.form->Form2()->isVisible());
}

// The font's glyphs for some characters read back as radicals: NFKC folds the Kangxi ones, the
// two of the supplement that the slip uses are folded here.
QString Readable(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC)
        .replace(QChar(0x2EC6), QStringLiteral("角"))
        .replace(QChar(0x2EA0), QStringLiteral("民"));
}

QString SlipText(const QString& pdf) { return Readable(PdfText(pdf)); }

QStringList DetailNames(const ReportPage& page) {
    QStringList names;
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Text && item.clipWidth > 0 && qFuzzyCompare(item.from.x(), 17.1))
            names << item.text;
    return names;
}

int PdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(20000)) return -1;
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).toInt();
}

// Answers the print dialog that is about to open: `copies` copies on the printer it offers.
void AnswerPrintDialog(int copies) {
    QTimer::singleShot(0, qApp, [copies] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog) return AnswerPrintDialog(copies);
        dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->setValue(copies);
        dialog->accept();
    });
}

}  // namespace

class TestSlip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // libcups picks its server once per process, at the first printer anyone asks for, so the
    // private queue starts before every other test.
    void initTestCase() {
        InstallFontSubstitutes();
        m_queueStarted = m_queue.Start();
    }
    void previewAndPdf();
    void linesFollowTheGridOrder();
    void emptySale();
    void negativeTotalStillPreviews();
    void failedPrintSaysSo();
    void printsThroughARealQueue();

private:
    PrintQueue m_queue;
    bool m_queueStarted = false;
};

void TestSlip::previewAndPdf() {
    CheckoutFixture f;
    RingUpTwoLines(f);
    const QString before = Snapshot(f);

    OpenSlip(f);
    TForm2* slip = f.form->Form2();
    QCOMPARE(slip->size(), QSize(1024, 800));
    QCOMPARE(slip->windowTitle(), QStringLiteral("销售单 - 打印预览"));
    QVERIFY(slip->isModal());
    if (QGuiApplication::platformName() == QLatin1String("xcb")) QVERIFY(QTest::qWaitForWindowActive(slip));
    // The preview paints the page: white paper with the slip's ink on it.
    const QImage shown = slip->findChild<QWidget*>(QStringLiteral("pageView"))->grab().toImage();
    int white = 0, ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const int grey = qGray(shown.pixel(x, y));
            white += grey == 255;
            ink += grey < 100;
        }
    QVERIFY2(white > shown.width() * shown.height() / 4 && ink > 2000,
             qPrintable(QStringLiteral("%1 white, %2 ink").arg(white).arg(ink)));
    QCOMPARE(slip->findChild<QLabel*>(QStringLiteral("pageLabel"))->text(),
             QStringLiteral("第 1 页，共 1 页"));
    const QString number = f.form->SaleNumber();
    QCOMPARE(slip->Labels().number, QStringLiteral("单 号：") + number);
    QCOMPARE(slip->Labels().capitals, QStringLiteral("（大写） 贰拾伍元伍角叁分"));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("slip.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(slip->PrintTo(printer));
    const QString text = SlipText(pdf);
    for (const QString& expected :
         {QStringLiteral("晨岚商贸销售单"), QStringLiteral("单 号：") + number.trimmed(),
          QStringLiteral("开单日期：2026-12-11"), QStringLiteral("（大写） 贰拾伍元伍角叁分"),
          QStringLiteral("￥25.53"), QStringLiteral("开票人：超级管理员")})
        QVERIFY2(text.contains(Readable(expected)), qPrintable(expected + u'\n' + text));
    // name, model, unit, quantity, price and amount of each line, in that order on its row
    const QRegularExpression first(QStringLiteral("可口可乐\\s+500ml\\s+瓶\\s+2\\s+12\\.5\\s+25\\s"));
    const QRegularExpression second(QStringLiteral("口香糖\\s+500ml\\s+瓶\\s+1\\s+0\\.53\\s+0\\.53\\s"));
    QVERIFY2(text.contains(first), qPrintable(text));
    QVERIFY2(text.contains(second), qPrintable(text));
    QVERIFY(text.indexOf(QStringLiteral("可口可乐")) < text.indexOf(QStringLiteral("口香糖")));

    // Printing again, or closing the preview, changes nothing: not the tables, not the number.
    slip->close();
    OpenSlip(f);
    QCOMPARE(f.form->Form2()->Labels().number, QStringLiteral("单 号：") + number);
    f.form->Form2()->close();
    QCOMPARE(Snapshot(f), before);
}

void TestSlip::linesFollowTheGridOrder() {
    CheckoutFixture f;
    ScriptedDialogs dialogs;
    for (int i = 1; i <= 40; ++i) {
        f.AddProduct(QStringLiteral("69%1").arg(i, 2, 10, QLatin1Char('0')), i, 1,
                     QStringLiteral("商品%1").arg(i));
        f.Scan(dialogs, QStringLiteral("69%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("1"));
    }
    VERIFY_DIALOGS(dialogs);
    SaleGrid* grid = f.form->Grid();
    grid->SortByTitle(grid->ColumnIndex(QStringLiteral("6")));  // the first click sorts descending
    OpenSlip(f);
    TForm2* slip = f.form->Form2();
    QCOMPARE(slip->Pages().size(), size_t(2));
    QCOMPARE(slip->findChild<QLabel*>(QStringLiteral("pageLabel"))->text(),
             QStringLiteral("第 1 页，共 2 页"));
    const QStringList names = DetailNames(slip->Pages()[0]) + DetailNames(slip->Pages()[1]);
    QCOMPARE(names.size(), 40);
    QCOMPARE(names.first(), QStringLiteral("商品40"));
    QCOMPARE(names.last(), QStringLiteral("商品1"));
    QCOMPARE(slip->Labels().figure, QStringLiteral("￥820.00"));
    slip->findChild<QAction*>(QStringLiteral("nextPageAction"))->trigger();
    QCOMPARE(slip->CurrentPage(), 1);
    QVERIFY(!slip->findChild<QAction*>(QStringLiteral("nextPageAction"))->isEnabled());
    slip->close();
}

void TestSlip::emptySale() {
    CheckoutFixture f;
    OpenSlip(f);
    TForm2* slip = f.form->Form2();
    QCOMPARE(slip->Pages().size(), size_t(1));
    QCOMPARE(DetailNames(slip->Pages()[0]), QStringList{QString()});
    QCOMPARE(slip->Labels().capitals, QStringLiteral("（大写） "));
    QCOMPARE(slip->Labels().figure, QStringLiteral("￥0.00"));
    slip->close();
}

void TestSlip::negativeTotalStillPreviews() {
    CheckoutFixture f;
    f.t.db().Exec(QStringLiteral(
        "insert into data (a,b,c,z,[2],[4],[6]) values ('退货','500ml','6901','瓶',-2,2.5,-5)"));
    f.form->ReloadSaleGrid();
    ScriptedDialogs dialogs;
    dialogs.ExpectMessage(QStringLiteral("45")).ExpectMessage(QStringLiteral("读取错误，应为数字"));
    OpenSlip(f);
    VERIFY_DIALOGS(dialogs);
    TForm2* slip = f.form->Form2();
    QCOMPARE(slip->Labels().capitals, QStringLiteral("（大写） "));
    QCOMPARE(slip->Labels().figure, QStringLiteral("￥-5.00"));
    QCOMPARE(DetailNames(slip->Pages()[0]), QStringList{QStringLiteral("退货")});
    slip->close();
}

void TestSlip::failedPrintSaysSo() {
    CheckoutFixture f;
    OpenSlip(f);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("no such folder/slip.pdf")));
    ScriptedDialogs dialogs;
    dialogs.ExpectError(QStringLiteral("打印失败："));
    QVERIFY(!f.form->Form2()->PrintTo(printer));
    VERIFY_DIALOGS(dialogs);
    f.form->Form2()->close();
}

void TestSlip::printsThroughARealQueue() {
    PrintQueue& queue = m_queue;
    if (!m_queueStarted) QSKIP(qPrintable(queue.ErrorString()));
    CheckoutFixture f;
    RingUpTwoLines(f);
    OpenSlip(f);
    TForm2* slip = f.form->Form2();

    // A queue that takes no jobs: the print says so instead of vanishing.
    QVERIFY(QProcess::execute(QStringLiteral("cupsreject"), {queue.QueueName()}) == 0);
    {
        QPrinter printer(QPrinter::HighResolution);  // the default printer, as the print dialog starts
        ScriptedDialogs dialogs;
        dialogs.ExpectError(QStringLiteral("打印失败：打印队列不接受任务："));
        QVERIFY(!slip->PrintTo(printer));
        VERIFY_DIALOGS(dialogs);
    }
    QVERIFY(QProcess::execute(QStringLiteral("cupsaccept"), {queue.QueueName()}) == 0);

    // As the user prints: the preview's print button, two copies in the print dialog, OK.
    AnswerPrintDialog(2);
    slip->findChild<QAction*>(QStringLiteral("printAction"))->trigger();
    const QString pdf = queue.WaitForPdf();
    QVERIFY2(!pdf.isEmpty(), qPrintable(queue.ErrorString()));
    QCOMPARE(PdfPages(pdf), 2);
    // cups-pdf holds the text as glyph pictures: look at the page instead.
    constexpr int dpi = 150;
    QString error;
    const QImage page = RenderPdfPage(pdf, 1, dpi, &error);
    QVERIFY2(!page.isNull(), qPrintable(error));
    page.save(QDir::temp().filePath(QStringLiteral("slip-cups.png")));  // to look at
    QVERIFY(qAbs(PixelsToMm(page.width(), dpi) - 210) < 1 && qAbs(PixelsToMm(page.height(), dpi) - 297) < 1);
    // The framed table, from the customer band to the summary, is one block of ink exactly
    // where the bands put its frame.
    const double tableTop = 10 + 21.2, tableBottom = tableTop + 7.4 + 7.4 + 8.5 + 2 * 7.4 + 10.6;
    const std::vector<InkBand> bands = InkBands(page);
    const auto table = std::find_if(bands.begin(), bands.end(), [&](const InkBand& b) {
        return PixelsToMm(b.bottom, dpi) > tableTop && PixelsToMm(b.top, dpi) < tableBottom;
    });
    QVERIFY(table != bands.end());
    const auto near = [](double mm, double expected) { return qAbs(mm - expected) < 0.6; };
    QVERIFY2(near(PixelsToMm(table->top, dpi), tableTop) &&
                 near(PixelsToMm(table->bottom, dpi), tableBottom) &&
                 near(PixelsToMm(table->left, dpi), 15) && near(PixelsToMm(table->right, dpi), 15 + 180.2),
             qPrintable(QStringLiteral("table inked at %1-%2 mm down, %3-%4 mm across")
                            .arg(PixelsToMm(table->top, dpi))
                            .arg(PixelsToMm(table->bottom, dpi))
                            .arg(PixelsToMm(table->left, dpi))
                            .arg(PixelsToMm(table->right, dpi))));
    // The title above it and the signatures below it printed too.
    QVERIFY(table != bands.begin() && table + 1 != bands.end());
    slip->close();
}

POS_WIDGET_TEST_MAIN(TestSlip)
#include "tst_slip.moc"
