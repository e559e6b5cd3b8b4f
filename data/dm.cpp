#include "data/dm.h"

#include "data/Schema.h"

Tdmfm::Tdmfm(QObject* parent) : QObject(parent) {}

Tdmfm::~Tdmfm() { Close(); }

void Tdmfm::Open(const QString& path, const std::function<void()>& upgrading) {
    ADOConnection1.Open(path);
    try {
        if (SchemaNeedsUpgrade(ADOConnection1)) {
            if (upgrading) upgrading();
            UpgradeSchema(ADOConnection1);
        }
    } catch (...) {
        ADOConnection1.Close();
        throw;
    }
}

void Tdmfm::Close() {
    CloseDatasets();
    ADOConnection1.Close();
}

void Tdmfm::OpenSaleTables() {
    ADOTable5.Open();
    ADOTable6.Open();
    ADOTable2.Open();
}

void Tdmfm::CloseDatasets() {
    for (Table* table : {&ADOTable2, &ADOTable4, &ADOTable5, &ADOTable6}) table->Close();
    for (Query* query : {&ADOQuery1, &ADOQuery2, &ADOQuery4, &ADOQuery5, &ADOQuery6, &ADOQuery7, &ADOQuery8,
                         &ADOQuery9, &ADOQuery12, &ADOQuery13, &ADOQuery15})
        query->Close();
}
