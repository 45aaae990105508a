#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// One reading of the router's ADSL status page. A value the page does not show stays empty: it is
// absent, never zero.
struct LineSample
{
    QDateTime dtTime; // UTC
    QString strLineState; // "" when the page shows none
    QString strModulation;
    std::optional<double> dblRateDown; // kbps
    std::optional<double> dblRateUp;
    std::optional<double> dblSnrDown; // dB
    std::optional<double> dblSnrUp;
    std::optional<double> dblAttenuationDown; // dB
    std::optional<double> dblAttenuationUp;
    std::optional<qint64> lngUptime; // seconds the connection has been up
    std::optional<qint64> lngCrcErrors;
    std::optional<qint64> lngFecErrors;

    // True while the line is in showtime (the line state reads so, or no state is shown but rates
    // are).
    bool Showtime() const;
};

// What happened between or at samples: a resync, a router that stopped or started answering
// again, the start and end of a watch.
enum class HistoryEventKind { Resync, NoAnswer, Answering, WatchStart, WatchEnd };

struct HistoryEvent
{
    QDateTime dtTime; // UTC
    HistoryEventKind kind = HistoryEventKind::Resync;
    QString strDetail;
};

// The name of an event kind as the store and the outputs write it ("resync", "no-answer", ...).
QString EventKindName(HistoryEventKind kind);
std::optional<HistoryEventKind> EventKindFromName(const QString& strName);

// The router a history belongs to: its class (1, 2, 3 for Class I, II, V) and its address.
struct RouterKey
{
    int intRouterClass = 1;
    QString strAddress;
};

struct LineHistory
{
    std::vector<LineSample> samples; // oldest first
    std::vector<HistoryEvent> events; // oldest first
};

// The resync that sample current shows against the sample before it, or nullopt: the line state
// leaving showtime, a rate changing, or the uptime going back.
std::optional<HistoryEvent> DetectResync(const LineSample& previous, const LineSample& current);
