// The product import without its window: workbooks of both kinds made by real spreadsheet writers
// (openpyxl, xlwt), read, converted and appended to a real encrypted shop database, all or nothing.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <memory>

#include "catalogue/ImportXlsx.h"
#include "catalogue/ProductImport.h"
#include "data/Schema.h"
#include "tests/support/TestDatabase.h"

namespace {

QString S(const char* text) { return QString::fromUtf8(text); }

// The nine titles in the order of the sp columns, and a good row under them.
const char* kTitles =
    R"("商品编码","商品类别","商品名称","规格型号","进货单价","销售单价","会员价","单位","供货商")";
const char* kGoodRow = R"("6901","饮料","可口可乐","500ml",2,3.5,3,"瓶","本地批发")";

QJsonArray Rows(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).array(); }

// Writes a workbook with the fixture script, kept running so Python starts once; extra keys
// ("shared", "cached") pass through.
QString MakeWorkbook(const QString& path, const QString& format, const QJsonArray& rows,
                     const QString& sheet = QStringLiteral("tavlin"), QJsonObject description = {}) {
    static QProcess* python = [] {
        auto* process = new QProcess;
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(MAKE_WORKBOOK), QStringLiteral("--serve")});
        return process;
    }();
    description[QStringLiteral("path")] = path;
    description[QStringLiteral("format")] = format;
    description[QStringLiteral("sheets")] =
        QJsonArray{QJsonObject{{QStringLiteral("name"), sheet}, {QStringLiteral("rows"), rows}}};
    python->write(QJsonDocument(description).toJson(QJsonDocument::Compact) + '\n');
    while (!python->canReadLine() && python->waitForReadyRead(-1)) {
    }
    if (python->readLine().trimmed() != "ok") qWarning() << "the fixture script failed on" << path;
    return path;
}

// Every stored column of sp, in row order, to compare before and after.
QByteArray Fingerprint(TestDatabase& t) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char* const* table = TableNames(); *table; ++table) {
        const QString name = QString::fromLatin1(*table);
        hash.addData(
            t.db().Scalar(QStringLiteral("select count(*) from \"%1\"").arg(name)).toString().toUtf8());
    }
    hash.addData(
        t.db()
            .Scalar(
                S("select group_concat(quote(商品编码)||quote(商品名称)||quote(销售单价)||quote(sppy), '|') "
                  "from (select * from sp order by rowid)"))
            .toString()
            .toUtf8());
    return hash.result();
}

QVariantList StoredRow(TestDatabase& t, int index) {
    const QStringList columns = {S("商品编码"), S("商品类别"), S("商品名称"), S("规格型号"),
                                 S("进货单价"), S("销售单价"), S("会员价"),   S("单位"),
                                 S("供货商"),   S("sppy"),     S("ghspy"),    S("lbpy")};
    QVariantList row;
    for (const QString& column : columns)
        row << t.db().Scalar(
            QStringLiteral("select \"%1\" from sp order by rowid limit 1 offset %2").arg(column).arg(index));
    return row;
}

}  // namespace

class TestImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;
    std::unique_ptr<TestDatabase> m_shared;
    // One database for the cases that each start from an empty product table: making a fresh
    // one costs more than all the rest of a case.
    TestDatabase& EmptyShop() {
        if (!m_shared) m_shared = std::make_unique<TestDatabase>();
        m_shared->db().Exec(QStringLiteral("delete from sp"));
        return *m_shared;
    }
    QString NextPath(const QString& format) {
        return m_dir.filePath(QStringLiteral("book%1.%2").arg(++m_files).arg(format));
    }

    void formats() {
        QTest::addColumn<QString>("format");
        QTest::newRow("xls") << QStringLiteral("xls");
        QTest::newRow("xlsx") << QStringLiteral("xlsx");
    }

