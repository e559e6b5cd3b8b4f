#pragma once
// A small banded report: fixed-height bands in millimetres laid out on pages (title bands on the
// first page only, a column header on every page, one band per detail line, closing bands after
// the last line), then painted on any paged device. Layout and painting are separate steps, so a
// preview lays out once and paints only the page it shows.

#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <vector>

class QPagedPaintDevice;
class QPainter;

struct ReportFont {
    QString family = QStringLiteral("宋体");  // the Chinese face
    // Latin letters and digits come from this face: those of the Chinese faces installed here
    // print well but lose their text in a PDF (search, copy and pdftotext drop the digits).
    QString latinFamily = QStringLiteral("Liberation Serif");
    double points = 11;
    bool bold = false;
    bool underline = false;
};

enum class Anchor { Left, Centre, Right };  // what a text's x names: its left edge, centre or right edge

struct BandText {
    double x = 0;  // millimetres from the band's top-left corner
    double y = 0;  // the top of the text line
    QString text;
    ReportFont font{};
    Anchor anchor = Anchor::Left;
    double clipWidth = 0;  // above 0: the text stays in a box this wide from x; the rest is cut off
};

struct BandLine {
    QPointF from, to;
};

struct BandPicture {
    QPointF at;
    QSizeF size;
    QImage image;
};

enum BandSide { SideTop = 1, SideLeft = 2, SideRight = 4, SideBottom = 8, SideAll = 15 };

struct Band {
    double height = 0;
    int frame = 0;                   // BandSide flags: lines along those sides
    std::vector<double> separators;  // vertical lines the full height of the band, at these x
    std::vector<BandText> texts;
    std::vector<BandLine> lines;
    std::vector<BandPicture> pictures;

    bool IsBlank() const {
        return !frame && separators.empty() && texts.empty() && lines.empty() && pictures.empty();
    }
};

// One thing to paint, in millimetres from the paper's top-left corner.
struct ReportItem {
    enum class Kind { Text, Line, Picture };
    Kind kind = Kind::Text;
    QPointF from;  // text: x per its anchor, y its top; line: one end; picture: top-left
    QPointF to;    // line: the other end; picture: bottom-right
    QString text;
    ReportFont font{};
    Anchor anchor = Anchor::Left;
    double clipWidth = 0;
    QImage image;
};

struct ReportPage {
    std::vector<ReportItem> items;
};

struct BandReport {
    QSizeF paper{210, 297};
    QMarginsF margins{15, 10, 15, 10};
    double bandWidth = 180;
    std::vector<Band> titles;   // first page only, above the column header
    Band columnHeader;          // at the top of every page
    std::vector<Band> details;  // one per line
    // After the last detail, kept on a page with at least that detail above them. A blank band
    // that no longer fits is left out rather than starting a page of its own.
    std::vector<Band> closing;

    // A band that does not fit moves to the next page, which starts with the column header; a
    // page that ends inside the table gets a line under its last band.
    std::vector<ReportPage> Layout() const;
};

// Paints the pages, one device page each, on the report's paper without device margins. Throws
// EPosError with the reason when the device cannot start, turn a page or finish.
void PaintReport(QPagedPaintDevice& device, const BandReport& report, const std::vector<ReportPage>& pages);
// One page on a painter that is already active; millimetres follow the device's resolution.
void PaintReportPage(QPainter& painter, const ReportPage& page);
