#pragma once
// The main window's operations as the windows below it see them, for tests that run those
// windows without the checkout: a real entry field, and a record of what was asked of it.

#include <QLineEdit>
#include <QString>
#include <functional>

#include "common/MainFormOps.h"

class FakeMainForm : public MainFormOps {
public:
    QLineEdit entry;
    int sessionId = 0;
    QString shownOperator;
    bool adminHidden = false;
    int reloads = 0;
    int refreshes = 0;
    std::function<void()> onAddProduct;  // what the checkout does with the entry field's code

    void AddProductByCode() override {
        if (onAddProduct) onAddProduct();
    }
    void ReloadSaleGrid() override { ++reloads; }
    void RefreshSaleTotals() override { ++refreshes; }
    void ClearOpenSale() override {}
    void OpenPayment() override {}
    QLineEdit* EntryField() override { return &entry; }
    int SessionId() const override { return sessionId; }
    void SetSessionId(int id) override { sessionId = id; }
    void ShowOperator(const QString& user) override { shownOperator = user; }
    void HideAdminCommands() override { adminHidden = true; }
};
