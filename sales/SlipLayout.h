#pragma once
// The A4 sales slip of the open sale: its filled-in labels, its lines as the sale grid shows them,
// and its bands. Widget-free: the slip window lays it out once per preview and paints the pages.

#include <QDate>
#include <QString>
#include <vector>

#include "toolkit/BandReport.h"

class Dataset;

// One line of the goods table, the stored values in the general number format.
struct SlipLine {
    QString name, model, unit, quantity, price, amount;
};

// The texts filled in before each preview.
struct SlipLabels {
    QString number;    // "单 号：" and the sale number
    QString date;      // "开单日期：" and the date
    QString capitals;  // "（大写） " and the total in capitals
    QString figure;    // "￥" and the total
    QString issuer;    // "开票人：" and the user
};

// `total` is the grid's two-decimal footer text. A total the capitals cannot read (a negative one)
// shows the capitals' own messages and leaves the capitals empty; the figure still shows it.
SlipLabels FillSlipLabels(const QString& saleNumber, QDate date, const QString& total, const QString& user);
// Every row of the dataset in its present order (a sort by a grid title applies).
std::vector<SlipLine> SlipLines(const Dataset& sale);
// The slip's bands; an empty sale still gets one empty line in the table.
BandReport SlipReport(const SlipLabels& labels, const std::vector<SlipLine>& lines);
// The pages of the slip, in millimetres.
std::vector<ReportPage> SlipLayout(const SlipLabels& labels, const std::vector<SlipLine>& lines);
