#pragma once
// One bar chart of the statistics page: a title on a gradient, bars at fixed positions of a
// numbered axis ("3月", "17日"), each with its value above it, no legend and no grid lines.

#include <QChartView>
#include <QColor>
#include <QList>
#include <vector>

#include "sales/SalesQueries.h"

class QBarSeries;
class QBarSet;
class QBarCategoryAxis;
class QValueAxis;
class QGraphicsSimpleTextItem;

struct SalesChartLook {
    QString title;
    QColor backgroundEnd;
    QColor bar;
    int lastPosition;  // the axis runs from 0 to here
    QString unit;      // after each axis number: "月" or "日"
};

class SalesChart : public QChartView {
    Q_OBJECT
public:
    SalesChart(const SalesChartLook& look, QWidget* parent);

    void SetBars(const std::vector<ChartBar>& bars);
    void Clear() { SetBars({}); }
    const std::vector<ChartBar>& Bars() const { return m_bars; }
    QStringList Marks() const;  // the value marks shown, left to right
    QStringList AxisLabels() const;

private:
    void PlaceMarks();

    SalesChartLook m_look;
    QBarSeries* m_series = nullptr;
    QBarSet* m_set = nullptr;
    QBarCategoryAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;
    std::vector<ChartBar> m_bars;
    QList<QGraphicsSimpleTextItem*> m_marks;
};
