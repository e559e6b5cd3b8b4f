#pragma once
// The number rules of the list grids, shared by the grid on screen, its printer and its
// exporter: the cell formats ("0", "0.00", ...), a cell's text and the footer sums.

#include <QString>
#include <QVariant>

class Dataset;

// -1 for the general format (empty), otherwise the decimals of "0", "0.0", "0.00", ...
// Throws std::invalid_argument for any other format.
int ParseGridFormat(const QString& format);

// A number with `decimals` places, or in the general format for -1; never "-0.00".
QString FormatGridNumber(double value, int decimals);

bool IsNumberValue(const QVariant& value);

// A stored value as a cell shows it: numbers in the column's format, everything else as text.
QString GridCellText(const QVariant& value, int decimals);

// What a value adds to a footer sum: numbers and number texts; nulls and other texts add nothing.
double FooterAddend(const QVariant& value);

// The footer sum of one dataset column, rounded to four decimals through the decimal text, so
// 0.1 + 0.2 becomes exactly the double of 0.3.
double FooterSum(const Dataset& dataset, int field);
