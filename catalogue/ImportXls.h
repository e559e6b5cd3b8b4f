#pragma once
// Reads the product sheet of an Excel 97-2003 workbook (.xls) with FreeXL. FreeXL skips formula
// cells and reads error cells as 1, so the sheet's own records are scanned for those cells as
// well: a formula or an error is reported as such, never taken for an empty cell or a number.

#include "catalogue/ImportSheet.h"

SheetRead ReadXls(const QString& path, const SheetProgress& progress = {});
