#pragma once

#include "RouterSimulator.h"
#include "SimOptions.h"

#include <QObject>
#include <QTest>
#include <functional>
#include <httplib.h>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// What the simulator tests share: a simulator running in-process on a free loopback port, a client
// that keeps cookies like a browser, and a few text checks.

namespace QTest
{
// Lets QCOMPARE print the two sides when std::string values differ.
template <> inline char* toString(const std::string& strValue)
{
    return qstrdup(strValue.c_str());
}
} // namespace QTest

// Test classes register themselves; the test program runs them all, or the one named first.
using SimTestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<std::pair<const char*, SimTestFactory>>& SimTests();
bool RegisterSimTest(const char* strName, SimTestFactory factory);

#define ROUTERSIM_TEST(Class)                                                                                          \
    static const bool blnRegistered_##Class                                                                            \
        = RegisterSimTest(#Class, [] { return std::unique_ptr<QObject>(new Class); });

SimOptions OptionsFor(RouterClass routerClass, const std::string& strScenario = "normal");

class RunningSimulator
{
public:
    explicit RunningSimulator(const SimOptions& options);
    ~RunningSimulator();

    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    int Port() const { return m_intPort; }
    RouterSimulator& Simulator() { return *m_simulator; }

private:
    std::unique_ptr<RouterSimulator> m_simulator;
    std::thread m_thread;
    int m_intPort = -1;
};

struct PageResult
{
    int intStatus = 0; // 0: no answer at all
    std::string strBody;
    std::string strContentType;
    httplib::Headers headers;

    std::string Header(const std::string& strName) const;
};

// A client for one simulated router that keeps the cookies it is given, as a browser would.
class SimClient
{
public:
    explicit SimClient(int intPort);

    void SetBasicAuth(const std::string& strUser, const std::string& strPassword);
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
    // The library's Digest client needs its TLS build (not available for Windows here).
    void SetDigestAuth(const std::string& strUser, const std::string& strPassword);
#endif
    void ForgetCookies()
    {
        m_cookies.clear();
    }
    void SetCookie(const std::string& strName, const std::string& strValue)
    {
        m_cookies[strName] = strValue;
    }
    std::string Cookie(const std::string& strName) const;

    PageResult Get(const std::string& strPath);
    // Posts strForm (already URL-encoded) as a form.
    PageResult Post(const std::string& strPath, const std::string& strForm);

private:
    httplib::Headers RequestHeaders() const;
    PageResult Keep(const httplib::Result& result);

    httplib::Client m_client;
    std::map<std::string, std::string> m_cookies;
};

bool Contains(const std::string& strText, const std::string& strPart);
int CountOf(const std::string& strText, const std::string& strPart);
// The source line of strHtml that holds strMarker, or "" (lines end at LF).
std::string LineWith(const std::string& strHtml, const std::string& strMarker);
// The text of the cells of each <tr> row of the HTML, tags removed.
std::vector<std::vector<std::string>> TableRows(const std::string& strHtml);
// Key/value pairs of an INI file, as "Section/Key" -> value.
std::map<std::string, std::string> ReadIniFile(const std::string& strPath);
