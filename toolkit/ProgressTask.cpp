#include "toolkit/ProgressTask.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace ProgressTask {

namespace {

// Shared between the working thread (writes) and the window (reads a few times a second).
struct State {
    std::mutex mutex;
    QString label;
    qint64 done = 0;
    qint64 total = 0;
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::exception_ptr error;
};

// Progress bars count in int: large byte counts are shown in thousandths.
int Permille(qint64 done, qint64 total) {
    return total > 0 ? int(qBound(qint64(0), done * 1000 / total, qint64(1000))) : 0;
}

}  // namespace

void Run(QWidget* parent, const QString& title, const std::function<void(const Report&)>& work) {
    State state;
    const Report report = [&state](const QString& label, qint64 done, qint64 total) {
        std::lock_guard lock(state.mutex);
        state.label = label;
        state.done = done;
        state.total = total;
        return !state.cancel.load();
    };
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work(report);
        } catch (...) {
            state.error = std::current_exception();
        }
        state.finished = true;
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });

    QProgressDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setCancelButtonText(QStringLiteral("取消"));
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setRange(0, 1000);
    dialog.setMinimumWidth(360);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&state, &dialog] {
        state.cancel = true;
        dialog.setLabelText(QStringLiteral("正在取消…"));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        std::lock_guard lock(state.mutex);
        if (state.cancel) return;
        dialog.setLabelText(state.label);
        dialog.setMaximum(state.total > 0 ? 1000 : 0);  // 0: the busy bar of unknown length
        if (state.total > 0) dialog.setValue(Permille(state.done, state.total));
    });
    poll.start(100);
    dialog.show();
    if (!state.finished) loop.exec();
    worker.join();
    poll.stop();
    dialog.hide();
    if (state.error) std::rethrow_exception(state.error);
}

}  // namespace ProgressTask
