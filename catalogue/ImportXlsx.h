#pragma once
// Reads the product sheet of an .xlsx workbook: the zip with minizip, the XML with
// QXmlStreamReader. Shared and inline strings, numbers, booleans, errors and the value a
// formula had when the file was last saved.

#include "catalogue/ImportSheet.h"

// What all the workbook's parts read may unpack to: a small file that unpacks to gigabytes is
// refused instead of filling the memory.
inline constexpr qint64 kMaxXlsxUnpacked = qint64(256) << 20;

SheetRead ReadXlsx(const QString& path, const SheetProgress& progress = {},
                   qint64 maxUnpacked = kMaxXlsxUnpacked);
