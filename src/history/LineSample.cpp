#include "history/LineSample.h"

#include <array>

namespace
{
struct KindName
{
    HistoryEventKind kind;
    const char* strName;
};

constexpr std::array<KindName, 5> arrKindNames { { { HistoryEventKind::Resync, "resync" },
    { HistoryEventKind::NoAnswer, "no-answer" }, { HistoryEventKind::Answering, "answering" },
    { HistoryEventKind::WatchStart, "watch-start" }, { HistoryEventKind::WatchEnd, "watch-end" } } };

QString RatePair(const LineSample& sample)
{
    const auto one = [](const std::optional<double>& value) {
        return value ? QString::number(*value, 'f', 0) : QStringLiteral("-");
    };
    return one(sample.dblRateDown) + QLatin1Char('/') + one(sample.dblRateUp);
}
} // namespace

bool LineSample::Showtime() const
{
    if (!strLineState.isEmpty())
        return strLineState.contains(QStringLiteral("showtime"), Qt::CaseInsensitive)
            || strLineState.compare(QStringLiteral("up"), Qt::CaseInsensitive) == 0
            || strLineState.compare(QStringLiteral("connected"), Qt::CaseInsensitive) == 0;
    return dblRateDown.has_value() && *dblRateDown > 0;
}

QString EventKindName(HistoryEventKind kind)
{
    for (const KindName& entry : arrKindNames) {
        if (entry.kind == kind)
            return QString::fromLatin1(entry.strName);
    }
    return QString();
}

std::optional<HistoryEventKind> EventKindFromName(const QString& strName)
{
    for (const KindName& entry : arrKindNames) {
        if (strName == QLatin1String(entry.strName))
            return entry.kind;
    }
    return std::nullopt;
}

std::optional<HistoryEvent> DetectResync(const LineSample& previous, const LineSample& current)
{
    HistoryEvent event { current.dtTime, HistoryEventKind::Resync, QString() };
    if (previous.Showtime() && !current.Showtime()) {
        event.strDetail = QStringLiteral("line state %1")
                              .arg(current.strLineState.isEmpty() ? QStringLiteral("down") : current.strLineState);
        return event;
    }
    // Coming back to showtime belongs to the resync that took the line down.
    if (!current.Showtime() || !previous.Showtime())
        return std::nullopt;
    if (previous.lngUptime && current.lngUptime && *current.lngUptime < *previous.lngUptime) {
        event.strDetail = QStringLiteral("uptime went back to %1 s").arg(*current.lngUptime);
        return event;
    }
    const bool blnRateChanged
        = (previous.dblRateDown && current.dblRateDown && *previous.dblRateDown != *current.dblRateDown)
        || (previous.dblRateUp && current.dblRateUp && *previous.dblRateUp != *current.dblRateUp);
    if (blnRateChanged) {
        event.strDetail = QStringLiteral("rate %1 -> %2 kbps").arg(RatePair(previous), RatePair(current));
        return event;
    }
    return std::nullopt;
}
