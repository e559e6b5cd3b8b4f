#pragma once
// One line of a sale as numbers, and the rules for the texts a cashier types or a product
// holds. The panels only turn texts into these values and back.

#include <QString>
#include <optional>

struct SaleLine {
    double price = 0;  // sale unit price; 0 is allowed (a gift)
    double quantity = 0;
    double purchasePrice = 0;
    std::optional<double> memberPrice;  // none when the product has none

    double Amount() const { return price * quantity; }
    double Profit() const { return quantity * (price - purchasePrice); }
};

// True for digits with at most one point, neither first nor last: 3, 2.5, 100.5, but not
// .5, 5., 1.2.3, -1 or 1e3.
bool IsValidQuantity(const QString& text);
// Why an answer to the quantity prompt is no quantity to sell, or the empty text when it is.
QString QuantityAnswerProblem(const QString& text);

// Texts to numbers. A text that is no number (the empty one included) throws EConvertError
// "'<text>' is not a valid floating point value"; a number the rule refuses throws EPosError.
double PriceFromText(const QString& text);                       // 0 or more
double QuantityFromText(const QString& text);                    // more than 0
double PurchasePriceFromText(const QString& text);               // any number
std::optional<double> MemberPriceFromText(const QString& text);  // empty: none; else 0 or more
