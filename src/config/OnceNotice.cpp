#include "config/OnceNotice.h"

#include <utility>

OnceNotice::OnceNotice(Sink sink)
    : m_sink(std::move(sink))
{ }

void OnceNotice::SetSink(Sink sink)
{
    m_sink = std::move(sink);
}

bool OnceNotice::Give(const QString& strText)
{
    if (m_blnGiven)
        return false;
    m_blnGiven = true;
    if (m_sink)
        m_sink(strText);
    return true;
}
