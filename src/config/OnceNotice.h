#pragma once

#include <QString>
#include <functional>

// A notice that is given at most once, however often its cause recurs: on a full disk or in a
// folder that cannot be written every further write fails too, and the user is told once rather
// than at each of them. How the notice reaches the user is up to its owner (a message box in the
// window, a line on standard error on the command line).
class OnceNotice
{
public:
    using Sink = std::function<void(const QString& strText)>;

    explicit OnceNotice(Sink sink = {});

    void SetSink(Sink sink);

    // Passes strText to the sink unless a notice was given before. Returns true when it was given
    // now.
    bool Give(const QString& strText);

    bool Given() const { return m_blnGiven; }

private:
    Sink m_sink;
    bool m_blnGiven = false;
};
