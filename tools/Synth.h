#pragma once
// A big shop's data made up for measuring: products with Chinese names, EAN-13 codes,
// categories, suppliers and prices, and settled sales whose lines and payments add up.

#include <QDate>
#include <functional>

class Connection;

struct SynthOptions {
    qint64 products = 100000;
    qint64 sales = 10000;
    int linesPerSale = 3;
    int months = 12;
    quint32 seed = 1;
    QDate lastDay = QDate(2026, 11, 30);  // fixed, so a seed always gives the same file
};

// The code of product number i (0-based) of a synthetic database.
QString SynthProductCode(qint64 i);

// Fills an empty database, one transaction per batch. `progress` gets a line now and then.
void FillSynthetic(Connection& db, const SynthOptions& options,
                   const std::function<void(const QString&)>& progress);
