#pragma once
// A list grid on paper: its visible columns scaled to the page width, its rows in the order on
// screen growing to their wrapped text, the column titles on every page, a page header with the
// page number over a double line, and lines of text before and after the grid.

#include <QFont>
#include <QList>
#include <QString>
#include <map>
#include <vector>

#include "toolkit/PagedReport.h"

class DataGrid;

struct PrintLine {
    QString text;  // may hold placeholders set with SetSubstitution
    QFont font;
    Qt::Alignment alignment = Qt::AlignHCenter;
};

class GridPrinter : public PagedReport {
public:
    explicit GridPrinter(const DataGrid& grid);

    void SetTitle(const QString& title);  // a small line at the top of the first page
    // "&[Page]" in the text becomes the page number.
    void SetPageHeader(const QString& text, const QFont& font);
    void SetTextBefore(QList<PrintLine> lines);
    void SetTextAfter(QList<PrintLine> lines);
    void SetSubstitution(const QString& placeholder, const QString& value);
    void SetMargins(double millimetres);
    void SetFont(const QFont& font);  // of the cells and titles

    QPageLayout PageLayout() const override { return m_layout; }
    void SetPageLayout(const QPageLayout& layout) override;
    bool PaginateMore(int rows) override;
    int KnownPages() const override { return int(m_pages.size()); }
    void PaintPage(QPainter& painter, int page, double dpi) const override;

    // The first row of the list on each page known so far; the rows a page holds run to the next.
    int FirstRowOf(int page) const;

private:
    struct Geometry {
        double left = 0, top = 0, width = 0, bottom = 0;  // the printable box, in layout units
        std::vector<int> columns;                         // visible grid columns, screen order
        std::vector<double> x, w;                         // of each printed column
        double headerHeight = 0, firstPageHeight = 0, titleRowHeight = 0, footerHeight = 0;
        double afterHeight = 0, lineHeight = 0;
    };
    const Geometry& Layout() const;
    void Restart();
    QString Substituted(const QString& text) const;
    QFont Scaled(const QFont& font) const;
    double LinesHeight(const QList<PrintLine>& lines) const;
    double RowHeight(int row) const;
    double TitleRowHeight() const;
    bool HasFooter() const;
    double PaintLines(QPainter& painter, const QList<PrintLine>& lines, double y) const;
    double PaintRow(QPainter& painter, double y, const std::vector<QString>& texts, double height,
                    const QFont& font, bool title, double limit) const;

    const DataGrid& m_grid;
    QPageLayout m_layout;
    QString m_title;
    QString m_header = QStringLiteral("Page. &[Page]");
    QFont m_headerFont;
    QFont m_font;
    QList<PrintLine> m_before, m_after;
    std::map<QString, QString> m_substitutions;
    double m_margins = 2;

    mutable bool m_geometryValid = false;
    mutable Geometry m_geometry;
    // Items laid out: the rows, then the footer row, then the text after the grid.
    std::vector<int> m_pages;  // first item of each page
    int m_nextItem = 0;
    double m_used = 0;  // height taken on the last page so far
    bool m_done = false;
};