private slots:
    void importsTheNineColumnsInAnyOrder_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("shared");
        QTest::newRow("xls") << QStringLiteral("xls") << false;
        QTest::newRow("xlsx inline strings") << QStringLiteral("xlsx") << false;
        QTest::newRow("xlsx shared strings") << QStringLiteral("xlsx") << true;
    }
    void importsTheNineColumnsInAnyOrder() {
        QFETCH(QString, format);
        QFETCH(bool, shared);
        TestDatabase t;
        t.db().Exec(S("insert into sp (商品编码,商品名称,销售单价) values ('1','已有',1)"));
        const QString book = MakeWorkbook(
            NextPath(format), format,
            Rows(S(
                R"([["备注","会员价","商品编码","单位","商品名称","进货单价","供货商","规格型号","销售单价","商品类别"],)"
                R"(["不要",4.5,"6901","瓶","可口可乐",2,"本地批发","500ml",5,"饮料"],)"
                R"(["x",null,"A-2",null,"康师傅方便面",1.5,null,null,3,"食品"]])")),
            QStringLiteral("tavlin"), {{QStringLiteral("shared"), shared}});
        const ImportOutcome outcome = ImportProducts(book, t.Path());
        QCOMPARE(ImportMessage(outcome), S("批量EXCEL导入成功！请退出在主界面中点全部记录查看"));
        QCOMPARE(outcome.added, 2);
        QCOMPARE(t.Count(QStringLiteral("sp")), 3);
        QCOMPARE(StoredRow(t, 1), (QVariantList{S("6901"), S("饮料"), S("可口可乐"), S("500ml"), 2.0, 5.0,
                                                4.5, S("瓶"), S("本地批发"), S("kkkl"), S("bdpf"), S("yl")}));
        QCOMPARE(StoredRow(t, 2),
                 (QVariantList{S("A-2"), S("食品"), S("康师傅方便面"), QVariant(), 1.5, 3.0, QVariant(),
                               QVariant(), QVariant(), S("ksffbm"), QString(), S("sp")}));
    }

    // One cell of a good row replaced; what is stored, or the second line of the failure.
    void convertsEachCell_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("failure");
        for (const char* f : {"xls", "xlsx"}) {
            const QString format = QString::fromLatin1(f);
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(format + u' ' + QLatin1String(name))) << format;
            };
            row("code typed as a number")
                << 0 << S("6901234567890") << QVariant(S("6901234567890")) << QString();
            row("name typed as a number") << 2 << S("12.5") << QVariant(S("12.5")) << QString();
            row("price as text") << 5 << S(R"("2.5")") << QVariant(2.5) << QString();
            row("price as text with blanks") << 5 << S(R"(" 3 ")") << QVariant(3.0) << QString();
            row("empty price") << 5 << S("null") << QVariant() << QString();
            row("price that is no number")
                << 5 << S(R"("abc")") << QVariant() << S("第 2 行 销售单价：'abc' 不是数字");
            row("price of a lone point")
                << 6 << S(R"(".")") << QVariant() << S("第 2 行 会员价：'.' 不是数字");
            row("price as a boolean")
                << 4 << S("true") << QVariant() << S("第 2 行 进货单价：'TRUE' 不是数字");
            row("price as a formula")
                << 5 << S(R"({"formula":"1+2"})") << QVariant() << S("第 2 行 销售单价：单元格 F2 是公式");
            row("code as a formula") << 0 << S(R"({"formula":"1+2"})") << QVariant()
                                     << S("第 2 行 商品编码：单元格 A2 是公式");
            row("quotes and SQL in a name") << 2 << S("\"O'Brien'); drop table sp;--\"")
                                            << QVariant(S("O'Brien'); drop table sp;--")) << QString();
        }
        QTest::newRow("xlsx error value") << QStringLiteral("xlsx") << 5 << S("\"#DIV/0!\"") << QVariant()
                                          << S("第 2 行 销售单价：单元格 F2 是错误值 #DIV/0!");
    }
    void convertsEachCell() {
        QFETCH(QString, format);
        QFETCH(int, column);
        QFETCH(QString, cell);
        QFETCH(QVariant, stored);
        QFETCH(QString, failure);
        QJsonArray row = Rows(QStringLiteral("[%1]").arg(S(kGoodRow)));
        row[column] = QJsonDocument::fromJson(QStringLiteral("[%1]").arg(cell).toUtf8()).array()[0];
        const QString book = MakeWorkbook(NextPath(format), format,
                                          QJsonArray{Rows(QStringLiteral("[%1]").arg(S(kTitles))), row});
        TestDatabase& t = EmptyShop();
        const ImportOutcome outcome = ImportProducts(book, t.Path());
        if (failure.isEmpty()) {
            QCOMPARE(outcome.status, ImportOutcome::Status::Imported);
            QCOMPARE(StoredRow(t, 0)[column], stored);
        } else {
            QCOMPARE(outcome.status, ImportOutcome::Status::Failed);
            QVERIFY2(outcome.detail.startsWith(failure), qPrintable(outcome.detail));
            QCOMPARE(ImportMessage(outcome),
                     S("批量EXCEL导入失败！请联系技术客服QQ:800012345\n") + outcome.detail);
            QCOMPARE(t.Count(QStringLiteral("sp")), 0);
        }
    }

    void formulaValueSavedInXlsxIsRead() {
        QJsonArray rows = Rows(QStringLiteral("[[%1],[%2]]").arg(S(kTitles), S(kGoodRow)));
        QJsonArray row = rows[1].toArray();
        row[5] = QJsonObject{{QStringLiteral("formula"), QStringLiteral("1+2")}};
        rows[1] = row;
        const QString book = MakeWorkbook(
            NextPath(QStringLiteral("xlsx")), QStringLiteral("xlsx"), rows, QStringLiteral("tavlin"),
            {{QStringLiteral("cached"), QJsonObject{{QStringLiteral("F2"), 3}}}});
        TestDatabase& t = EmptyShop();
        QCOMPARE(ImportProducts(book, t.Path()).status, ImportOutcome::Status::Imported);
        QCOMPARE(StoredRow(t, 0)[5], QVariant(3.0));
    }

    void blankRowsAreSkippedAndRowsAreNamedAsTheSheetCountsThem_data() { formats(); }
    void blankRowsAreSkippedAndRowsAreNamedAsTheSheetCountsThem() {
        QFETCH(QString, format);
        const QString good = S(kGoodRow);
        const QJsonArray rows =
            Rows(QStringLiteral(R"([[%1],[%2],null,["  ",null,"   "],[%2]])").arg(S(kTitles), good));
        TestDatabase& t = EmptyShop();
        const ImportOutcome outcome = ImportProducts(MakeWorkbook(NextPath(format), format, rows), t.Path());
        QCOMPARE(outcome.added, 2);
        QCOMPARE(t.Count(QStringLiteral("sp")), 2);

        QJsonArray bad = rows;
        bad.append(Rows(QStringLiteral(R"([["9","食品","面包","",1,"abc",1,"个","x"]])"))[0]);
        const QByteArray before = Fingerprint(t);
        const ImportOutcome failed = ImportProducts(MakeWorkbook(NextPath(format), format, bad), t.Path());
        QCOMPARE(ImportMessage(failed).section(u'\n', 0, 0),
                 S("批量EXCEL导入失败！请联系技术客服QQ:800012345"));
        QCOMPARE(ImportMessage(failed).section(u'\n', 1), S("第 6 行 销售单价：'abc' 不是数字"));
        QCOMPARE(Fingerprint(t), before);
    }

    // A row the database refuses halfway through: the rows before it go too.
    void aRefusedRowAppendsNothing() {
        TestDatabase t;
        t.db().ExecScript(
            S("create trigger refuse before insert on sp when new.商品名称='坏' "
              "begin select raise(abort, '拒绝这一行'); end;"));
        const QJsonArray rows = Rows(QStringLiteral(R"([[%1],[%2],[%2],["3","","坏","",1,1,1,"",""],[%2]])")
                                         .arg(S(kTitles), S(kGoodRow)));
        const QByteArray before = Fingerprint(t);
        const ImportOutcome outcome = ImportProducts(
            MakeWorkbook(NextPath(QStringLiteral("xlsx")), QStringLiteral("xlsx"), rows), t.Path());
        QCOMPARE(outcome.status, ImportOutcome::Status::Failed);
        QVERIFY2(outcome.detail.contains(S("拒绝这一行")), qPrintable(outcome.detail));
        QCOMPARE(Fingerprint(t), before);
    }

    void theSheetIsFoundByNameOnly_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("found");
        for (const char* f : {"xls", "xlsx"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 TAVLIN").arg(QLatin1String(f))))
                << QString::fromLatin1(f) << S("TAVLIN") << true;
            QTest::newRow(qPrintable(QStringLiteral("%1 Sheet1").arg(QLatin1String(f))))
                << QString::fromLatin1(f) << S("Sheet1") << false;
        }
    }
    void theSheetIsFoundByNameOnly() {
        QFETCH(QString, format);
        QFETCH(QString, sheet);
        QFETCH(bool, found);
        const QJsonArray rows = Rows(QStringLiteral("[[%1],[%2]]").arg(S(kTitles), S(kGoodRow)));
        TestDatabase& t = EmptyShop();
        const ImportOutcome outcome =
            ImportProducts(MakeWorkbook(NextPath(format), format, rows, sheet), t.Path());
        if (found) {
            QCOMPARE(outcome.added, 1);
        } else {
            QCOMPARE(outcome.status, ImportOutcome::Status::Failed);
            QCOMPARE(outcome.detail, S("工作簿里没有名为 tavlin 的工作表（现有工作表：Sheet1）"));
        }
    }

    void titlesMustAllBeThereOnce_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("titles");
        QTest::addColumn<QString>("reason");
        for (const char* f : {"xls", "xlsx"}) {
            const QString format = QString::fromLatin1(f);
            QTest::newRow(qPrintable(format + QStringLiteral(" missing")))
                << format
                << S(R"("商品编码","商品类别","商品名称","规格型号","进货单价","销售单价","单位","供货商")")
                << S("工作表 tavlin 第 1 行没有列标题“会员价”");
            QTest::newRow(qPrintable(format + QStringLiteral(" twice")))
                << format << S(kTitles) + S(R"(,"商品名称")")
                << S("工作表 tavlin 第 1 行的列标题“商品名称”出现了两次（C 列和 J 列）");
        }
    }
    void titlesMustAllBeThereOnce() {
        QFETCH(QString, format);
        QFETCH(QString, titles);
        QFETCH(QString, reason);
        TestDatabase& t = EmptyShop();
        const QJsonArray rows = Rows(QStringLiteral("[[%1],[%2]]").arg(titles, S(kGoodRow)));
        const ImportOutcome outcome = ImportProducts(MakeWorkbook(NextPath(format), format, rows), t.Path());
        QCOMPARE(outcome.detail, reason);
        QCOMPARE(t.Count(QStringLiteral("sp")), 0);
    }

    // Paths are values, never statement text: brackets and semicolons in both.
    void oddPathsRoundTrip() {
        const QString folder = m_dir.filePath(S("a]b;c'd"));
        QVERIFY(QDir().mkpath(folder));
        TestDatabase t;
        const QString database = folder + S("/数据[1];.mdb");
        QVERIFY(QFile::copy(t.Path(), database));
        const QJsonArray rows = Rows(QStringLiteral("[[%1],[%2]]").arg(S(kTitles), S(kGoodRow)));
        const QString book = MakeWorkbook(folder + S("/商品];.xlsx"), QStringLiteral("xlsx"), rows);
        QCOMPARE(ImportProducts(QStringLiteral("  ") + book + u' ', database).added, 1);
        Connection db;
        db.Open(database);
        QCOMPARE(db.Scalar(S("select 商品名称 from sp")).toString(), S("可口可乐"));
    }

    void theDatabaseMustBeAShopDatabase_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("商品编码,商品名称\n6901,可乐\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("database with another key") << QByteArray("other key");
    }
    void theDatabaseMustBeAShopDatabase() {
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(QStringLiteral("db%1.mdb").arg(++m_files));
        if (content == "other key") {
            Connection other;
            other.Open(path, Connection::Mode::CreateNew, "another");
            other.ExecScript(QStringLiteral("create table sp(x); insert into sp values (1);"));
            other.Close();
            content = {};
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            content = f.readAll();
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QString book = MakeWorkbook(NextPath(QStringLiteral("xlsx")), QStringLiteral("xlsx"),
                                          Rows(QStringLiteral("[[%1],[%2]]").arg(S(kTitles), S(kGoodRow))));
        const ImportOutcome outcome = ImportProducts(book, path);
        QCOMPARE(outcome.status, ImportOutcome::Status::NoDatabase);
        QVERIFY(ImportMessage(outcome).startsWith(S("连接ACCESS失败！请联系技术客服QQ:800012345\n")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }

    void missingPathsAndFiles() {
        TestDatabase t;
        const QString book = MakeWorkbook(NextPath(QStringLiteral("xls")), QStringLiteral("xls"),
                                          Rows(QStringLiteral("[[%1],[%2]]").arg(S(kTitles), S(kGoodRow))));
        for (const auto& [workbook, database] :
             {std::pair{QString(), t.Path()}, {book, S("   ")}, {S(" "), S("")}})
            QCOMPARE(ImportMessage(ImportProducts(workbook, database)), S("请正确选择相关路径！"));
        const QString missing = m_dir.filePath(QStringLiteral("none.mdb"));
        QCOMPARE(ImportProducts(book, missing).status, ImportOutcome::Status::NoDatabase);
        QVERIFY(!QFile::exists(missing));
        const ImportOutcome noBook = ImportProducts(m_dir.filePath(QStringLiteral("none.xls")), t.Path());
        QVERIFY2(noBook.detail.startsWith(S("找不到工作簿文件")), qPrintable(noBook.detail));
        const ImportOutcome notABook = ImportProducts(t.Path(), t.Path());
        QVERIFY2(notABook.detail.startsWith(S("文件不是 Excel 工作簿")), qPrintable(notABook.detail));
    }

    // A workbook that unpacks to more than the limit is refused before it fills the memory.
    void aZipBombIsRefused() {
        QString json = QStringLiteral("[[%1]").arg(S(kTitles));
        for (int i = 0; i < 200; ++i) json += QStringLiteral(",[%1]").arg(S(kGoodRow));
        const QString book =
            MakeWorkbook(NextPath(QStringLiteral("xlsx")), QStringLiteral("xlsx"), Rows(json + u']'));
        const SheetRead fits = ReadXlsx(book, {}, 1 << 20);
        QVERIFY2(fits.error.isEmpty(), qPrintable(fits.error));
        QCOMPARE(fits.rows.size(), size_t(200));
        const SheetRead tooBig = ReadXlsx(book, {}, 16 << 10);
        QVERIFY2(tooBig.error.startsWith(S("工作簿解压后超过")), qPrintable(tooBig.error));
        QVERIFY(tooBig.rows.empty());
    }

    void cancelAppendsNothing_data() { formats(); }
    void cancelAppendsNothing() {
        QFETCH(QString, format);
        QString json = QStringLiteral("[[%1]").arg(S(kTitles));
        for (int i = 0; i < 1100; ++i) json += QStringLiteral(",[%1]").arg(S(kGoodRow));
        const QString book = MakeWorkbook(NextPath(format), format, Rows(json + u']'));
        TestDatabase t;
        int calls = 0;
        // Cancelled while the rows are being inserted.
        const ImportOutcome outcome =
            ImportProducts(book, t.Path(), [&calls](int percent) { return ++calls, percent < 70; });
        QCOMPARE(outcome.status, ImportOutcome::Status::Cancelled);
        QVERIFY(calls > 1);
        QCOMPARE(t.Count(QStringLiteral("sp")), 0);
        QCOMPARE(ImportProducts(book, t.Path()).added, 1100);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
