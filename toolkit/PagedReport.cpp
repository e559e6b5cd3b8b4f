#include "toolkit/PagedReport.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

bool PrintReport(PagedReport& report, QPagedPaintDevice* device) {
    report.PaginateAll();
    // The report places everything from the paper's edge; its own margins are in its layout.
    QPageLayout layout = report.PageLayout();
    layout.setMargins(QMarginsF(0, 0, 0, 0));
    layout.setMinimumMargins(QMarginsF(0, 0, 0, 0));
    if (auto* printer = dynamic_cast<QPrinter*>(device)) printer->setFullPage(true);
    device->setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(device)) return false;
    const double dpi = device->logicalDpiX();
    for (int page = 0; page < report.KnownPages(); ++page) {
        if (page > 0 && !device->newPage()) return false;
        painter.save();
        report.PaintPage(painter, page, dpi);
        painter.restore();
    }
    return painter.end();
}
