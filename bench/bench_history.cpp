// The line history's costs. Targets: a sample under 20 ms of CPU (reading the page and storing it,
// one durable transaction); a day at 30 s (2,880 samples) summarised in under 50 ms; 30 days
// (86,400 samples) plotted in under 200 ms; a year of 60 s samples (525,600) in under 50 MB.
//
//   BM_Sample                 ReadLineSample of a Class II page and AddSample with its sync.
//   BM_Summarise/2880         SummariseHistory of a day at 30 s with a few resyncs.
//   BM_Plot/86400             BuildHistoryChart of 30 days at 30 s.
//   BM_YearOfSamples          525,600 samples stored; the counter MB is the size of the file.

#include "history/HistoryStore.h"
#include "history/HistorySummary.h"
#include "history/LineSampleReader.h"
#include "history/view/HistoryChart.h"

#include <QApplication>
#include <QChart>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace
{
const QDateTime dtStart = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
const RouterKey key { 2, QStringLiteral("127.0.0.1") };

const QString strClassIIHtml = QStringLiteral(
    "<h3>ADSL</h3><table class=\"status\"><tr><td class=\"title\" colspan=\"10\">ADSL Line Status</td></tr><tr><td>"
    "Description</td><td>Line State</td><td>Modulation</td><td>Down Rate (kbps)</td><td>Up Rate (kbps)</td><td>Down "
    "SNR Margin (dB)</td><td>Up SNR Margin (dB)</td><td>Down Attenuation (dB)</td><td>Up Attenuation (dB)</td><td>"
    "Uptime (s)</td></tr><tr><td>Current</td><td>Showtime</td><td>ADSL2+ Annex A</td><td>8128</td><td>448</td><td>"
    "9.5</td><td>12.0</td><td>28.5</td><td>15.0</td><td>7200</td></tr></table>");

LineHistory MakeHistory(int intSamples, int intSpacingSeconds)
{
    LineHistory history;
    history.samples.reserve(static_cast<std::size_t>(intSamples));
    for (int i = 0; i < intSamples; ++i) {
        LineSample sample;
        sample.dtTime = dtStart.addSecs(static_cast<qint64>(i) * intSpacingSeconds);
        sample.strLineState = QStringLiteral("Showtime");
        sample.strModulation = QStringLiteral("ADSL2+ Annex A");
        const double dblDay = std::cos(i * intSpacingSeconds * 2 * 3.14159265 / 86400);
        sample.dblSnrDown = std::round((9 - 2.4 * dblDay) * 10) / 10;
        sample.dblSnrUp = std::round((11.5 - 0.6 * dblDay) * 10) / 10;
        sample.dblAttenuationDown = 31.0;
        sample.dblAttenuationUp = 17.0;
        sample.dblRateDown = i / 600 % 2 ? 7616 : 8128;
        sample.dblRateUp = 448;
        sample.lngUptime = static_cast<qint64>(i % 600) * intSpacingSeconds;
        if (i % 600 == 0)
            history.events.push_back({ sample.dtTime, HistoryEventKind::Resync, QStringLiteral("rate") });
        history.samples.push_back(sample);
    }
    return history;
}

void BM_Sample(benchmark::State& state)
{
    QTemporaryDir dir;
    HistoryStore store;
    store.Open(dir.filePath(HistoryStore::FileName()));
    int i = 0;
    for (auto _ : state) {
        const std::optional<LineSample> sample
            = ReadLineSample(2, QStringLiteral("ADSL"), strClassIIHtml, dtStart.addSecs(60LL * i++));
        benchmark::DoNotOptimize(store.AddSample(key, *sample));
    }
}
BENCHMARK(BM_Sample)->Unit(benchmark::kMillisecond);

void BM_Summarise(benchmark::State& state)
{
    const LineHistory history = MakeHistory(static_cast<int>(state.range(0)), 30);
    for (auto _ : state)
        benchmark::DoNotOptimize(SummariseHistory(history));
}
BENCHMARK(BM_Summarise)->Arg(2880)->Unit(benchmark::kMillisecond);

void BM_Plot(benchmark::State& state)
{
    const LineHistory history = MakeHistory(static_cast<int>(state.range(0)), 30);
    for (auto _ : state) {
        QChart* chart = BuildHistoryChart(history, QDateTime(), QDateTime());
        delete chart;
    }
}
BENCHMARK(BM_Plot)->Arg(86400)->Unit(benchmark::kMillisecond);

void BM_YearOfSamples(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString strFile = dir.filePath(HistoryStore::FileName());
        {
            HistoryStore store;
            store.Open(strFile);
            store.SetDurable(false);
            const LineHistory history = MakeHistory(525600, 60);
            for (const LineSample& sample : history.samples)
                store.AddSample(key, sample);
        }
        state.counters["MB"] = static_cast<double>(QFileInfo(strFile).size()) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_YearOfSamples)->Iterations(1)->Unit(benchmark::kSecond);
} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
