#pragma once
// Settling the open sale: its lines go into the sales history under the sale's number, its
// payment is recorded and the open sale is emptied, in one transaction: all of it or nothing.

#include <QDate>
#include <QString>
#include <vector>

#include "checkout/Receipt.h"

class Connection;

struct Payment {
    QString saleNumber;  // stored trimmed, on the payment and on every line alike
    QString operatorName;
    QDate saleDate;
    double total = 0;
    double received = 0;
    double cash = 0;
    double change = 0;
};

// Stores the open sale (table data) as settled and returns its lines, in entry order, for the
// receipt. Throws EPosError when there is no open sale or the total is negative, and
// EDatabaseError when the engine fails; the database is then as it was.
std::vector<ReceiptItem> SettleOpenSale(Connection& db, const Payment& payment);

// The receipt of the last settled sale as stored (data3 and its lines in data1), marked as a
// reprint and printed at `printTime`. Throws EPosError when no sale has been settled yet.
ReceiptData LastSaleReceipt(Connection& db, const QTime& printTime);
