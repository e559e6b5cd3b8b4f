#pragma once
// The POS receipt: a plain function lays out its text lines at fixed heights in dots of a
// 203-dpi roll printer, another paints them on any paint device (the roll printer, or a PDF in
// tests).

#include <QDate>
#include <QString>
#include <QTime>
#include <vector>

class QPagedPaintDevice;
class QPrinter;

struct ReceiptItem {
    QString name;
    double quantity = 0;
    double amount = 0;
};

struct ReceiptData {
    QString saleNumber;  // untrimmed, as the desk shows it
    QString cashier;
    QDate saleDate;
    QTime printTime;
    std::vector<ReceiptItem> items;
    QString total, received, cash, change;  // the payment panel's texts
    bool reprint = false;                   // marked "（重打）" under the title
};

struct ReceiptLine {
    int y;  // dots from the top of the page
    QString text;
    bool heading = false;
};

// The name in a field of 18 GBK bytes and one blank. A name that would be cut inside a Chinese
// character is cut before it and padded, so no half character is printed.
QString ReceiptNameField(const QString& name);
// Throws EConvertError when the cash or the change is no number.
std::vector<ReceiptLine> ReceiptLayout(const ReceiptData& data);
// Paints the lines at x = 0, their heights taken as 203-dpi dots whatever the device's
// resolution: the heading 10 points bold, the rest 8.
void PaintReceipt(QPagedPaintDevice& device, const std::vector<ReceiptLine>& lines);
// The default printer's page becomes a user-defined size `lengthMm` long, its width kept.
void SetReceiptPaper(QPrinter& printer, int lengthMm);
// Prints on the default printer; throws EPosError with the reason when it cannot.
void PrintReceipt(const ReceiptData& data);
