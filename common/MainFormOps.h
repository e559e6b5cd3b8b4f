#pragma once
// What other windows may ask of the main window (the checkout screen). The main window
// implements it; windows below the application layer get it from main().

#include <QString>

class QLineEdit;

class MainFormOps {
public:
    virtual ~MainFormOps() = default;
    virtual void AddProductByCode() = 0;
    virtual void ReloadSaleGrid() = 0;
    virtual void RefreshSaleTotals() = 0;
    virtual void ClearOpenSale() = 0;
    virtual void OpenPayment() = 0;
    virtual QLineEdit* EntryField() = 0;
    virtual int SessionId() const = 0;
    virtual void SetSessionId(int id) = 0;
    virtual void ShowOperator(const QString& user) = 0;
    virtual void HideAdminCommands() = 0;
};
