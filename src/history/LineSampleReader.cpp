#include "history/LineSampleReader.h"

#include "readers/AdslStatusReader.h"
#include "readers/StatusTableReader.h"
#include "readers/TextHelpers.h"

#include <QRegularExpression>

namespace
{
const QString strCrLf = QStringLiteral("\r\n");

// The numbers of a value text in order; "NaN" and "-" hold none.
QList<double> Numbers(const QString& strText)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+(?:\\.\\d+)?"));
    QList<double> values;
    auto it = number.globalMatch(strText);
    while (it.hasNext())
        values << it.next().captured(0).toDouble();
    return values;
}

std::optional<double> FirstNumber(const QString& strText)
{
    const QList<double> values = Numbers(strText);
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

// A pair written "12.5dB DOWN, 11.0dB UP" or "8128 kbps down, 448 kbps up": each value is the
// number in front of its direction word; one that reads "NaN" stays absent.
void ReadPair(const QString& strValue, std::optional<double>& down, std::optional<double>& up)
{
    for (const QString& strPart : strValue.split(QLatin1Char(','))) {
        const std::optional<double> value = FirstNumber(strPart);
        if (strPart.contains(QStringLiteral("down"), Qt::CaseInsensitive))
            down = value;
        else if (strPart.contains(QStringLiteral("up"), Qt::CaseInsensitive))
            up = value;
    }
}

// A value for one direction when the name says which ("Down SNR Margin"), or a pair.
void ReadDirected(
    const QString& strName, const QString& strValue, std::optional<double>& down, std::optional<double>& up)
{
    const bool blnDown = strName.contains(QStringLiteral("down"), Qt::CaseInsensitive);
    const bool blnUp = strName.contains(QStringLiteral("up"), Qt::CaseInsensitive);
    if (blnDown && !blnUp)
        down = FirstNumber(strValue);
    else if (blnUp && !blnDown)
        up = FirstNumber(strValue);
    else
        ReadPair(strValue, down, up);
}

// Counters are summed over the directions a line gives; the two directions of one line are
// kept together so that a later line of the same counter adds to them.
void AddCount(const QString& strValue, std::optional<qint64>& count)
{
    const QList<double> values = Numbers(strValue);
    if (values.isEmpty())
        return;
    qint64 lngSum = count.value_or(0);
    for (const double dblValue : values)
        lngSum += static_cast<qint64>(dblValue);
    count = lngSum;
}

bool HasAnyValue(const LineSample& sample)
{
    return !sample.strLineState.isEmpty() || !sample.strModulation.isEmpty() || sample.dblRateDown || sample.dblRateUp
        || sample.dblSnrDown || sample.dblSnrUp || sample.dblAttenuationDown || sample.dblAttenuationUp
        || sample.lngUptime || sample.lngCrcErrors || sample.lngFecErrors;
}
} // namespace

std::optional<qint64> ParseDuration(const QString& strText)
{
    static const QRegularExpression clock(QStringLiteral("(?:(\\d+)\\s*d\\w*[\\s,]*)?(\\d+):(\\d{2}):(\\d{2})"));
    const QRegularExpressionMatch match = clock.match(strText);
    if (match.hasMatch()) {
        return match.captured(1).toLongLong() * 86400 + match.captured(2).toLongLong() * 3600
            + match.captured(3).toLongLong() * 60 + match.captured(4).toLongLong();
    }
    static const QRegularExpression unit(
        QStringLiteral("(\\d+)\\s*(days?|d|hours?|hrs?|h|minutes?|mins?|m|seconds?|secs?|s)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    auto it = unit.globalMatch(strText);
    std::optional<qint64> total;
    while (it.hasNext()) {
        const QRegularExpressionMatch part = it.next();
        const QChar chrUnit = part.captured(2).at(0).toLower();
        const qint64 lngFactor = chrUnit == QLatin1Char('d') ? 86400
            : chrUnit == QLatin1Char('h')                    ? 3600
            : chrUnit == QLatin1Char('m')                    ? 60
                                                             : 1;
        total = total.value_or(0) + part.captured(1).toLongLong() * lngFactor;
    }
    if (!total && !strText.trimmed().isEmpty() && Numbers(strText).size() == 1 && !strText.contains(QLatin1Char('.')))
        total = static_cast<qint64>(Numbers(strText).first());
    return total;
}

bool ReadSampleLine(const QString& strLine, LineSample& sample)
{
    const qsizetype lngColon = strLine.indexOf(QLatin1Char(':'));
    if (lngColon <= 0)
        return false;
    const QString strName = strLine.left(lngColon).trimmed();
    const QString strValue = strLine.mid(lngColon + 1).trimmed();
    const auto has
        = [&strName](const char* strWord) { return strName.contains(QLatin1String(strWord), Qt::CaseInsensitive); };
    if (has("crc")) {
        AddCount(strValue, sample.lngCrcErrors);
    } else if (has("fec")) {
        AddCount(strValue, sample.lngFecErrors);
    } else if (has("snr") || has("margin")) {
        ReadDirected(strName, strValue, sample.dblSnrDown, sample.dblSnrUp);
    } else if (has("attenuation")) {
        ReadDirected(strName, strValue, sample.dblAttenuationDown, sample.dblAttenuationUp);
    } else if (has("uptime") || has("up time") || has("connection time") || has("connected for")) {
        sample.lngUptime = ParseDuration(strValue);
    } else if (has("rate") || has("speed")) {
        ReadDirected(strName, strValue, sample.dblRateDown, sample.dblRateUp);
    } else if (has("modulation") || has("mode") || has("standard")) {
        sample.strModulation = strValue;
    } else if (has("state") || has("status")) {
        sample.strLineState = strValue;
    } else {
        return false;
    }
    return true;
}

std::optional<LineSample> ReadLineSample(
    int intRouterClass, const QString& strText, const QString& strHtml, const QDateTime& dtTime)
{
    if (strText.contains(QStringLiteral("Action canceled")) || strText.contains(QStringLiteral("DNS Error")))
        return std::nullopt;
    QString strLines;
    if (intRouterClass == 2)
        strLines = ReadStatusTable(strHtml);
    else
        ReadAdslStatus(strText, strLines);
    LineSample sample;
    sample.dtTime = dtTime.toUTC();
    for (const QString& strLine : SplitPieces(strLines, strCrLf, Qt::CaseSensitive))
        ReadSampleLine(strLine, sample);
    if (!HasAnyValue(sample))
        return std::nullopt;
    return sample;
}
