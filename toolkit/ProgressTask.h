#pragma once
// Long work (copying and checking a database file) on a thread of its own, with a progress
// window and Cancel in front of it. The event loop keeps running meanwhile, so no window freezes.

#include <QString>
#include <functional>

class QWidget;

namespace ProgressTask {

// What the work calls, as often as it likes, with how far it got (`total` 0: unknown);
// false once Cancel was pressed.
using Report = std::function<bool(const QString& label, qint64 done, qint64 total)>;

// Runs `work` on another thread and returns when it has ended. Cancel only asks the work to
// stop: it returns when the work says so.
void Run(QWidget* parent, const QString& title, const std::function<void(const Report&)>& work);

}  // namespace ProgressTask
