#pragma once

#include <map>
#include <mutex>
#include <random>
#include <string>

// The logins a simulated router remembers, keyed by the token in its session cookie. Handlers run
// on the server's worker threads, so every operation takes the lock.
class SessionStore
{
public:
    SessionStore();

    // At most this many sessions are kept; a new one beyond it pushes out an arbitrary old one, so a
    // client that never sends its cookie back cannot make the store grow without bound.
    static constexpr int intMaxSessions = 256;

    // Starts a session and returns its token (32 hexadecimal digits).
    std::string Create();
    bool Exists(const std::string& strToken) const;
    void End(const std::string& strToken);
    int Count() const;

    // Counts one more load of the diagnostic test page in this session and returns the new count;
    // 0 for a token that names no session.
    int CountDiagnosticLoad(const std::string& strToken);

    // A random token of intDigits hexadecimal digits, also used for nonces.
    std::string RandomHex(int intDigits);

private:
    struct Session
    {
        int intDiagLoads = 0;
    };

    mutable std::mutex m_mutex;
    std::map<std::string, Session> m_sessions;
    std::mt19937_64 m_random;
};
