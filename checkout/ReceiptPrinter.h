#pragma once
// Where the desk's receipts go, set per desk in config.ini: the system's default printer, or a
// roll printer spoken to directly in ESC/POS through a device file or a network address, which
// also drives the cash drawer on its drawer port.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ReceiptData;

struct ReceiptPrinterSetting {
    bool direct = false;  // false: the system's default printer
    QString address;      // a device file (/dev/usb/lp0) or host:port (port 9100 when left out)
    int columns = 32;     // 32 on 58 mm paper, 48 on 80 mm
    bool drawer = false;  // the drawer pulse after every cash settlement
};

inline constexpr int kReceiptPrinterTimeoutMs = 3000;

// A missing or damaged setting is the system printer.
ReceiptPrinterSetting LoadReceiptPrinterSetting(const QString& configPath);
// Keeps everything else in the file; false with the reason in `error`.
bool SaveReceiptPrinterSetting(const QString& configPath, const ReceiptPrinterSetting& setting,
                               QString* error);

// The receipt's lines as text for a roll of `columns` columns: the same layout, the rules as wide
// as the paper.
QStringList ReceiptTextLines(const ReceiptData& data, int columns);
// Reset and Chinese mode, the lines in GBK, then feed and cut.
QByteArray EscPosReceipt(const ReceiptData& data, int columns);
// ESC p on drawer pin 2: the pulse that opens the cash drawer.
QByteArray EscPosDrawerPulse();

// Writes the bytes to the printer within `timeoutMs`; throws EPosError with the reason.
void SendToReceiptPrinter(const QString& address, const QByteArray& bytes,
                          int timeoutMs = kReceiptPrinterTimeoutMs);

// The receipt on the set printer; throws EPosError with the reason.
void PrintReceiptOn(const ReceiptPrinterSetting& setting, const ReceiptData& data);
// The drawer pulse on the set direct printer; throws EPosError when there is none or it fails.
void OpenCashDrawer(const ReceiptPrinterSetting& setting);
