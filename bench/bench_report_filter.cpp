// FilterReport with censoring on, over a report body that is one long system log (8 MB at 100,000
// lines, the size of a page at the browser's limit), each line naming an address of its own: most
// lines are sources, every tenth pings the previous line's address and names a name server that no
// source names (matched inside, not looked up whole), now and then a version line with a hardware
// address, a network name or a user name after its label, a lease message with a client's name.
// Target: 100,000 lines (100,000 distinct addresses) in under 1 s, and the same text as one line.
//
//   BM_FilterReport/<lines>             one call of FilterReport on the whole body.
//   BM_FilterReportSingleLine/<lines>   the same lines joined by blanks into one line.

#include "privacy/ReportFilter.h"

#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>

namespace
{
QStringList SystemLog(int intLines)
{
    QRandomGenerator random(20240611);
    QSet<QString> seen;
    QStringList lines;
    QString strPrevious;
    while (lines.size() < intLines) {
        const QString strAddress = QStringLiteral("%1.%2.%3.%4")
                                       .arg(random.bounded(1, 224))
                                       .arg(random.bounded(256))
                                       .arg(random.bounded(256))
                                       .arg(random.bounded(256));
        if (seen.contains(strAddress))
            continue;
        seen.insert(strAddress);
        const int intLine = static_cast<int>(lines.size());
        const QString strTime = QStringLiteral("Jan  1 00:%1:%2")
                                    .arg(intLine / 60 % 60, 2, 10, QLatin1Char('0'))
                                    .arg(intLine % 60, 2, 10, QLatin1Char('0'));
        if (intLine % 10 == 9)
            lines << QStringLiteral("%1 | ping | Ping %2 = PASS in 12 ms, DNS %3 answered")
                         .arg(strTime, strPrevious, strAddress);
        else if (intLine % 100 == 50)
            lines << QStringLiteral("%1 | syslog | firmware 3.60.2.1 started, lease to 02:1a:3f:%2:11:22 by %3")
                         .arg(strTime)
                         .arg(intLine % 256, 2, 16, QLatin1Char('0'))
                         .arg(strAddress);
        else if (intLine % 100 == 70)
            lines << QStringLiteral("%1 | wlan | SSID: Net-%2  channel 6, user name: u%2@isp.example, peer %3")
                         .arg(strTime)
                         .arg(intLine)
                         .arg(strAddress);
        else if (intLine % 100 == 90)
            lines << QStringLiteral("%1 | dnsmasq-dhcp | DHCPACK(br0) %2 02:1a:3f:%3:11:22 host-%4")
                         .arg(strTime, strAddress)
                         .arg(intLine % 256, 2, 16, QLatin1Char('0'))
                         .arg(intLine);
        else
            lines << QStringLiteral("%1 | ppp | PPP IP %2 assigned, session %3 up, mtu 1492 ok")
                         .arg(strTime, strAddress)
                         .arg(intLine);
        strPrevious = strAddress;
    }
    return lines;
}

void FilterOnce(benchmark::State& state, const QString& strBody)
{
    qsizetype lngCensored = 0;
    for (auto _ : state) {
        const QString strFiltered = FilterReport(strBody, 1);
        lngCensored = strFiltered.count(QStringLiteral("<censored>"));
        benchmark::DoNotOptimize(strFiltered.constData());
    }
    state.counters["report_MB"] = static_cast<double>(strBody.toUtf8().size()) / (1024.0 * 1024.0);
    state.counters["censored"] = static_cast<double>(lngCensored);
    state.SetBytesProcessed(state.iterations() * strBody.size());
}

void BM_FilterReport(benchmark::State& state)
{
    FilterOnce(state, SystemLog(static_cast<int>(state.range(0))).join(QStringLiteral("\r\n")));
}

void BM_FilterReportSingleLine(benchmark::State& state)
{
    FilterOnce(state, SystemLog(static_cast<int>(state.range(0))).join(QStringLiteral(" ")));
}
} // namespace

BENCHMARK(BM_FilterReportSingleLine)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterReport)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
