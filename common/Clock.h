#pragma once
// Now and today for the whole program; tests fix them (sale numbers, month views and logs
// depend on the date).

#include <QDateTime>

namespace Clock {
QDateTime Now();
QDate Today();
void SetFixed(const QDateTime& now);  // an invalid time returns to the real clock
}  // namespace Clock
