#include "SimTestKit.h"

#include <QTest>
#include <chrono>
#include <fstream>
#include <sstream>

std::vector<std::pair<const char*, SimTestFactory>>& SimTests()
{
    static std::vector<std::pair<const char*, SimTestFactory>> tests;
    return tests;
}

bool RegisterSimTest(const char* strName, SimTestFactory factory)
{
    SimTests().emplace_back(strName, std::move(factory));
    return true;
}

SimOptions OptionsFor(RouterClass routerClass, const std::string& strScenario)
{
    SimOptions options;
    options.routerClass = routerClass;
    options.blnClassGiven = true;
    options.strScenario = strScenario;
    const std::string strError = ParseScenario(strScenario, routerClass, options.scenario);
    if (!strError.empty())
        qFatal("bad scenario in test: %s", strError.c_str());
    return options;
}

RunningSimulator::RunningSimulator(const SimOptions& options)
    : m_simulator(std::make_unique<RouterSimulator>(options))
{
    m_intPort = m_simulator->Bind();
    if (m_intPort <= 0)
        qFatal("the simulator could not bind a loopback port");
    m_thread = std::thread([this] { m_simulator->Serve(); });
}

RunningSimulator::~RunningSimulator()
{
    m_simulator->Stop();
    m_thread.join();
}

std::string PageResult::Header(const std::string& strName) const
{
    const auto found = headers.find(strName);
    return found == headers.end() ? std::string() : found->second;
}

SimClient::SimClient(int intPort)
    : m_client("127.0.0.1", intPort)
{
    m_client.set_connection_timeout(std::chrono::seconds(5));
    m_client.set_read_timeout(std::chrono::seconds(5));
    m_client.set_follow_location(false);
}

void SimClient::SetBasicAuth(const std::string& strUser, const std::string& strPassword)
{
    m_client.set_basic_auth(strUser.c_str(), strPassword.c_str());
}

#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
void SimClient::SetDigestAuth(const std::string& strUser, const std::string& strPassword)
{
    m_client.set_digest_auth(strUser.c_str(), strPassword.c_str());
}
#endif

std::string SimClient::Cookie(const std::string& strName) const
{
    const auto found = m_cookies.find(strName);
    return found == m_cookies.end() ? std::string() : found->second;
}

httplib::Headers SimClient::RequestHeaders() const
{
    httplib::Headers headers;
    std::string strCookies;
    for (const auto& [strName, strValue] : m_cookies)
        strCookies += (strCookies.empty() ? "" : "; ") + strName + "=" + strValue;
    if (!strCookies.empty())
        headers.emplace("Cookie", strCookies);
    return headers;
}

PageResult SimClient::Keep(const httplib::Result& result)
{
    PageResult page;
    if (!result)
        return page;
    page.intStatus = result->status;
    page.strBody = result->body;
    page.headers = result->headers;
    page.strContentType = result->get_header_value("Content-Type");
    const std::size_t intCount = result->get_header_value_count("Set-Cookie");
    for (std::size_t i = 0; i < intCount; ++i) {
        const std::string strHeader = result->get_header_value("Set-Cookie", i);
        const std::string strPair = strHeader.substr(0, strHeader.find(';'));
        const auto intEquals = strPair.find('=');
        if (intEquals == std::string::npos)
            continue;
        const std::string strName = strPair.substr(0, intEquals);
        const std::string strValue = strPair.substr(intEquals + 1);
        if (strValue.empty() || Contains(strHeader, "Max-Age=0"))
            m_cookies.erase(strName);
        else
            m_cookies[strName] = strValue;
    }
    return page;
}

PageResult SimClient::Get(const std::string& strPath)
{
    return Keep(m_client.Get(strPath.c_str(), RequestHeaders()));
}

PageResult SimClient::Post(const std::string& strPath, const std::string& strForm)
{
    return Keep(m_client.Post(strPath.c_str(), RequestHeaders(), strForm, "application/x-www-form-urlencoded"));
}

bool Contains(const std::string& strText, const std::string& strPart)
{
    return strText.find(strPart) != std::string::npos;
}

int CountOf(const std::string& strText, const std::string& strPart)
{
    int intCount = 0;
    for (auto intPos = strText.find(strPart); intPos != std::string::npos; intPos = strText.find(strPart, intPos + 1))
        ++intCount;
    return intCount;
}

std::string LineWith(const std::string& strHtml, const std::string& strMarker)
{
    std::istringstream stream(strHtml);
    std::string strLine;
    while (std::getline(stream, strLine)) {
        if (Contains(strLine, strMarker))
            return strLine;
    }
    return std::string();
}

namespace
{

std::string WithoutTags(const std::string& strHtml)
{
    std::string strText;
    bool blnInTag = false;
    for (const char ch : strHtml) {
        if (ch == '<')
            blnInTag = true;
        else if (ch == '>')
            blnInTag = false;
        else if (!blnInTag)
            strText += ch;
    }
    return strText;
}

} // namespace

std::vector<std::vector<std::string>> TableRows(const std::string& strHtml)
{
    std::vector<std::vector<std::string>> rows;
    std::string::size_type intPos = 0;
    while ((intPos = strHtml.find("<tr", intPos)) != std::string::npos) {
        const auto intEnd = strHtml.find("</tr>", intPos);
        if (intEnd == std::string::npos)
            break;
        const std::string strRow = strHtml.substr(intPos, intEnd - intPos);
        std::vector<std::string> cells;
        std::string::size_type intCell = 0;
        while ((intCell = strRow.find("<td", intCell)) != std::string::npos) {
            const auto intOpenEnd = strRow.find('>', intCell);
            const auto intClose = strRow.find("</td>", intOpenEnd);
            if (intOpenEnd == std::string::npos || intClose == std::string::npos)
                break;
            cells.push_back(WithoutTags(strRow.substr(intOpenEnd + 1, intClose - intOpenEnd - 1)));
            intCell = intClose;
        }
        rows.push_back(cells);
        intPos = intEnd;
    }
    return rows;
}

std::map<std::string, std::string> ReadIniFile(const std::string& strPath)
{
    std::map<std::string, std::string> values;
    std::ifstream file(strPath, std::ios::binary);
    std::string strLine;
    std::string strSection;
    while (std::getline(file, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (strLine.empty())
            continue;
        if (strLine.front() == '[') {
            strSection = strLine.substr(1, strLine.find(']') - 1);
            continue;
        }
        const auto intEquals = strLine.find('=');
        if (intEquals != std::string::npos)
            values[strSection + "/" + strLine.substr(0, intEquals)] = strLine.substr(intEquals + 1);
    }
    return values;
}
