#include "history/view/HistoryChart.h"

#include "history/HistorySummary.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <functional>

namespace
{
struct PlottedValue
{
    QString strName;
    std::function<std::optional<double>(const LineSample&)> value;
    QColor colour;
    bool blnRate;
};

const std::vector<PlottedValue>& PlottedValues()
{
    static const std::vector<PlottedValue> values {
        { QStringLiteral("SNR margin down"), [](const LineSample& s) { return s.dblSnrDown; }, QColor(0x1f, 0x77, 0xb4),
            false },
        { QStringLiteral("SNR margin up"), [](const LineSample& s) { return s.dblSnrUp; }, QColor(0x2c, 0xa0, 0x2c),
            false },
        { QStringLiteral("Attenuation down"), [](const LineSample& s) { return s.dblAttenuationDown; },
            QColor(0x8c, 0x56, 0x4b), false },
        { QStringLiteral("Attenuation up"), [](const LineSample& s) { return s.dblAttenuationUp; },
            QColor(0xbc, 0xbd, 0x22), false },
        { QStringLiteral("Rate down (kbps)"), [](const LineSample& s) { return s.dblRateDown; },
            QColor(0xd6, 0x27, 0x28), true },
        { QStringLiteral("Rate up (kbps)"), [](const LineSample& s) { return s.dblRateUp; }, QColor(0xff, 0x7f, 0x0e),
            true },
    };
    return values;
}
} // namespace

QChart* BuildHistoryChart(const LineHistory& history, const QDateTime& dtFrom, const QDateTime& dtTo)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* axisTime = new QDateTimeAxis;
    auto* axisDb = new QValueAxis;
    axisDb->setTitleText(QStringLiteral("dB"));
    auto* axisRate = new QValueAxis;
    axisRate->setTitleText(QStringLiteral("kbps"));
    chart->addAxis(axisTime, Qt::AlignBottom);
    chart->addAxis(axisDb, Qt::AlignLeft);
    chart->addAxis(axisRate, Qt::AlignRight);

    const qint64 lngFrom = dtFrom.isValid() ? dtFrom.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    const qint64 lngTo = dtTo.isValid() ? dtTo.toMSecsSinceEpoch() : std::numeric_limits<qint64>::max();
    const auto gaps = HistoryGaps(history);
    double dblDbMax = 1;
    double dblRateMax = 1;
    qint64 lngFirst = std::numeric_limits<qint64>::max();
    qint64 lngLast = std::numeric_limits<qint64>::min();

    for (const PlottedValue& plotted : PlottedValues()) {
        QLineSeries* series = nullptr;
        QList<QPointF> points;
        bool blnFirstPiece = true;
        auto gap = gaps.begin();
        const auto flush = [&] {
            if (points.isEmpty())
                return;
            series = new QLineSeries;
            series->setName(plotted.strName);
            series->setPen(QPen(plotted.colour, 1.5));
            series->replace(points);
            chart->addSeries(series);
            series->attachAxis(axisTime);
            series->attachAxis(plotted.blnRate ? axisRate : axisDb);
            // One legend entry per value, however many pieces the gaps cut it into.
            if (!blnFirstPiece) {
                for (QLegendMarker* marker : chart->legend()->markers(series))
                    marker->setVisible(false);
            }
            blnFirstPiece = false;
            points.clear();
        };
        for (const LineSample& sample : history.samples) {
            const qint64 lngTime = sample.dtTime.toMSecsSinceEpoch();
            if (lngTime < lngFrom || lngTime > lngTo)
                continue;
            while (gap != gaps.end() && gap->second.toMSecsSinceEpoch() <= lngTime) {
                if (gap->first.toMSecsSinceEpoch() < lngTime)
                    flush();
                ++gap;
            }
            const std::optional<double> value = plotted.value(sample);
            if (!value) {
                flush(); // a value the page did not show is a gap in its line
                continue;
            }
            points.append(QPointF(static_cast<double>(lngTime), *value));
            (plotted.blnRate ? dblRateMax : dblDbMax) = std::max(plotted.blnRate ? dblRateMax : dblDbMax, *value);
            lngFirst = std::min(lngFirst, lngTime);
            lngLast = std::max(lngLast, lngTime);
        }
        flush();
    }

    auto* resyncs = new QScatterSeries;
    resyncs->setName(QStringLiteral("Resync"));
    resyncs->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    resyncs->setMarkerSize(9);
    resyncs->setColor(Qt::black);
    for (const HistoryEvent& event : history.events) {
        const qint64 lngTime = event.dtTime.toMSecsSinceEpoch();
        if (event.kind == HistoryEventKind::Resync && lngTime >= lngFrom && lngTime <= lngTo)
            resyncs->append(static_cast<double>(lngTime), dblDbMax * 1.1);
    }
    chart->addSeries(resyncs);
    resyncs->attachAxis(axisTime);
    resyncs->attachAxis(axisDb);

    // A chosen range is drawn whole, however little of it holds samples ("all": from the first
    // sample to the last); the labels are in local time, with seconds on a short span and the date
    // on a long one.
    const qint64 lngNow = QDateTime::currentMSecsSinceEpoch();
    qint64 lngStart = lngFirst;
    qint64 lngEnd = lngLast;
    if (dtFrom.isValid()) {
        lngStart = lngFrom;
        lngEnd = dtTo.isValid() ? lngTo : std::max(lngNow, lngLast);
    } else if (lngFirst > lngLast) {
        lngEnd = lngNow;
        lngStart = lngEnd - 3600000;
    }
    const qint64 lngSpan = std::max<qint64>(lngEnd - lngStart, 60000);
    axisTime->setRange(QDateTime::fromMSecsSinceEpoch(lngStart), QDateTime::fromMSecsSinceEpoch(lngStart + lngSpan));
    axisTime->setTitleText(QStringLiteral("Local time"));
    axisTime->setFormat(lngSpan > 2 * 86400000LL ? QStringLiteral("dd/MM HH:mm")
            : lngSpan <= 15 * 60000LL            ? QStringLiteral("HH:mm:ss")
                                                 : QStringLiteral("HH:mm"));
    axisDb->setRange(0, std::ceil(dblDbMax * 1.2));
    axisRate->setRange(0, std::ceil(dblRateMax * 1.2 / 500.0) * 500.0);
    return chart;
}
