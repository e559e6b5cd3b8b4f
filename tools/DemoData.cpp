#include "tools/DemoData.h"

#include <QRandomGenerator>
#include <QString>
#include <QVariantList>
#include <cmath>
#include <vector>

#include "common/Password.h"
#include "common/SaleNumber.h"
#include "data/Connection.h"
#include "data/Numbers.h"

namespace {

struct DemoProduct {
    const char* name;
    const char* category;
    const char* model;
    const char* unit;
    const char* supplier;
    double cost;
    double price;
};

const DemoProduct kProducts[] = {
    {"农夫山泉矿泉水", "饮料", "550ml", "瓶", "杭州农夫山泉经销部", 1.1, 2.0},
    {"康师傅冰红茶", "饮料", "500ml", "瓶", "顶新饮品配送中心", 1.9, 3.0},
    {"可口可乐", "饮料", "330ml罐装", "罐", "太古可口可乐", 1.6, 2.5},
    {"加多宝凉茶", "饮料", "310ml", "罐", "广州加多宝批发", 2.6, 4.0},
    {"蒙牛纯牛奶", "乳制品", "250ml×16盒", "箱", "蒙牛乳业华东分公司", 38.0, 49.9},
    {"伊利优酸乳", "乳制品", "250ml", "盒", "伊利乳业经销商", 1.8, 2.8},
    {"光明酸奶", "乳制品", "200g", "杯", "光明乳业配送站", 3.2, 4.5},
    {"康师傅红烧牛肉面", "方便食品", "105g", "袋", "顶新饮品配送中心", 2.3, 3.5},
    {"统一老坛酸菜面", "方便食品", "121g", "袋", "统一企业批发部", 2.4, 3.5},
    {"白象大骨面", "方便食品", "75g×5袋", "包", "白象食品经销部", 8.5, 12.0},
    {"乐事薯片原味", "休闲零食", "70g", "袋", "百事食品华东分销", 4.8, 7.5},
    {"奥利奥夹心饼干", "休闲零食", "97g", "盒", "亿滋食品批发", 5.2, 8.0},
    {"旺旺雪饼", "休闲零食", "84g", "袋", "旺旺食品经销部", 4.0, 6.5},
    {"徐福记沙琪玛", "休闲零食", "160g", "袋", "徐福记食品批发", 6.8, 9.9},
    {"德芙巧克力", "休闲零食", "43g", "条", "玛氏食品分销", 5.5, 8.5},
    {"金龙鱼调和油", "粮油调味", "5L", "桶", "益海嘉里粮油", 52.0, 65.9},
    {"福临门大米", "粮油调味", "5kg", "袋", "中粮福临门经销", 28.0, 36.8},
    {"海天生抽", "粮油调味", "500ml", "瓶", "海天调味品批发", 6.2, 8.9},
    {"老干妈风味豆豉", "粮油调味", "280g", "瓶", "贵阳老干妈经销部", 7.8, 10.5},
    {"太太乐鸡精", "粮油调味", "200g", "袋", "太太乐调味品", 6.5, 9.0},
    {"中盐加碘精制盐", "粮油调味", "400g", "袋", "中盐配送中心", 1.5, 2.5},
    {"白砂糖", "粮油调味", "500g", "袋", "本地副食品批发", 3.8, 5.5},
    {"双汇王中王火腿肠", "肉制品", "40g×10支", "包", "双汇食品经销部", 11.0, 15.8},
    {"金锣玉米肠", "肉制品", "30g×9支", "包", "金锣肉制品批发", 7.5, 10.9},
    {"青岛啤酒", "酒水", "500ml", "瓶", "青岛啤酒经销商", 3.5, 5.0},
    {"雪花啤酒勇闯天涯", "酒水", "500ml罐装", "罐", "华润雪花啤酒", 3.2, 4.5},
    {"红星二锅头", "酒水", "500ml 56度", "瓶", "北京红星批发部", 12.0, 16.0},
    {"中华牙膏", "日用品", "140g", "支", "联合利华日化分销", 6.5, 9.9},
    {"舒肤佳香皂", "日用品", "115g", "块", "宝洁日化批发", 3.9, 5.9},
    {"清风抽纸", "日用品", "3层130抽×3包", "提", "金红叶纸业", 9.8, 13.9},
    {"心相印卷纸", "日用品", "10卷", "提", "恒安纸业经销部", 18.0, 25.9},
    {"立白洗洁精", "日用品", "1.5kg", "瓶", "立白日化经销部", 9.0, 12.8},
    {"蓝月亮洗衣液", "日用品", "2kg", "瓶", "蓝月亮日化批发", 24.0, 32.9},
    {"南孚电池5号", "日用品", "4粒装", "卡", "南孚电池经销商", 8.0, 11.9},
    {"得力中性笔", "文具", "0.5mm 黑色", "支", "得力文具批发", 1.0, 2.0},
    {"晨光笔记本", "文具", "A5 60页", "本", "晨光文具配送", 2.5, 4.0},
    {"鲜鸡蛋", "生鲜", "散装", "斤", "城郊养殖合作社", 4.6, 6.5},
    {"红富士苹果", "生鲜", "散装", "斤", "果品批发市场", 3.8, 6.0},
    {"香蕉", "生鲜", "散装", "斤", "果品批发市场", 2.6, 4.5},
    {"大白菜", "生鲜", "散装", "斤", "蔬菜批发市场", 0.8, 1.5},
    {"豆腐", "生鲜", "500g", "块", "本地豆制品厂", 1.6, 3.0},
};

const char* const kCashiers[] = {"超级管理员", "收银员"};

}  // namespace

