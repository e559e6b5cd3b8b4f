// The sales slip on paper: which bands land on which page, where the texts of a line sit, and
// the labels filled in from the sale.

#include <QtTest>

#include "sales/SlipLayout.h"
#include "tests/support/ScriptedDialogs.h"

namespace {

constexpr double kPrintableBottom = 297 - 10;

SlipLabels Labels() {
    return FillSlipLabels(QStringLiteral("CJG261211000002"), QDate(2026, 12, 11), QStringLiteral("25.53"),
                          QStringLiteral("收银员"));
}

std::vector<SlipLine> Lines(int count) {
    std::vector<SlipLine> lines;
    for (int i = 1; i <= count; ++i)
        lines.push_back({QStringLiteral("商品%1").arg(i), QStringLiteral("500ml"), QStringLiteral("瓶"),
                         QStringLiteral("2"), QStringLiteral("12.5"), QStringLiteral("25")});
    return lines;
}

const ReportItem* Find(const ReportPage& page, const QString& text) {
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Text && item.text == text) return &item;
    return nullptr;
}

int Count(const ReportPage& page, const QString& prefix) {
    int n = 0;
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Text && item.text.startsWith(prefix)) ++n;
    return n;
}

// The detail lines of a page: the name column's texts, from the left edge of the name box.
int DetailLines(const ReportPage& page) {
    int n = 0;
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Text && qFuzzyCompare(item.from.x(), 15 + 2.1) &&
            item.clipWidth > 0)
            ++n;
    return n;
}

bool HasHorizontalLineAt(const ReportPage& page, double y) {
    for (const ReportItem& item : page.items)
        if (item.kind == ReportItem::Kind::Line && qAbs(item.from.y() - y) < 1e-6 &&
            qAbs(item.to.y() - y) < 1e-6 && qAbs(item.to.x() - item.from.x() - 180.2) < 1e-6)
            return true;
    return false;
}

}  // namespace

class TestSlipLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pages_data();
    void pages();
    void lineTexts();
    void firstPageBands();
    void pageBreakClosesTheTable();
    void labels_data();
    void labels();
};

void TestSlipLayout::pages_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<int>>("perPage");
    // Page 1 holds 31 lines under the title bands, the next pages 36; the summary and the
    // signature need 19.1 mm under the last line.
    QTest::newRow("empty sale: one empty line") << 0 << QList<int>{1};
    QTest::newRow("1") << 1 << QList<int>{1};
    QTest::newRow("2") << 2 << QList<int>{2};
    QTest::newRow("28: the summary still fits") << 28 << QList<int>{28};
    QTest::newRow("29: the last line goes along with the summary") << 29 << QList<int>{28, 1};
    QTest::newRow("31 fill the first page") << 31 << QList<int>{30, 1};
    QTest::newRow("32") << 32 << QList<int>{31, 1};
    QTest::newRow("40") << 40 << QList<int>{31, 9};
    QTest::newRow("67: a full second page") << 67 << QList<int>{31, 35, 1};
    QTest::newRow("80") << 80 << QList<int>{31, 36, 13};
    QTest::newRow("200") << 200 << QList<int>{31, 36, 36, 36, 36, 25};
}

void TestSlipLayout::pages() {
    QFETCH(int, lines);
    QFETCH(QList<int>, perPage);
    const std::vector<ReportPage> pages = SlipLayout(Labels(), Lines(lines));
    QCOMPARE(int(pages.size()), perPage.size());
    int next = 1;
    for (size_t p = 0; p < pages.size(); ++p) {
        const ReportPage& page = pages[p];
        const bool first = p == 0, last = p + 1 == pages.size();
        QCOMPARE(DetailLines(page), perPage[qsizetype(p)]);
        QCOMPARE(Count(page, QStringLiteral("商品名称")), 1);
        QCOMPARE(Count(page, QStringLiteral("备 注")), 1);
        QCOMPARE(Count(page, QStringLiteral("单 号：")), first ? 1 : 0);
        QCOMPARE(Count(page, QStringLiteral("客户名称：")), first ? 1 : 0);
        QCOMPARE(Count(page, QStringLiteral("客户地址：")), first ? 1 : 0);
        QCOMPARE(Count(page, QStringLiteral("合 计")), last ? 1 : 0);
        QCOMPARE(Count(page, QStringLiteral("开票人：")), last ? 1 : 0);
        // The lines keep their order across pages; the header stands above them.
        const double header = Find(page, QStringLiteral("商品名称"))->from.y();
        double previous = header;
        for (int i = 0; i < perPage[qsizetype(p)] && lines > 0; ++i, ++next) {
            const ReportItem* name = Find(page, QStringLiteral("商品%1").arg(next));
            QVERIFY2(name, qPrintable(QStringLiteral("line %1 on page %2").arg(next).arg(p + 1)));
            QVERIFY(name->from.y() > previous);
            previous = name->from.y();
        }
        if (last) QVERIFY(Find(page, QStringLiteral("合 计"))->from.y() > previous);
        for (const ReportItem& item : page.items) {
            QVERIFY(item.from.y() >= 10 - 1e-6);
            QVERIFY(qMax(item.from.y(), item.to.y()) <= kPrintableBottom + 1e-6);
        }
    }
    QCOMPARE(next, lines + 1);
}

