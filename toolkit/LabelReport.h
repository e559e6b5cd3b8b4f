#pragma once
// Barcode labels of a product list: a sheet of labels in rows and columns, each with a rounded
// frame, the product's name and a Code 128 barcode of its code, drawn as vectors. The layout is
// the built-in one or the one read from a layout file.

#include <QString>

#include "toolkit/LabelLayout.h"
#include "toolkit/PagedReport.h"

class Dataset;

class LabelReport : public PagedReport {
public:
    explicit LabelReport(const Dataset& rows);

    // Reads a layout file. A missing file keeps the built-in layout (true); a file that cannot
    // be read or is no layout leaves the layout as it was and gives the reason in `error`.
    bool LoadFromFile(const QString& path, QString* error);
    const LabelLayout& Layout() const { return m_layout; }
    void SetLayout(const LabelLayout& layout) { m_layout = layout; }

    QPageLayout PageLayout() const override;
    void SetPageLayout(const QPageLayout&) override {}  // the labels fix their own paper
    bool PaginateMore(int) override { return true; }
    int KnownPages() const override;
    void PaintPage(QPainter& painter, int page, double dpi) const override;

private:
    void PaintLabel(QPainter& painter, int row, double x, double y, double dpi) const;

    const Dataset& m_rows;
    LabelLayout m_layout;
};

// The bars of a Code 128 symbol for `text`, automatic code set; empty when the symbology
// cannot hold the text (Chinese, an empty code). Each entry is a bar: first module and width.
struct BarcodeBars {
    int modules = 0;  // the symbol's width without quiet zones
    std::vector<std::pair<int, int>> bars;
};
BarcodeBars Code128Bars(const QString& text);
