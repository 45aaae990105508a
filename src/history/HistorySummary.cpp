#include "history/HistorySummary.h"

#include "config/IniFile.h"
#include "history/HistoryStore.h"
#include "privacy/ReportFilter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");

QString TimeText(const QDateTime& dtTime)
{
    return dtTime.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString IsoTime(const QDateTime& dtTime)
{
    return dtTime.toUTC().toString(Qt::ISODate);
}

QString Number(double dblValue, int intDecimals)
{
    return QString::number(dblValue, 'f', intDecimals);
}

QString DurationText(qint64 lngSeconds)
{
    const qint64 lngDays = lngSeconds / 86400;
    const qint64 lngHours = lngSeconds % 86400 / 3600;
    const qint64 lngMinutes = lngSeconds % 3600 / 60;
    if (lngDays > 0)
        return QStringLiteral("%1 d %2 h %3 min").arg(lngDays).arg(lngHours).arg(lngMinutes);
    return QStringLiteral("%1 h %2 min").arg(lngHours).arg(lngMinutes);
}

struct ValueColumn
{
    const char* strLabel;
    const char* strKey;
    std::function<std::optional<double>(const LineSample&)> value;
    int intDecimals;
};

const std::vector<ValueColumn>& Columns()
{
    static const std::vector<ValueColumn> columns {
        { "SNR margin down (dB)", "snr_down_db", [](const LineSample& s) { return s.dblSnrDown; }, 1 },
        { "SNR margin up (dB)", "snr_up_db", [](const LineSample& s) { return s.dblSnrUp; }, 1 },
        { "Attenuation down (dB)", "attenuation_down_db", [](const LineSample& s) { return s.dblAttenuationDown; }, 1 },
        { "Attenuation up (dB)", "attenuation_up_db", [](const LineSample& s) { return s.dblAttenuationUp; }, 1 },
        { "Rate down (kbps)", "rate_down_kbps", [](const LineSample& s) { return s.dblRateDown; }, 0 },
        { "Rate up (kbps)", "rate_up_kbps", [](const LineSample& s) { return s.dblRateUp; }, 0 },
    };
    return columns;
}

std::optional<double> AsDouble(const std::optional<qint64>& value)
{
    if (!value)
        return std::nullopt;
    return static_cast<double>(*value);
}

// The lower median of the values (one of them, never an average of two).
double Median(std::vector<double>& values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

QString Padded(const QString& strText, int intWidth)
{
    return strText.leftJustified(intWidth);
}

QString Cell(const std::optional<double>& value, int intDecimals)
{
    return value ? Number(*value, intDecimals) : QString();
}
} // namespace

std::vector<std::pair<QDateTime, QDateTime>> HistoryGaps(const LineHistory& history)
{
    std::vector<std::pair<QDateTime, QDateTime>> gaps;
    const std::vector<LineSample>& samples = history.samples;
    if (samples.size() < 2)
        return gaps;
    std::vector<qint64> spacings;
    spacings.reserve(samples.size() - 1);
    for (std::size_t i = 1; i < samples.size(); ++i)
        spacings.push_back(samples[i - 1].dtTime.msecsTo(samples[i].dtTime));
    std::vector<qint64> sorted = spacings;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>((sorted.size() - 1) / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const qint64 lngLongest = std::max<qint64>(3 * *middle, 10000);

    auto event = history.events.begin();
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const QDateTime& dtFrom = samples[i - 1].dtTime;
        const QDateTime& dtTo = samples[i].dtTime;
        bool blnBreak = spacings[i - 1] > lngLongest;
        while (event != history.events.end() && event->dtTime < dtTo) {
            if (event->dtTime >= dtFrom
                && (event->kind == HistoryEventKind::NoAnswer || event->kind == HistoryEventKind::WatchEnd))
                blnBreak = true;
            ++event;
        }
        if (blnBreak)
            gaps.emplace_back(dtFrom, dtTo);
    }
    return gaps;
}

QString SummariseHistory(const LineHistory& history)
{
    QStringList lines;
    lines << QStringLiteral("Line history");
    if (history.samples.empty()) {
        lines << QStringLiteral("No samples recorded for this router.");
        return lines.join(strCrLf);
    }
    const QDateTime& dtFirst = history.samples.front().dtTime;
    const QDateTime& dtLast = history.samples.back().dtTime;
    lines << QStringLiteral("Period: %1 to %2 UTC (%3)")
                 .arg(TimeText(dtFirst), TimeText(dtLast), DurationText(dtFirst.secsTo(dtLast)));
    lines << QStringLiteral("Samples: %1, gaps: %2").arg(history.samples.size()).arg(HistoryGaps(history).size());
    lines << Padded(QString(), 22) + QStringLiteral("   min  median     max");
    for (const ValueColumn& column : Columns()) {
        std::vector<double> values;
        values.reserve(history.samples.size());
        for (const LineSample& sample : history.samples) {
            if (const std::optional<double> value = column.value(sample))
                values.push_back(*value);
        }
        QString strLine = Padded(QString::fromLatin1(column.strLabel), 22);
        if (values.empty()) {
            strLine += QStringLiteral("   not shown by the router");
        } else {
            const auto [min, max] = std::minmax_element(values.begin(), values.end());
            const double dblMin = *min;
            const double dblMax = *max;
            strLine += Number(dblMin, column.intDecimals).rightJustified(6)
                + Number(Median(values), column.intDecimals).rightJustified(8)
                + Number(dblMax, column.intDecimals).rightJustified(8);
        }
        lines << strLine;
    }
    std::vector<const HistoryEvent*> resyncs;
    for (const HistoryEvent& event : history.events) {
        if (event.kind == HistoryEventKind::Resync)
            resyncs.push_back(&event);
    }
    lines << QStringLiteral("Resyncs: %1").arg(resyncs.size());
    for (const HistoryEvent* event : resyncs)
        lines << QStringLiteral("  %1 UTC  %2").arg(TimeText(event->dtTime), event->strDetail);
    return lines.join(strCrLf);
}

QString FormatHistory(const LineHistory& history, const RouterKey& key, const QString& strFormat)
{
    const auto counts = [](const LineSample& sample) {
        return std::vector<std::pair<const char*, std::optional<double>>> { { "uptime_s", AsDouble(sample.lngUptime) },
            { "crc_errors", AsDouble(sample.lngCrcErrors) }, { "fec_errors", AsDouble(sample.lngFecErrors) } };
    };
    if (strFormat == QLatin1String("json")) {
        QJsonArray arrSamples;
        for (const LineSample& sample : history.samples) {
            QJsonObject row;
            row.insert(QStringLiteral("time"), IsoTime(sample.dtTime));
            row.insert(QStringLiteral("line_state"),
                sample.strLineState.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(sample.strLineState));
            row.insert(QStringLiteral("modulation"),
                sample.strModulation.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(sample.strModulation));
            for (const ValueColumn& column : Columns()) {
                const std::optional<double> value = column.value(sample);
                row.insert(QString::fromLatin1(column.strKey), value ? QJsonValue(*value) : QJsonValue());
            }
            for (const auto& [strKey, value] : counts(sample))
                row.insert(QString::fromLatin1(strKey), value ? QJsonValue(*value) : QJsonValue());
            arrSamples.append(row);
        }
        QJsonArray arrEvents;
        for (const HistoryEvent& event : history.events) {
            arrEvents.append(QJsonObject { { QStringLiteral("time"), IsoTime(event.dtTime) },
                { QStringLiteral("kind"), EventKindName(event.kind) }, { QStringLiteral("detail"), event.strDetail } });
        }
        const QJsonObject root { { QStringLiteral("router_class"), key.intRouterClass },
            { QStringLiteral("address"), key.strAddress }, { QStringLiteral("samples"), arrSamples },
            { QStringLiteral("events"), arrEvents } };
        return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }
    if (strFormat == QLatin1String("csv")) {
        const auto quoted = [](const QString& strText) {
            if (!strText.contains(QLatin1Char(',')) && !strText.contains(QLatin1Char('"')))
                return strText;
            return QLatin1Char('"') + QString(strText).replace(QStringLiteral("\""), QStringLiteral("\"\""))
                + QLatin1Char('"');
        };
        QStringList header { QStringLiteral("time"), QStringLiteral("line_state"), QStringLiteral("modulation") };
        for (const ValueColumn& column : Columns())
            header << QString::fromLatin1(column.strKey);
        header << QStringLiteral("uptime_s") << QStringLiteral("crc_errors") << QStringLiteral("fec_errors");
        QString strOut = header.join(QLatin1Char(',')) + QLatin1Char('\n');
        for (const LineSample& sample : history.samples) {
            QStringList cells { IsoTime(sample.dtTime), quoted(sample.strLineState), quoted(sample.strModulation) };
            for (const ValueColumn& column : Columns())
                cells << Cell(column.value(sample), column.intDecimals);
            for (const auto& entry : counts(sample))
                cells << Cell(entry.second, 0);
            strOut += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
        return strOut;
    }
    QString strOut
        = QStringLiteral("time (UTC)           state       snr dn  snr up  att dn  att up  rate dn  rate up\n");
    const auto cell = [](const std::optional<double>& value, int intDecimals, int intWidth) {
        return (value ? Number(*value, intDecimals) : QStringLiteral("-")).rightJustified(intWidth);
    };
    for (const LineSample& sample : history.samples) {
        strOut += TimeText(sample.dtTime) + QStringLiteral("  ")
            + Padded(sample.strLineState.isEmpty() ? QStringLiteral("-") : sample.strLineState.left(10), 10)
            + cell(sample.dblSnrDown, 1, 8) + cell(sample.dblSnrUp, 1, 8) + cell(sample.dblAttenuationDown, 1, 8)
            + cell(sample.dblAttenuationUp, 1, 8) + cell(sample.dblRateDown, 0, 9) + cell(sample.dblRateUp, 0, 9)
            + QLatin1Char('\n');
    }
    for (const HistoryEvent& event : history.events) {
        strOut += TimeText(event.dtTime) + QStringLiteral("  ") + EventKindName(event.kind);
        if (!event.strDetail.isEmpty())
            strOut += QStringLiteral(": ") + event.strDetail;
        strOut += QLatin1Char('\n');
    }
    return strOut;
}

std::optional<qint64> ParseTimeSpan(const QString& strText)
{
    static const QRegularExpression whole(QStringLiteral("^(?:\\d+[smhdw])+$|^\\d+$"));
    const QString strSpan = strText.trimmed().toLower();
    if (!whole.match(strSpan).hasMatch() || strSpan.size() > 24)
        return std::nullopt;
    static const QRegularExpression part(QStringLiteral("(\\d+)([smhdw]?)"));
    qint64 lngTotal = 0;
    auto it = part.globalMatch(strSpan);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString strUnit = match.captured(2);
        const qint64 lngFactor = strUnit == QLatin1String("m") ? 60
            : strUnit == QLatin1String("h")                    ? 3600
            : strUnit == QLatin1String("d")                    ? 86400
            : strUnit == QLatin1String("w")                    ? 7 * 86400
                                                               : 1;
        lngTotal += match.captured(1).toLongLong() * lngFactor;
    }
    return lngTotal;
}

QString ReportHistoryBlock(const QString& strFolder, const RouterKey& key, int intCensor)
{
    HistoryStore store;
    QString strSummary;
    if (!store.Open(QDir(strFolder).filePath(HistoryStore::FileName())))
        strSummary = QStringLiteral("Line history") + QStringLiteral("\r\n") + store.ErrorText();
    else
        strSummary = SummariseHistory(store.Load(key));
    return QStringLiteral("\r\n\r\n") + FilterReport(strSummary, intCensor);
}

bool HistoryInReport(const QString& strSettingsFile)
{
    return ReadIni(QStringLiteral("Options"), QStringLiteral("Line history in report"), strSettingsFile)
        == QLatin1String("1");
}

bool SetHistoryInReport(const QString& strSettingsFile, bool blnOn)
{
    return WriteIni(QStringLiteral("Options"), QStringLiteral("Line history in report"),
               blnOn ? QStringLiteral("1") : QStringLiteral("0"), strSettingsFile)
        != 0;
}
