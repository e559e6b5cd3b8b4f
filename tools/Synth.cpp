#include "tools/Synth.h"

#include <QRandomGenerator>
#include <QString>
#include <QVariantList>
#include <cmath>
#include <vector>

#include "common/Pinyin.h"
#include "common/SaleNumber.h"
#include "data/Connection.h"
#include "tools/DemoData.h"

namespace {

constexpr int kBatch = 20000;

const char* const kBrands[] = {"康师傅", "统一",   "农夫",   "伊利",   "蒙牛",   "旺旺",  "双汇",
                               "海天",   "金龙鱼", "心相印", "立白",   "蓝月亮", "得力",  "晨光",
                               "青岛",   "雪花",   "光明",   "娃哈哈", "达利园", "好丽友"};
const char* const kGoods[] = {"矿泉水", "冰红茶", "绿茶", "纯牛奶", "酸奶",   "方便面", "饼干",   "薯片",
                              "火腿肠", "生抽",   "老抽", "食用油", "大米",   "挂面",   "洗衣液", "洗洁精",
                              "抽纸",   "卷纸",   "牙膏", "香皂",   "中性笔", "笔记本", "啤酒",   "果汁",
                              "面包",   "蛋糕",   "糖果", "巧克力", "瓜子",   "花生"};
const char* const kModels[] = {"250ml", "330ml", "500ml",  "1L",  "100g",    "200g", "500g",
                               "1kg",   "5kg",   "10支装", "3包", "12瓶/箱", "散装", "礼盒装"};
const char* const kUnits[] = {"瓶", "袋", "盒", "包", "箱", "支", "块", "斤", "罐", "提"};
const char* const kCategories[] = {"饮料",   "乳制品", "方便食品", "休闲零食", "粮油调味",
                                   "肉制品", "日用品", "文具",     "酒水",     "烘焙"};
const char* const kSuppliers[] = {"城东副食品批发部", "华联配送中心",   "本地日化批发", "顺达食品经销部",
                                  "新兴商贸有限公司", "万家乐批发市场", "恒通物流配送", "金穗粮油经销"};

template <size_t N>
QString Pick(QRandomGenerator& random, const char* const (&pool)[N]) {
    return QString::fromUtf8(pool[random.bounded(int(N))]);
}

struct Product {
    QString code, name, model, category, unit;
    double cost, price;
};

// Each product's looks follow from its number, so the sales can be made without keeping them.
Product MakeProduct(quint32 seed, qint64 i) {
    QRandomGenerator random(seed * 7919u + quint32(i));
    Product p;
    p.code = SynthProductCode(i);
    p.name = Pick(random, kBrands) + Pick(random, kGoods);
    p.model = Pick(random, kModels);
    p.category = Pick(random, kCategories);
    p.unit = Pick(random, kUnits);
    p.cost = std::round((0.5 + random.bounded(200.0)) * 10) / 10;
    p.price = std::round(p.cost * (1.1 + random.bounded(0.5)) * 10) / 10;
    return p;
}

}  // namespace

QString SynthProductCode(qint64 i) { return Ean13(QStringLiteral("69%1").arg(i, 10, 10, QChar(u'0'))); }

void FillSynthetic(Connection& db, const SynthOptions& o,
                   const std::function<void(const QString&)>& progress) {
    // A made-up file can be made again; durability costs only time here.
    db.ExecScript(QStringLiteral("pragma synchronous=off;"));
    const QString insertProduct = QStringLiteral(
        "insert into sp "
        "(商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,供货商,ghspy,sppy,lbpy) "
        "values (?,?,?,?,?,?,?,?,?,?,?,?)");
    QRandomGenerator random(o.seed);
    for (qint64 first = 0; first < o.products; first += kBatch) {
        Transaction transaction(db);
        for (qint64 i = first; i < std::min(o.products, first + kBatch); ++i) {
            const Product p = MakeProduct(o.seed, i);
            const QString supplier = Pick(random, kSuppliers);
            db.Exec(insertProduct,
                    {p.code, p.category, p.name, p.model, p.cost, p.price, std::round(p.price * 95) / 100,
                     p.unit, supplier, PinyinCode(supplier), PinyinCode(p.name), PinyinCode(p.category)});
        }
        transaction.Commit();
        progress(QStringLiteral("products %1/%2").arg(std::min(o.products, first + kBatch)).arg(o.products));
    }

    const QString insertLine = QStringLiteral(
        "insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) "
        "values (?,?,?,?,?,?,?,?,?,?,?,0,?,?,?)");
    const QString insertSale = QStringLiteral(
        "insert into data3 (a,b,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) values "
        "(?,?,?,?,?,?,?,0,0,?)");
    const QDate firstDay = o.lastDay.addMonths(-o.months).addDays(1);
    const qint64 days = qMax<qint64>(1, firstDay.daysTo(o.lastDay) + 1);
    const QString cashiers[] = {QStringLiteral("超级管理员"), QStringLiteral("收银员"),
                                QStringLiteral("李小红")};
    for (qint64 first = 0; first < o.sales; first += kBatch) {
        Transaction transaction(db);
        for (qint64 s = first; s < std::min(o.sales, first + kBatch); ++s) {
            // Sales in time order, spread evenly over the days.
            const QDate day = firstDay.addDays(s * days / qMax<qint64>(1, o.sales));
            const int who = random.bounded(3);
            const qint64 counter = s + 2;
            const QString number = SaleNumberText(cashiers[who], day, counter).trimmed();
            const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
            double total = 0, profit = 0;
            for (int l = 0; l < o.linesPerSale; ++l) {
                const Product p = MakeProduct(o.seed, random.bounded(quint64(qMax<qint64>(1, o.products))));
                const double quantity = 1 + random.bounded(3);
                const double amount = p.price * quantity;
                const double lineProfit = quantity * (p.price - p.cost);
                total += amount;
                profit += lineProfit;
                db.Exec(insertLine,
                        {p.name, p.model, p.code, p.category, number, cashiers[who], p.unit, p.cost, quantity,
                         std::round(p.price * 95) / 100, p.price, amount, lineProfit, date});
            }
            total = std::round(total * 100) / 100;
            const double cash = std::ceil(total / 10) * 10;
            db.Exec(insertSale, {number, cashiers[who], total, total, cash, cash - total, profit, date});
        }
        transaction.Commit();
        progress(QStringLiteral("sales %1/%2").arg(std::min(o.sales, first + kBatch)).arg(o.sales));
    }
}
