#include "SessionStore.h"

SessionStore::SessionStore()
{
    std::random_device device;
    std::seed_seq seed { device(), device(), device(), device() };
    m_random.seed(seed);
}

std::string SessionStore::RandomHex(int intDigits)
{
    static const char digits[] = "0123456789abcdef";
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string strHex;
    for (int i = 0; i < intDigits; ++i)
        strHex += digits[m_random() % 16];
    return strHex;
}

std::string SessionStore::Create()
{
    while (true) {
        const std::string strToken = RandomHex(32);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_sessions.size() >= static_cast<std::size_t>(intMaxSessions))
            m_sessions.erase(m_sessions.begin());
        if (m_sessions.emplace(strToken, Session()).second)
            return strToken;
    }
}

bool SessionStore::Exists(const std::string& strToken) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !strToken.empty() && m_sessions.count(strToken) != 0;
}

void SessionStore::End(const std::string& strToken)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions.erase(strToken);
}

int SessionStore::Count() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_sessions.size());
}

int SessionStore::CountDiagnosticLoad(const std::string& strToken)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_sessions.find(strToken);
    if (found == m_sessions.end())
        return 0;
    return ++found->second.intDiagLoads;
}
