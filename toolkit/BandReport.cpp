#include "toolkit/BandReport.h"

#include <dlfcn.h>

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include "data/Errors.h"

namespace {

constexpr double kEpsilon = 1e-6;  // sums of 7.4 mm must not miss a page end by rounding

class PageBuilder {
public:
    explicit PageBuilder(const BandReport& report) : m_report(report) {}

    void StartPage() {
        if (m_tableOpen) CloseTable();
        m_pages.emplace_back();
        m_y = m_report.margins.top();
        m_detailsOnPage = 0;
        if (m_pages.size() == 1)
            for (const Band& title : m_report.titles) Place(title);
        Place(m_report.columnHeader);
    }

    bool Fits(double height) const {
        return m_y + height <= m_report.paper.height() - m_report.margins.bottom() + kEpsilon;
    }

    void PlaceDetail(const Band& band, double keepWithIt) {
        if (!Fits(band.height + keepWithIt) && m_detailsOnPage > 0) StartPage();
        Place(band);
        ++m_detailsOnPage;
    }

    void PlaceClosing(const Band& band) {
        if (!Fits(band.height)) {
            if (band.IsBlank()) return;
            StartPage();
        }
        Place(band);
    }

    std::vector<ReportPage> Take() { return std::move(m_pages); }

private:
    void Place(const Band& band) {
        const double x0 = m_report.margins.left();
        const double y0 = m_y;
        const double x1 = x0 + m_report.bandWidth;
        const double y1 = y0 + band.height;
        if (band.frame & SideTop) AddLine({x0, y0}, {x1, y0});
        if (band.frame & SideLeft) AddLine({x0, y0}, {x0, y1});
        if (band.frame & SideRight) AddLine({x1, y0}, {x1, y1});
        if (band.frame & SideBottom) AddLine({x0, y1}, {x1, y1});
        for (const double x : band.separators) AddLine({x0 + x, y0}, {x0 + x, y1});
        const QPointF origin(x0, y0);
        for (const BandLine& line : band.lines) AddLine(origin + line.from, origin + line.to);
        for (const BandPicture& picture : band.pictures) {
            ReportItem item;
            item.kind = ReportItem::Kind::Picture;
            item.from = origin + picture.at;
            item.to = item.from + QPointF(picture.size.width(), picture.size.height());
            item.image = picture.image;
            Items().push_back(std::move(item));
        }
        for (const BandText& text : band.texts) {
            ReportItem item;
            item.from = origin + QPointF(text.x, text.y);
            item.text = text.text;
            item.font = text.font;
            item.anchor = text.anchor;
            item.clipWidth = text.clipWidth;
            Items().push_back(std::move(item));
        }
        m_y = y1;
        // A band framed at the sides but open below is closed by the next band or, at a page end, here.
        m_tableOpen = (band.frame & SideLeft) && !(band.frame & SideBottom);
    }

    void CloseTable() {
        const double x0 = m_report.margins.left();
        AddLine({x0, m_y}, {x0 + m_report.bandWidth, m_y});
        m_tableOpen = false;
    }

    void AddLine(QPointF from, QPointF to) {
        ReportItem item;
        item.kind = ReportItem::Kind::Line;
        item.from = from;
        item.to = to;
        Items().push_back(std::move(item));
    }

    std::vector<ReportItem>& Items() { return m_pages.back().items; }

