#include "browser/transfer/ResponseHead.h"

ResponseHead::Line ResponseHead::TakeLine(QByteArrayView line)
{
    const QByteArray text = line.toByteArray().trimmed();
    if (text.startsWith("HTTP/")) {
        const qsizetype lngBlank = text.indexOf(' ');
        bool blnNumber = false;
        const int intStatus = lngBlank < 0 ? 0 : text.mid(lngBlank + 1, 3).toInt(&blnNumber);
        m_intStatus = blnNumber ? intStatus : 0;
        m_headers.clear();
        return Line::Status;
    }
    if (text.isEmpty())
        return Line::End;
    const qsizetype lngColon = text.indexOf(':');
    if (lngColon <= 0)
        return Line::Ignored;
    m_headers.append({ text.left(lngColon).trimmed(), text.mid(lngColon + 1).trimmed() });
    return Line::Header;
}

QByteArray ResponseHead::Header(const QByteArray& name) const
{
    for (const auto& [headerName, value] : m_headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QByteArray();
}

QList<QByteArray> ResponseHead::Headers(const QByteArray& name) const
{
    QList<QByteArray> values;
    for (const auto& [headerName, value] : m_headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            values.append(value);
    }
    return values;
}

qint64 ResponseHead::ContentLength() const
{
    bool blnNumber = false;
    const qint64 lngLength = Header("Content-Length").toLongLong(&blnNumber);
    return blnNumber && lngLength >= 0 ? lngLength : -1;
}
