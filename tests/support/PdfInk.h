#pragma once
// Looking at a printed page as a picture: a PDF page rendered with pdftoppm, and its rows of
// ink. Printouts that hold text as glyph pictures (cups-pdf) cannot be read back as text, but
// each printed line still shows as a band of inked rows with blank rows around it.

#include <QImage>
#include <QString>
#include <vector>

// Page `page` (from 1) at `dpi` as a greyscale picture; a null image, with the reason in
// *error, when pdftoppm cannot render it.
QImage RenderPdfPage(const QString& pdf, int page = 1, int dpi = 150, QString* error = nullptr);

struct InkBand {
    int top = 0;     // first inked pixel row
    int bottom = 0;  // last inked pixel row
    int left = 0;    // leftmost inked pixel column in the band
    int right = 0;   // rightmost inked pixel column in the band
};

// Rows with a pixel darker than `threshold` (0 black, 255 white), grouped into bands that are
// separated by at least one blank row; top to bottom.
std::vector<InkBand> InkBands(const QImage& page, int threshold = 160);

inline double PixelsToMm(double pixels, int dpi) { return pixels * 25.4 / dpi; }
