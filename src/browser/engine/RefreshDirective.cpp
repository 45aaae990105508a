#include "browser/engine/RefreshDirective.h"

#include <algorithm>

namespace
{
bool IsBlank(QChar chr)
{
    return chr == QLatin1Char(' ') || chr == QLatin1Char('\t') || chr == QLatin1Char('\n') || chr == QLatin1Char('\r')
        || chr == QLatin1Char('\f');
}
} // namespace

RefreshDirective ParseRefresh(const QString& strContent)
{
    RefreshDirective directive;
    const qsizetype lngSize = strContent.size();
    qsizetype lngAt = 0;
    auto skipBlanks = [&] {
        while (lngAt < lngSize && IsBlank(strContent.at(lngAt)))
            ++lngAt;
    };

    skipBlanks();
    const qsizetype lngDigits = lngAt;
    qint64 lngDelay = 0;
    while (lngAt < lngSize && strContent.at(lngAt).isDigit() && strContent.at(lngAt).unicode() < 128) {
        lngDelay = std::min<qint64>(
            lngDelay * 10 + (strContent.at(lngAt).unicode() - u'0'), RefreshDirective::intMaxDelaySeconds);
        ++lngAt;
    }
    if (lngAt == lngDigits && (lngAt >= lngSize || strContent.at(lngAt) != QLatin1Char('.')))
        return directive;
    while (lngAt < lngSize
        && (strContent.at(lngAt) == QLatin1Char('.')
            || (strContent.at(lngAt).isDigit() && strContent.at(lngAt).unicode() < 128)))
        ++lngAt;
    directive.blnValid = true;
    directive.intDelaySeconds = static_cast<int>(lngDelay);

    skipBlanks();
    if (lngAt < lngSize && (strContent.at(lngAt) == QLatin1Char(';') || strContent.at(lngAt) == QLatin1Char(',')))
        ++lngAt;
    skipBlanks();
    if (lngAt >= lngSize)
        return directive;

    if (strContent.mid(lngAt, 3).compare(QLatin1String("url"), Qt::CaseInsensitive) == 0) {
        qsizetype lngAfter = lngAt + 3;
        while (lngAfter < lngSize && IsBlank(strContent.at(lngAfter)))
            ++lngAfter;
        if (lngAfter < lngSize && strContent.at(lngAfter) == QLatin1Char('=')) {
            lngAt = lngAfter + 1;
            skipBlanks();
        }
    }
    QString strUrl = strContent.mid(lngAt);
    if (!strUrl.isEmpty() && (strUrl.front() == QLatin1Char('"') || strUrl.front() == QLatin1Char('\''))) {
        const QChar chrQuote = strUrl.front();
        strUrl.remove(0, 1);
        const qsizetype lngClose = strUrl.indexOf(chrQuote);
        if (lngClose >= 0)
            strUrl.truncate(lngClose);
    }
    directive.strUrl = strUrl.trimmed();
    return directive;
}
