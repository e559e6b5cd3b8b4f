#include "sales/SalesChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QLinearGradient>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// Thirty-three days share the width of twelve months: smaller marks, and the day numbers stand
// upright so that "31日" stays whole.
bool Crowded(const SalesChartLook& look) { return look.lastPosition > 12; }
int SmallPixels(const SalesChartLook& look) { return Crowded(look) ? 9 : 11; }

}  // namespace

SalesChart::SalesChart(const SalesChartLook& look, QWidget* parent) : QChartView(parent), m_look(look) {
    auto* chart = new QChart;
    chart->setTitle(look.title);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(14);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitleBrush(Qt::white);
    QLinearGradient background(0, 0, 0, 1);
    background.setCoordinateMode(QGradient::ObjectBoundingMode);
    background.setColorAt(0, look.backgroundEnd.lighter(160));
    background.setColorAt(1, look.backgroundEnd);
    chart->setBackgroundBrush(background);
    chart->setBackgroundRoundness(0);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 2, 4, 2));
    chart->setAnimationOptions(QChart::NoAnimation);

    m_series = new QBarSeries;
    m_set = new QBarSet(look.title);
    m_set->setColor(look.bar);
    m_set->setBorderColor(look.bar.darker(140));
    m_series->append(m_set);
    m_series->setBarWidth(0.15);
    chart->addSeries(m_series);

    m_axisX = new QBarCategoryAxis;
    QStringList categories;
    for (int position = 0; position <= look.lastPosition; ++position)
        categories << QString::number(position) + look.unit;
    m_axisX->append(categories);
    if (Crowded(look)) m_axisX->setLabelsAngle(-90);
    m_axisY = new QValueAxis;
    m_axisY->setLabelFormat(QStringLiteral("%.0f"));
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(m_axisX), static_cast<QAbstractAxis*>(m_axisY)}) {
        axis->setGridLineVisible(false);
        axis->setLabelsBrush(Qt::white);
        axis->setLinePenColor(Qt::white);
        QFont font = axis->labelsFont();
        font.setPixelSize(SmallPixels(look));
        axis->setLabelsFont(font);
    }
    chart->addAxis(m_axisX, Qt::AlignBottom);
    chart->addAxis(m_axisY, Qt::AlignLeft);
    m_series->attachAxis(m_axisX);
    m_series->attachAxis(m_axisY);

    setChart(chart);
    setRenderHint(QPainter::Antialiasing);
    connect(chart, &QChart::plotAreaChanged, this, [this] { PlaceMarks(); });
    SetBars({});
}

void SalesChart::SetBars(const std::vector<ChartBar>& bars) {
    m_bars.clear();
    for (const ChartBar& bar : bars)
        if (bar.position >= 0 && bar.position <= m_look.lastPosition) m_bars.push_back(bar);
    std::sort(m_bars.begin(), m_bars.end(),
              [](const ChartBar& a, const ChartBar& b) { return a.position < b.position; });

    QList<qreal> values(m_look.lastPosition + 1, 0.0);
    double low = 0, high = 0;
    for (const ChartBar& bar : m_bars) {
        values[bar.position] += bar.value;
        low = std::min(low, bar.value);
        high = std::max(high, bar.value);
    }
    m_set->remove(0, m_set->count());
    m_set->append(values);
    // Room above the highest bar for its mark.
    const double span = high - low;
    m_axisY->setRange(low < 0 ? low - span * 0.12 : 0, high > 0 ? high + span * 0.18 : (low < 0 ? 0 : 1));
    m_axisY->applyNiceNumbers();

    qDeleteAll(m_marks);
    m_marks.clear();
    for (const ChartBar& bar : m_bars) {
        auto* mark = new QGraphicsSimpleTextItem(BarMark(bar.value), chart());
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(SmallPixels(m_look));
        mark->setFont(font);
        mark->setBrush(Qt::white);
        mark->setZValue(10);
        m_marks << mark;
    }
    PlaceMarks();
}

void SalesChart::PlaceMarks() {
    for (int i = 0; i < m_marks.size(); ++i) {
        const ChartBar& bar = m_bars[size_t(i)];
        const QPointF top = chart()->mapToPosition(QPointF(bar.position, bar.value), m_series);
        QGraphicsSimpleTextItem* mark = m_marks[i];
        const QRectF box = mark->boundingRect();
        const double y = bar.value >= 0 ? top.y() - box.height() - 1 : top.y() + 1;
        mark->setPos(top.x() - box.width() / 2, y);
    }
}

QStringList SalesChart::Marks() const {
    QStringList marks;
    for (const QGraphicsSimpleTextItem* mark : m_marks) marks << mark->text();
    return marks;
}

QStringList SalesChart::AxisLabels() const { return m_axisX->categories(); }
