#include "tests/support/DesktopSession.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

pid_t Spawn(const std::vector<std::string>& args, const posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

// The display number Xvfb writes to the pipe once it accepts connections.
QString ReadDisplay(int fd) {
    QByteArray number;
    char c = 0;
    for (int i = 0; i < 400; ++i) {  // about ten seconds
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval wait{0, 25000};
        if (select(fd + 1, &set, nullptr, nullptr, &wait) > 0) {
            const ssize_t n = read(fd, &c, 1);
            if (n <= 0) break;
            if (c == '\n') return QStringLiteral(":") + QString::fromLatin1(number);
            number += c;
        }
    }
    return {};
}

}  // namespace

DesktopSession::~DesktopSession() {
    Stop(m_manager);
    Stop(m_server);
}

bool DesktopSession::Start(QString* why) {
    int fds[2];
    if (pipe(fds) != 0) {
        *why = QStringLiteral("no pipe for Xvfb");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    m_server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                      "tcp"},
                     &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (m_server < 0) {
        close(fds[0]);
        *why = QStringLiteral("Xvfb is not installed");
        return false;
    }
    m_display = ReadDisplay(fds[0]);
    close(fds[0]);
    if (m_display.isEmpty()) {
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }
    setenv("DISPLAY", m_display.toLatin1().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    m_manager = Spawn({"openbox", "--sm-disable"});
    if (m_manager < 0) {
        *why = QStringLiteral("openbox is not installed");
        return false;
    }
    // The manager owns the screen once it has set the supporting-window property.
    for (int i = 0; i < 200; ++i) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        if (xprop.waitForFinished(2000) && xprop.readAllStandardOutput().contains("window id")) return true;
        QThread::msleep(25);
    }
    *why = QStringLiteral("openbox did not take the screen (is xprop from x11-utils installed?)");
    return false;
}

QString DesktopSession::ShownTitle(unsigned long windowId) {
    for (const char* property : {"_NET_WM_VISIBLE_NAME", "_NET_WM_NAME"}) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-id"), QString::number(windowId), QString::fromLatin1(property)});
        if (!xprop.waitForFinished(5000)) return {};
        const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("= \"(.*)\"$")).match(out);
        if (m.hasMatch()) return m.captured(1);
    }
    return {};
}
