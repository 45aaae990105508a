#ifdef QUORVANE_HISTORY

#include "cli/CliHistory.h"

#include "cli/CliInterrupt.h"
#include "cli/CliRunHost.h"
#include "cli/CliSession.h"
#include "history/HistoryStore.h"
#include "history/HistorySummary.h"
#include "history/LineSampler.h"
#include "privacy/ReportFilter.h"

#include <QDir>
#include <QEventLoop>

namespace
{
QString StoreFile(const QString& strFolder)
{
    return QDir(strFolder).filePath(HistoryStore::FileName());
}

QString Value(const std::optional<double>& value, int intDecimals)
{
    return value ? QString::number(*value, 'f', intDecimals) : QStringLiteral("-");
}

// One line per sample: time, state, margins, attenuation and rates, and the resync it showed.
QString SampleLine(const LineSample& sample, const std::optional<HistoryEvent>& resync)
{
    QString strLine = sample.dtTime.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QStringLiteral(" UTC  %1  SNR margin %2/%3 dB  attenuation %4/%5 dB  rate %6/%7 kbps")
              .arg(sample.strLineState.isEmpty() ? QStringLiteral("-") : sample.strLineState,
                  Value(sample.dblSnrDown, 1), Value(sample.dblSnrUp, 1), Value(sample.dblAttenuationDown, 1),
                  Value(sample.dblAttenuationUp, 1), Value(sample.dblRateDown, 0), Value(sample.dblRateUp, 0));
    if (resync)
        strLine += QStringLiteral("  RESYNC: ") + resync->strDetail;
    return strLine + QLatin1Char('\n');
}
} // namespace

int PrintHistory(const CliOptions& options, const QString& strFolder, const RouterKey& key,
    const std::function<void(const QString&)>& reportSink, const std::function<void(const QString&)>& lineSink)
{
    HistoryStore store;
    if (!store.Open(StoreFile(strFolder))) {
        lineSink(store.ErrorText());
        return intExitAbnormal;
    }
    const QDateTime dtSince
        = options.lngSinceSeconds > 0 ? QDateTime::currentDateTimeUtc().addSecs(-options.lngSinceSeconds) : QDateTime();
    const LineHistory history = store.Load(key, dtSince);
    if (options.blnHistorySummary)
        reportSink(SummariseHistory(history) + QStringLiteral("\r\n"));
    else
        reportSink(FormatHistory(history, key, options.strHistoryFormat));
    return intExitFinished;
}

int RunWatch(const CliOptions& options, const QString& strFolder, CliRunHost& host, const RouterProfile& profile,
    const PageTable& pages, const PageTrace& trace, const std::function<void(const QString&)>& reportSink,
    const std::function<void(const QString&)>& lineSink)
{
    HistoryStore store;
    if (!store.Open(StoreFile(strFolder))) {
        lineSink(store.ErrorText());
        return intExitAbnormal;
    }
    store.Prune(QDateTime::currentDateTimeUtc());
    LineSampler sampler(host, profile, pages, trace, store);
    host.SetTimerHandler([&sampler](RunTimer timer) { sampler.OnTimer(timer); });
    sampler.SetSampleHandler([&reportSink](const LineSample& sample, const std::optional<HistoryEvent>& resync) {
        reportSink(SampleLine(sample, resync));
    });
    sampler.SetWarningHandler(
        [&lineSink](const QString& strWarning) { lineSink(QStringLiteral("warning: ") + strWarning); });

    QEventLoop loop;
    QString strEndReason;
    bool blnEnded = false;
    sampler.SetEndedHandler([&](const QString& strReason) {
        strEndReason = strReason;
        blnEnded = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    const QDateTime dtStart = QDateTime::currentDateTimeUtc();
    // Ctrl-C or a termination request ends the watch with its log-out; a second one ends the program.
    CliInterrupt interrupt;
    bool blnInterrupted = false;
    QObject::connect(&interrupt, &CliInterrupt::Interrupted, &loop, [&](int) {
        if (blnInterrupted)
            return;
        blnInterrupted = true;
        sampler.Stop();
    });
    sampler.Start(options.intIntervalSeconds, options.lngDurationSeconds);
    if (!blnEnded)
        loop.exec();
    host.SetTimerHandler({});

    if (!strEndReason.isEmpty()) {
        lineSink(strEndReason);
        return intExitAbnormal;
    }
    reportSink(QStringLiteral("\n") + SummariseHistory(store.Load(sampler.Key(), dtStart.addSecs(-1)))
        + QStringLiteral("\r\n"));
    return intExitFinished;
}

#endif
