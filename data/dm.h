#pragma once
// The data module: the one connection to the shop database and the named datasets every
// window works through. It lives from program start to end.

#include <QObject>
#include <functional>

#include "data/Connection.h"
#include "data/DataSource.h"
#include "data/Query.h"
#include "data/Table.h"

class Tdmfm : public QObject {
    Q_OBJECT
public:
    explicit Tdmfm(QObject* parent = nullptr);
    ~Tdmfm() override;

    // Opens the database file (data.mdb of the shop folder) and brings an older one up to this
    // version, calling `upgrading` first (a wait message). Throws EDatabaseError.
    void Open(const QString& path, const std::function<void()>& upgrading = {});
    void Close();
    // The tables opened each time the main window is shown.
    void OpenSaleTables();
    // Closes every dataset, e.g. before the database file is copied.
    void CloseDatasets();

    Connection ADOConnection1;

    Table ADOTable2{ADOConnection1, QStringLiteral("data1")};  // sold lines
    Table ADOTable4{ADOConnection1, QStringLiteral("sp")};     // products: append target
    Table ADOTable5{ADOConnection1, QStringLiteral("data")};   // open sale: append target
    Table ADOTable6{ADOConnection1, QStringLiteral("data3")};  // settled sales: append target

    Query ADOQuery1{ADOConnection1, QStringLiteral("select * from data1")};  // rz and userdb statements
    Query ADOQuery2{ADOConnection1, QStringLiteral("select * from sp")};     // merge of a repeated code
    Query ADOQuery4{ADOConnection1, QString(), true};                        // duplicate-code check
    // product lookup list
    Query ADOQuery5{
        ADOConnection1,
        QStringLiteral("select 商品编码,商品类别,商品名称,规格型号,销售单价,供货商 from sp group by "
                       "商品编码,商品类别,商品名称,规格型号,销售单价,供货商 order by 商品编码"),
        true};
    Query ADOQuery6{ADOConnection1, QString(), true};                         // product by code at checkout
    Query ADOQuery7{ADOConnection1, QStringLiteral("select * from data")};    // existing-line check
    Query ADOQuery8{ADOConnection1, QStringLiteral("select * from data")};    // copy of the sale into data1
    Query ADOQuery9{ADOConnection1, QStringLiteral("select * from data3")};   // settled sales browsing
    Query ADOQuery12{ADOConnection1};                                         // product window list
    Query ADOQuery13{ADOConnection1, QStringLiteral("select * from data1")};  // sold lines browsing
    Query ADOQuery15{ADOConnection1, QStringLiteral("select * from data")};   // the sale grid

    DataSource DataSource5{&ADOQuery5};
    DataSource DataSource9{&ADOQuery9};
    DataSource DataSource12{&ADOQuery12};
    DataSource DataSource13{&ADOQuery13};
    DataSource DataSource15{&ADOQuery15};
};
