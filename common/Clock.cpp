#include "common/Clock.h"

namespace Clock {
namespace {
QDateTime g_fixed;
}

QDateTime Now() { return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime(); }
QDate Today() { return Now().date(); }
void SetFixed(const QDateTime& now) { g_fixed = now; }
}  // namespace Clock
