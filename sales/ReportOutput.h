#pragma once
// The sales line list's outputs: the texts of its spreadsheet export and printed report, both
// signed with the operator who logged in.

#include <QDate>
#include <QString>

#include "toolkit/GridExporter.h"

class GridPrinter;

GridExportSettings SalesExportSettings(const QString& operatorName);
// Page header, heading, and the line after the grid: "制表人：<operator>    日期：<today>".
void SetUpSalesReport(GridPrinter& printer, const QString& operatorName, const QDate& today);
