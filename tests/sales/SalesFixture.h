#pragma once
// A small shop's history: sales in several months of three years (December and January next to
// each other, June of a year ending in 6, November beside January), a sale with two lines,
// lines with member price 0 and empty, sale numbers inside each other, one number issued twice.

#include <QString>
#include <QVariant>
#include <vector>

#include "data/Connection.h"
#include "tests/support/TestDatabase.h"

struct FixtureLine {
    QString name;
    QString category;
    double quantity;
    double price;
    QVariant member;  // a null QVariant stores nothing
    double profit;
};

struct FixtureSale {
    QString number;
    QString day;
    std::vector<FixtureLine> lines;
    QString who = QStringLiteral("收银员");
};

inline QString U(const char* text) { return QString::fromUtf8(text); }

inline const FixtureLine kWater{U("矿泉水"), U("饮料"), 1, 2, 1.9, 0.5};
inline const FixtureLine kBiscuit{U("饼干"), U("休闲零食"), 1, 5, 0, 1};                 // member price 0
inline const FixtureLine kNoodles{U("方便面"), U("方便食品"), 2, 3.5, QVariant(), 1.2};  // member price empty

inline std::vector<FixtureSale> FixtureSales() {
    return {
        {U("CJG24610000001"), U("2024-06-10"), {kWater}},
        {U("CJG251103000002"), U("2025-11-03"), {kWater}},
        {U("CJG251231000003"), U("2025-12-31"), {kNoodles}},
        {U("CJG26115000004"), U("2026-01-15"), {{kWater.name, kWater.category, 3, 2, 1.9, 1.5}, kBiscuit}},
        {U("CJG26115000005"), U("2026-01-15"), {kNoodles}},
        {U("CJG26131000006"), U("2026-01-31"), {kWater}},
        {U("CJG2621000007"), U("2026-02-01"), {kBiscuit}},
        {U("CJG26615000008"), U("2026-06-15"), {kWater}},
        {U("CJG261120000009"), U("2026-11-20"), {kWater, kNoodles}},
        {U("CJG26121000010"), U("2026-12-01"), {kBiscuit}},
        // Numbers inside each other, on the same day.
        {U("XS1"), U("2026-01-20"), {kWater}},
        {U("XS12"), U("2026-01-20"), {kBiscuit}},
        // A number issued twice (a forced end reused the counter).
        {U("DUP1"), U("2026-01-05"), {kWater}},
        {U("DUP1"), U("2026-01-06"), {kNoodles, kWater}},
    };
}

inline void AddSale(Connection& db, const FixtureSale& sale) {
    double total = 0, profit = 0;
    for (const FixtureLine& l : sale.lines) {
        const double amount = l.quantity * l.price;
        total += amount;
        profit += l.profit;
        db.Exec(U("insert into data1 (a,b,c,d,h,i,z,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) "
                  "values (?,'500ml','6901',?,?,?,'个',1,?,?,?,0,?,?,?)"),
                {l.name, l.category, sale.number, sale.who, l.quantity, l.member, l.price, amount, l.profit,
                 sale.day});
    }
    const double cash = 100;
    db.Exec(U("insert into data3 (a,b,\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",day1) values "
              "(?,?,?,?,?,?,?,0,0,?)"),
            {sale.number, sale.who, total, total, cash, cash - total, profit, sale.day});
}

inline void FillFixtureShop(Connection& db) {
    // What is tested here is not durability; waiting for the disk would only slow the suite.
    db.ExecScript(QStringLiteral("pragma synchronous=off;"));
    Transaction transaction(db);
    for (const FixtureSale& sale : FixtureSales()) AddSale(db, sale);
    transaction.Commit();
}
