#include "app/QrPicture.h"

#include <qrencode.h>

#include <QPainter>

QImage QrPicture(const QString& text, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QByteArray data = text.toUtf8();
    QRinput* input = QRinput_new2(0, QR_ECLEVEL_M);
    if (!input) return image;
    bool ascii = true;
    for (char c : data) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    // Chinese text needs the UTF-8 ECI header, or readers take the bytes as Latin-1.
    const bool ok = (ascii || QRinput_appendECIheader(input, 26) == 0) &&
                    QRinput_append(input, QR_MODE_8, int(data.size()),
                                   reinterpret_cast<const unsigned char*>(data.constData())) == 0;
    QRcode* code = ok ? QRcode_encodeInput(input) : nullptr;
    QRinput_free(input);
    if (!code) return image;
    const int quiet = 2;
    const int modules = code->width + 2 * quiet;
    const double cell = double(size) / modules;
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.drawRect(QRectF((x + quiet) * cell, (y + quiet) * cell, cell + 0.02, cell + 0.02));
    QRcode_free(code);
    return image;
}