void TestSlipLayout::lineTexts() {
    const std::vector<SlipLine> lines = {{QStringLiteral("可口可乐"), QStringLiteral("500ml"),
                                          QStringLiteral("瓶"), QStringLiteral("3"), QStringLiteral("12.5"),
                                          QStringLiteral("37.5")}};
    const ReportPage page = SlipLayout(Labels(), lines).front();
    struct Expected {
        const char* text;
        double x;
        Anchor anchor;
        double clip;
    };
    // Band positions plus the 15 mm left margin.
    const Expected expected[] = {{"可口可乐", 17.1, Anchor::Left, 38.4}, {"500ml", 59.5, Anchor::Left, 40.5},
                                 {"瓶", 108.3, Anchor::Centre, 0},       {"3", 130.9, Anchor::Right, 0},
                                 {"12.5", 147.8, Anchor::Right, 0},      {"37.5", 166.9, Anchor::Right, 0}};
    const double top = 10 + 21.2 + 7.4 + 7.4 + 8.5;
    for (const Expected& e : expected) {
        const ReportItem* item = Find(page, QString::fromUtf8(e.text));
        QVERIFY2(item, e.text);
        QCOMPARE(item->from, QPointF(e.x, top + 1.9));
        QCOMPARE(item->anchor, e.anchor);
        QCOMPARE(item->clipWidth, e.clip);
    }
    const ReportItem* figure = Find(page, QStringLiteral("￥25.53"));
    QVERIFY(figure && figure->font.underline);
    QCOMPARE(figure->from, QPointF(15 + 139.7, top + 7.4 + 3.2));
    // The summary closes the table on all four sides.
    QVERIFY(HasHorizontalLineAt(page, top + 7.4));
    QVERIFY(HasHorizontalLineAt(page, top + 7.4 + 10.6));
}

void TestSlipLayout::firstPageBands() {
    const ReportPage page = SlipLayout(Labels(), Lines(1)).front();
    const ReportItem* title = Find(page, QStringLiteral("晨岚商贸销售单"));
    QVERIFY(title && title->font.bold && title->font.points == 16 && title->anchor == Anchor::Centre);
    QCOMPARE(title->from.x(), 15 + 87.0);
    QVERIFY(Find(page, QStringLiteral("单 号：CJG261211000002")));
    QCOMPARE(Find(page, QStringLiteral("开单日期：2026-12-11"))->from, QPointF(15 + 133.3, 10 + 21.2 + 1.6));
    int pictures = 0, rules = 0;
    for (const ReportItem& item : page.items) {
        if (item.kind == ReportItem::Kind::Picture) {
            ++pictures;
            QCOMPARE(item.image.size(), QSize(56, 58));
        }
        if (item.kind == ReportItem::Kind::Line && qFuzzyCompare(item.from.x(), 15 + 31.8) &&
            qFuzzyCompare(item.to.x(), 15 + 134.7))
            ++rules;
    }
    QCOMPARE(pictures, 1);
    QCOMPARE(rules, 2);
    QVERIFY(Find(page, QStringLiteral("官方网站：www.chenlan-pos.example   电话：010-0000 0000")));
}

void TestSlipLayout::pageBreakClosesTheTable() {
    const std::vector<ReportPage> pages = SlipLayout(Labels(), Lines(40));
    const double firstPageEnd = 10 + 21.2 + 7.4 + 7.4 + 8.5 + 31 * 7.4;
    QVERIFY(HasHorizontalLineAt(pages[0], firstPageEnd));
    QVERIFY(HasHorizontalLineAt(pages[1], 10));  // the repeated header's top
}

void TestSlipLayout::labels_data() {
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("capitals");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("25.53") << "25.53"
                           << "（大写） 贰拾伍元伍角叁分" << QStringList();
    QTest::newRow("zero has no capitals") << "0.00"
                                          << "（大写） " << QStringList();
    QTest::newRow("negative") << "-5.00"
                              << "（大写） " << QStringList{"45", "读取错误，应为数字"};
}

void TestSlipLayout::labels() {
    QFETCH(QString, total);
    QFETCH(QString, capitals);
    QFETCH(QStringList, messages);
    ScriptedDialogs dialogs;
    for (const QString& message : messages) dialogs.ExpectMessage(message);
    const SlipLabels labels = FillSlipLabels(QStringLiteral("CJG261211000002 "), QDate(2026, 12, 1), total,
                                             QStringLiteral("超级管理员"));
    VERIFY_DIALOGS(dialogs);
    QCOMPARE(labels.number, QStringLiteral("单 号：CJG261211000002 "));
    QCOMPARE(labels.date, QStringLiteral("开单日期：2026-12-01"));
    QCOMPARE(labels.capitals, capitals);
    QCOMPARE(labels.figure, QStringLiteral("￥") + total);
    QCOMPARE(labels.issuer, QStringLiteral("开票人：超级管理员"));
}

QTEST_MAIN(TestSlipLayout)
#include "tst_sliplayout.moc"