QString Ean13(const QString& twelveDigits) {
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += (twelveDigits[i].unicode() - u'0') * (i % 2 ? 3 : 1);
    return twelveDigits + QChar(u'0' + (10 - sum % 10) % 10);
}

void FillDemoData(Connection& db, const QDate& today, int months) {
    QRandomGenerator random(20261211);
    Transaction transaction(db);
    db.Exec(QStringLiteral("insert into userdb values (?, ?)"),
            {QStringLiteral("收银员"), HashPassword(QStringLiteral("123"))});

    std::vector<QString> codes;
    int n = 0;
    for (const DemoProduct& p : kProducts) {
        const QString code = Ean13(QStringLiteral("6901234%1").arg(10000 + n * 37, 5, 10, QChar(u'0')));
        codes.push_back(code);
        db.Exec(
            QStringLiteral(
                "insert into sp (商品编码,商品类别,商品名称,规格型号,进货单价,销售单价,会员价,单位,供货商) "
                "values (?,?,?,?,?,?,?,?,?)"),
            {code, QString::fromUtf8(p.category), QString::fromUtf8(p.name), QString::fromUtf8(p.model),
             p.cost, p.price, std::round(p.price * 95) / 100, QString::fromUtf8(p.unit),
             QString::fromUtf8(p.supplier)});
        ++n;
    }

    int counter = 1;
    const QDate first = today.addMonths(-months);
    for (QDate day = first; day < today; day = day.addDays(1)) {
        const int sales = 3 + int(random.bounded(8));
        for (int s = 0; s < sales; ++s) {
            const int who = random.bounded(4) == 0 ? 0 : 1;
            ++counter;
            const QString number = SaleNumberText(QString::fromUtf8(kCashiers[who]), day, counter).trimmed();
            const QString cashier = QString::fromUtf8(kCashiers[who]);
            const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
            double total = 0, profit = 0;
            const int lines = 1 + int(random.bounded(5));
            for (int l = 0; l < lines; ++l) {
                const int i = int(random.bounded(int(std::size(kProducts))));
                const DemoProduct& p = kProducts[i];
                const double quantity = 1 + random.bounded(3);
                const double amount = p.price * quantity;
                const double lineProfit = quantity * (p.price - p.cost);
                total += amount;
                profit += lineProfit;
                db.Exec(
                    QStringLiteral(
                        "insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) "
                        "values (?,?,?,?,?,?,?,?,?,?,?,0,?,?,?)"),
                    {QString::fromUtf8(p.name), QString::fromUtf8(p.model), codes[size_t(i)],
                     QString::fromUtf8(p.category), number, cashier, QString::fromUtf8(p.unit), p.cost,
                     quantity, std::round(p.price * 95) / 100, p.price, amount, lineProfit, date});
            }
            total = std::round(total * 100) / 100;
            const double cash = std::ceil(total / 10) * 10;
            db.Exec(QStringLiteral("insert into data3 (a,b,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) "
                                   "values (?,?,?,?,?,?,?,0,0,?)"),
                    {number, cashier, total, total, cash, cash - total, profit, date});
        }
    }
    transaction.Commit();
}
