#pragma once

#include <QImage>
#include <QString>

// A QR code of the text, drawn black on white with a quiet zone, scaled to size × size.
QImage QrPicture(const QString& text, int size);