    const BandReport& m_report;
    std::vector<ReportPage> m_pages;
    double m_y = 0;
    int m_detailsOnPage = 0;
    bool m_tableOpen = false;
};

QFont DeviceFont(const ReportFont& wanted) {
    QFont font;
    font.setFamilies(wanted.latinFamily.isEmpty() ? QStringList{wanted.family}
                                                  : QStringList{wanted.latinFamily, wanted.family});
    font.setPointSizeF(wanted.points);
    font.setBold(wanted.bold);
    font.setUnderline(wanted.underline);
    return font;
}

// Qt hands a finished job to the CUPS queue and ignores the answer, so a queue that refuses it
// (stopped accepting, removed, not allowed) would look like success. The library Qt used is
// already loaded; its last error is that answer. Empty when the job went through or did not go
// to a queue at all.
QString QueueRefusal(const QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty()) return {};
    void* cups = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!cups) return {};
    using LastError = int (*)();
    using LastErrorString = const char* (*)();
    const auto lastError = reinterpret_cast<LastError>(dlsym(cups, "cupsLastError"));
    const auto lastErrorString = reinterpret_cast<LastErrorString>(dlsym(cups, "cupsLastErrorString"));
    QString refusal;
    constexpr int kLastSuccessStatus = 0xff;  // IPP status codes above this are errors
    if (lastError && lastError() > kLastSuccessStatus) {
        refusal = lastErrorString ? QString::fromUtf8(lastErrorString()) : QString();
        if (refusal.isEmpty()) refusal = QStringLiteral("打印队列拒绝了打印任务");
    }
    dlclose(cups);
    return refusal;
}

}  // namespace

std::vector<ReportPage> BandReport::Layout() const {
    // The closing bands that must share the last detail's page: up to the last one with ink.
    double keep = 0, run = 0;
    for (const Band& band : closing) {
        run += band.height;
        if (!band.IsBlank()) keep = run;
    }
    PageBuilder builder(*this);
    builder.StartPage();
    for (size_t i = 0; i < details.size(); ++i)
        builder.PlaceDetail(details[i], i + 1 == details.size() ? keep : 0);
    for (const Band& band : closing) builder.PlaceClosing(band);
    return builder.Take();
}

void PaintReportPage(QPainter& painter, const ReportPage& page) {
    const double perMmX = painter.device()->logicalDpiX() / 25.4;
    const double perMmY = painter.device()->logicalDpiY() / 25.4;
    const auto toDevice = [&](QPointF mm) { return QPointF(mm.x() * perMmX, mm.y() * perMmY); };
    QPen pen(Qt::black);
    pen.setWidthF(0.15 * perMmX);
    for (const ReportItem& item : page.items) {
        switch (item.kind) {
            case ReportItem::Kind::Line:
                painter.setPen(pen);
                painter.drawLine(toDevice(item.from), toDevice(item.to));
                break;
            case ReportItem::Kind::Picture:
                painter.drawImage(QRectF(toDevice(item.from), toDevice(item.to)), item.image);
                break;
            case ReportItem::Kind::Text: {
                const QFont font = DeviceFont(item.font);
                const QFontMetricsF metrics(font, painter.device());
                const QPointF at = toDevice(item.from);
                const double width = metrics.horizontalAdvance(item.text);
                double x = at.x();
                if (item.anchor == Anchor::Centre) x -= width / 2;
                if (item.anchor == Anchor::Right) x -= width;
                painter.setFont(font);
                painter.setPen(Qt::black);
                painter.save();
                if (item.clipWidth > 0)
                    painter.setClipRect(QRectF(at.x(), at.y(), item.clipWidth * perMmX, metrics.height()));
                painter.drawText(QPointF(x, at.y() + metrics.ascent()), item.text);
                painter.restore();
                break;
            }
        }
    }
}

void PaintReport(QPagedPaintDevice& device, const BandReport& report, const std::vector<ReportPage>& pages) {
    // The positions are measured from the paper's edge, so the device must not add margins.
    auto* printer = dynamic_cast<QPrinter*>(&device);
    if (printer) printer->setFullPage(true);
    device.setPageLayout(QPageLayout(QPageSize(report.paper, QPageSize::Millimeter), QPageLayout::Portrait,
                                     QMarginsF(), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&device)) throw EPosError(QStringLiteral("打印机无法开始打印"));
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) throw EPosError(QStringLiteral("打印机无法开始新的一页"));
        PaintReportPage(painter, pages[i]);
    }
    if (!painter.end()) throw EPosError(QStringLiteral("打印机无法完成打印"));
    if (!printer) return;
    if (printer->printerState() == QPrinter::Error) throw EPosError(QStringLiteral("打印机报告错误"));
    const QString refusal = QueueRefusal(*printer);
    if (!refusal.isEmpty()) throw EPosError(QStringLiteral("打印队列不接受任务：") + refusal);
}
