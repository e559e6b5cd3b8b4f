#pragma once
// The product list's outputs: the texts of its spreadsheet export and printed report, and
// where its label layout is read from.

#include <QDate>
#include <QString>

#include "toolkit/GridExporter.h"

class GridPrinter;

GridExportSettings ProductExportSettings();
// Titles, page header, heading and date line of the printed product report.
void SetUpProductReport(GridPrinter& printer, const QDate& today);
// "2.fr3" in the working folder, the shop's folder.
QString LabelLayoutPath();
