#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

// The head of an HTTP answer as it arrives line by line: the status line, then header lines,
// then an empty line. A status line starts the head afresh (after a challenge or an interim
// answer, the next answer replaces it).
class ResponseHead
{
public:
    enum class Line { Status, Header, End, Ignored };

    // Takes one line, with or without its line break.
    Line TakeLine(QByteArrayView line);

    int Status() const { return m_intStatus; }
    // The first header of that name (case-insensitive), empty when absent.
    QByteArray Header(const QByteArray& name) const;
    // Every value of a header that may repeat (Set-Cookie).
    QList<QByteArray> Headers(const QByteArray& name) const;
    // The Content-Length, or -1 when there is none or it is no number.
    qint64 ContentLength() const;

private:
    int m_intStatus = 0;
    QList<QPair<QByteArray, QByteArray>> m_headers;
};
