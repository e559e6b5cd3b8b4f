#pragma once
// What the checkout parts read of the desk: the sale being rung up, its date, who works.

#include <QDate>
#include <QString>

class SaleContext {
public:
    virtual ~SaleContext() = default;
    virtual QString SaleNumber() const = 0;
    virtual QDate SaleDate() const = 0;
    virtual QString CurrentOperator() const = 0;
};
