#include "checkout/ReceiptPrinter.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>

#include "checkout/Receipt.h"
#include "common/IniFile.h"
#include "common/Pinyin.h"
#include "data/Errors.h"

namespace {

const QString kSection = QStringLiteral("小票打印机");

bool IsRule(const QString& text) { return !text.isEmpty() && text.count(u'-') == text.size(); }

QString NoAnswer(const QString& address, int timeoutMs) {
    return QStringLiteral("小票打印机 %1 在%2秒内没有应答").arg(address, QString::number(timeoutMs / 1000.0));
}

void SendToDevice(const QString& path, const QByteArray& bytes, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Non-blocking, so a printer that is off or out of paper cannot hold the desk.
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw EPosError(
            QStringLiteral("无法打开小票打印机 %1：%2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            const QString reason = QString::fromLocal8Bit(strerror(errno));
            ::close(fd);
            throw EPosError(QStringLiteral("无法写入小票打印机 %1：%2").arg(path, reason));
        }
        pollfd wait{fd, POLLOUT, 0};
        if (::poll(&wait, 1, int(deadline.remainingTime())) <= 0 && deadline.hasExpired()) {
            ::close(fd);
            throw EPosError(NoAnswer(path, timeoutMs));
        }
    }
    ::close(fd);
}

void SendToNetwork(const QString& address, const QByteArray& bytes, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    const qsizetype colon = address.lastIndexOf(u':');
    const QString host = colon < 0 ? address : address.left(colon);
    bool portOk = colon < 0;
    const int port = colon < 0 ? 9100 : address.mid(colon + 1).toInt(&portOk);
    if (host.isEmpty() || !portOk || port <= 0 || port > 65535)
        throw EPosError(QStringLiteral("小票打印机地址无效：%1").arg(address));
    QTcpSocket socket;
    socket.connectToHost(host, quint16(port));
    const auto fail = [&](bool timedOut) {
        if (timedOut || socket.error() == QAbstractSocket::SocketTimeoutError)
            throw EPosError(NoAnswer(address, timeoutMs));
        throw EPosError(QStringLiteral("无法连接小票打印机 %1：%2").arg(address, socket.errorString()));
    };
    if (!socket.waitForConnected(int(deadline.remainingTime()))) fail(deadline.hasExpired());
    socket.write(bytes);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) fail(deadline.hasExpired());
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(int(deadline.remainingTime()));
}

}  // namespace

ReceiptPrinterSetting LoadReceiptPrinterSetting(const QString& configPath) {
    IniFile ini(configPath);
    ini.Load();
    ReceiptPrinterSetting setting;
    setting.direct = ini.Value(kSection, QStringLiteral("kind")) == QLatin1String("escpos");
    setting.address = ini.Value(kSection, QStringLiteral("address")).trimmed();
    setting.columns = ini.Value(kSection, QStringLiteral("columns")) == QLatin1String("48") ? 48 : 32;
    setting.drawer = ini.Value(kSection, QStringLiteral("drawer")) == QLatin1String("1");
    return setting;
}

bool SaveReceiptPrinterSetting(const QString& configPath, const ReceiptPrinterSetting& setting,
                               QString* error) {
    IniFile ini(configPath);
    if (!ini.Load()) {
        if (error) *error = ini.ErrorString();
        return false;
    }
    ini.SetValue(kSection, QStringLiteral("kind"),
                 setting.direct ? QStringLiteral("escpos") : QStringLiteral("system"));
    ini.SetValue(kSection, QStringLiteral("address"), setting.address.trimmed());
    ini.SetValue(kSection, QStringLiteral("columns"), QString::number(setting.columns == 48 ? 48 : 32));
    ini.SetValue(kSection, QStringLiteral("drawer"),
                 setting.drawer ? QStringLiteral("1") : QStringLiteral("0"));
    if (ini.Save()) return true;
    if (error) *error = ini.ErrorString();
    return false;
}

QStringList ReceiptTextLines(const ReceiptData& data, int columns) {
    QStringList lines;
    for (const ReceiptLine& line : ReceiptLayout(data))
        lines << (IsRule(line.text) ? QString(columns - 1, u'-') : line.text);
    return lines;
}

QByteArray EscPosReceipt(const ReceiptData& data, int columns) {
    QByteArray bytes = QByteArrayLiteral("\x1b@\x1c&");  // reset; two-byte (GBK) characters on
    for (const QString& line : ReceiptTextLines(data, columns)) bytes += GbkBytes(line) + '\n';
    bytes += QByteArrayLiteral(
        "\x1b"
        "d\x04");                             // feed past the cutter
    bytes += QByteArrayLiteral("\x1dV\x01");  // partial cut
    return bytes;
}

QByteArray EscPosDrawerPulse() { return QByteArrayLiteral("\x1bp\x00\x19\xfa"); }

void SendToReceiptPrinter(const QString& address, const QByteArray& bytes, int timeoutMs) {
    if (address.trimmed().isEmpty()) throw EPosError(QStringLiteral("没有设置小票打印机的地址"));
    if (address.startsWith(u'/'))
        SendToDevice(address, bytes, timeoutMs);
    else
        SendToNetwork(address.trimmed(), bytes, timeoutMs);
}

void PrintReceiptOn(const ReceiptPrinterSetting& setting, const ReceiptData& data) {
    if (!setting.direct) return PrintReceipt(data);
    SendToReceiptPrinter(setting.address, EscPosReceipt(data, setting.columns));
}

void OpenCashDrawer(const ReceiptPrinterSetting& setting) {
    if (!setting.direct)
        throw EPosError(QStringLiteral("钱箱接在直连的小票打印机上，请先在“小票打印机设置”里设置它"));
    SendToReceiptPrinter(setting.address, EscPosDrawerPulse());
}
