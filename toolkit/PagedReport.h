#pragma once
// A printout that lays itself out page by page: the grid printer and the label sheet. The
// preview asks only for the pages it shows, and may show the first before the last is known.

#include <QPageLayout>

class QPagedPaintDevice;
class QPainter;

class PagedReport {
public:
    virtual ~PagedReport() = default;

    virtual QPageLayout PageLayout() const = 0;
    // A new paper size or orientation lays the pages out again.
    virtual void SetPageLayout(const QPageLayout& layout) = 0;

    // Lays out pages for about `rows` more rows (0: none); true once every page is known.
    virtual bool PaginateMore(int rows) = 0;
    virtual int KnownPages() const = 0;  // at least 1: an empty report still has its page

    // Paints page `page` (from 0) on a painter whose origin is the paper's top-left corner and
    // whose device has `dpi` dots per inch.
    virtual void PaintPage(QPainter& painter, int page, double dpi) const = 0;

    void PaginateAll() {
        while (!PaginateMore(1 << 20)) {
        }
    }
};

// Every page on a printer or a PDF writer, the paper taken from the report. False when the
// device could not be painted on or a new page could not be started.
bool PrintReport(PagedReport& report, QPagedPaintDevice* device);
