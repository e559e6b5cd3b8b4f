#include "tests/support/PdfInk.h"

#include <QProcess>
#include <QTemporaryDir>

QImage RenderPdfPage(const QString& pdf, int page, int dpi, QString* error) {
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    QProcess render;
    render.setProcessChannelMode(QProcess::MergedChannels);
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-gray"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                  QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                  QStringLiteral("-l"), QString::number(page), pdf, stem});
    if (!render.waitForFinished(-1) || render.exitStatus() != QProcess::NormalExit ||
        render.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftoppm could not render %1: %2%3")
                         .arg(pdf, render.errorString(), QString::fromLocal8Bit(render.readAll()));
        return {};
    }
    QImage image(stem + QStringLiteral(".png"));
    if (image.isNull() && error) *error = QStringLiteral("pdftoppm wrote no picture for %1").arg(pdf);
    return image.convertToFormat(QImage::Format_Grayscale8);
}

std::vector<InkBand> InkBands(const QImage& page, int threshold) {
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<InkBand> bands;
    bool inBand = false;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* row = grey.constScanLine(y);
        int left = -1, right = -1;
        for (int x = 0; x < grey.width(); ++x)
            if (row[x] < threshold) {
                if (left < 0) left = x;
                right = x;
            }
        if (left < 0) {
            inBand = false;
            continue;
        }
        if (!inBand) bands.push_back({y, y, left, right});
        InkBand& band = bands.back();
        band.bottom = y;
        band.left = qMin(band.left, left);
        band.right = qMax(band.right, right);
        inBand = true;
    }
    return bands;
}
