// The import window driven as the shop keeper drives it: the two file dialogs, the import button
// with its messages, and the main window told to reload after a successful import only.

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "app/Skins.h"
#include "catalogue/excel.h"
#include "common/Dialogs.h"
#include "common/MainFormOps.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/TestDatabase.h"
#include "tests/support/WidgetTest.h"

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

// Records every dialog with its caption and filter, and answers file dialogs with `file`.
class Recorder : public Dialogs::Responder {
public:
    Recorder() : m_previous(Dialogs::SetResponder(this)) {}
    ~Recorder() override { Dialogs::SetResponder(m_previous); }
    QString file;
    std::vector<Dialogs::Request> seen;
    Dialogs::Answer Respond(const Dialogs::Request& request) override {
        seen.push_back(request);
        return {!file.isEmpty(), file};
    }

private:
    Dialogs::Responder* m_previous;
};

QString MakeWorkbook(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(MAKE_WORKBOOK)});
    python.write(
        QStringLiteral(
            R"({"path": "%1", "format": "xlsx", "sheets": [{"name": "tavlin", "rows": [)"
            R"(["商品编码","商品类别","商品名称","规格型号","进货单价","销售单价","会员价","单位","供货商"],)"
            R"(["6901","饮料","可口可乐","500ml",2,3.5,3,"瓶","本地批发"]]}]})")
            .arg(path)
            .toUtf8());
    python.closeWriteChannel();
    python.waitForFinished(-1);
    return path;
}

}  // namespace

class TestExcel : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void fileDialogsFillTheBoxes() {
        FakeMainForm main;
        Texcell window(main);
        window.show();
        QCOMPARE(window.objectName(), S("excell"));
        QCOMPARE(window.windowTitle(), S("Excel导入数据库"));
        Recorder dialogs;
        dialogs.file = S("/shop/商品.xlsx");
        QTest::mouseClick(window.WorkbookButton(), Qt::LeftButton);
        dialogs.file = S("/shop/data.mdb");
        QTest::mouseClick(window.DatabaseButton(), Qt::LeftButton);
        dialogs.file.clear();  // cancelled: the boxes keep their paths
        QTest::mouseClick(window.WorkbookButton(), Qt::LeftButton);
        QTest::mouseClick(window.DatabaseButton(), Qt::LeftButton);
        QCOMPARE(window.WorkbookBox()->text(), S("/shop/商品.xlsx"));
        QCOMPARE(window.DatabaseBox()->text(), S("/shop/data.mdb"));
        QCOMPARE(dialogs.seen.size(), size_t(4));
        QCOMPARE(dialogs.seen[0].caption, S("请选择相应的Excel文件"));
        QCOMPARE(dialogs.seen[0].filter, S("Excel(*.xls *.xlsx)"));
        QCOMPARE(dialogs.seen[1].caption, S("请选择相应的MDB文件"));
        QCOMPARE(dialogs.seen[1].filter, S("access (*.mdb)"));
    }

    void importButtonImportsAndReloads() {
        TestDatabase t;
        FakeMainForm main;
        Texcell window(main);
        window.show();
        TypeText(window.WorkbookBox(), MakeWorkbook(m_dir.filePath(QStringLiteral("book.xlsx"))));
        TypeText(window.DatabaseBox(), t.Path());
        Recorder dialogs;
        QTest::mouseClick(window.ImportButton(), Qt::LeftButton);
        QCOMPARE(dialogs.seen.size(), size_t(1));
        QCOMPARE(dialogs.seen[0].kind, Dialogs::Kind::Warning);
        QCOMPARE(dialogs.seen[0].caption, S("警告"));
        QCOMPARE(dialogs.seen[0].text, S("批量EXCEL导入成功！请退出在主界面中点全部记录查看"));
        QCOMPARE(main.reloads, 1);
        QCOMPARE(t.db().Scalar(S("select sppy from sp where 商品编码='6901'")).toString(), S("kkkl"));

        // Closed and opened again: the paths are still there.
        window.hide();
        window.show();
        QCOMPARE(window.DatabaseBox()->text(), t.Path());
    }

    void failuresSayWhyAndDoNotReload_data() {
        QTest::addColumn<bool>("workbook");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("message");
        QTest::newRow("no paths") << false << S("   ") << S("请正确选择相关路径！");
        QTest::newRow("a text file as the database")
            << true << S("text") << S("连接ACCESS失败！请联系技术客服QQ:800012345\n");
    }
    void failuresSayWhyAndDoNotReload() {
        QFETCH(bool, workbook);
        QFETCH(QString, database);
        QFETCH(QString, message);
        FakeMainForm main;
        Texcell window(main);
        window.show();
        if (workbook)
            window.WorkbookBox()->setText(MakeWorkbook(m_dir.filePath(QStringLiteral("book2.xlsx"))));
        const QByteArray text = "商品编码\n6901\n";
        if (database == QLatin1String("text")) {
            database = m_dir.filePath(QStringLiteral("text.mdb"));
            QFile file(database);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        window.DatabaseBox()->setText(database);
        Recorder dialogs;
        QTest::mouseClick(window.ImportButton(), Qt::LeftButton);
        QCOMPARE(dialogs.seen.size(), size_t(1));
        QCOMPARE(dialogs.seen[0].caption, S("警告"));
        QVERIFY2(dialogs.seen[0].text.startsWith(message), qPrintable(dialogs.seen[0].text));
        QCOMPARE(main.reloads, 0);
        if (workbook) {
            QFile file(database);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), text);
        }
    }

    // The warning line stays red under every skin (a skin's text colour must not win over it).
    // With POS_SCREENSHOTS set to a folder, each look is saved there to be looked at.
    void theTipStaysRedUnderEverySkin() {
        FakeMainForm main;
        Texcell window(main);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int skin = -1; skin < kSkinCount; ++skin) {
            skin < 0 ? ApplyDefaultSkin() : void(ApplySkin(skin));
            const QImage image = window.grab().toImage();
            int red = 0;
            for (int y = 14; y < 36; ++y)
                for (int x = 24; x < 300; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
                }
            QVERIFY2(red > 100, qPrintable(QStringLiteral("skin %1: %2 red pixels").arg(skin).arg(red)));
            if (const QString folder = qEnvironmentVariable("POS_SCREENSHOTS"); !folder.isEmpty())
                image.save(QStringLiteral("%1/excell-skin%2.png").arg(folder).arg(skin + 1));
        }
        ApplyDefaultSkin();
    }
};

POS_WIDGET_TEST_MAIN(TestExcel)
#include "tst_excel.moc"
