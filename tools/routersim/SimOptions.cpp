#include "SimOptions.h"

#include <algorithm>
#include <cctype>

namespace
{

std::string Lower(std::string strText)
{
    std::transform(strText.begin(), strText.end(), strText.begin(),
        [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return strText;
}

// A whole decimal number from intMin to intMax, nothing else (no sign, no blanks).
bool ParseNumber(const std::string& strText, int intMin, int intMax, int& intValue)
{
    if (strText.empty() || strText.size() > 9)
        return false;
    long lngValue = 0;
    for (const char ch : strText) {
        if (ch < '0' || ch > '9')
            return false;
        lngValue = lngValue * 10 + (ch - '0');
    }
    if (lngValue < intMin || lngValue > intMax)
        return false;
    intValue = static_cast<int>(lngValue);
    return true;
}

bool ParseClass(const std::string& strText, RouterClass& routerClass)
{
    const std::string strName = Lower(strText);
    if (strName == "i")
        routerClass = RouterClass::ClassI;
    else if (strName == "ii")
        routerClass = RouterClass::ClassII;
    else if (strName == "v")
        routerClass = RouterClass::ClassV;
    else
        return false;
    return true;
}

std::vector<std::string> SplitAtCommas(const std::string& strText)
{
    std::vector<std::string> pieces;
    std::string::size_type intStart = 0;
    while (true) {
        const auto intComma = strText.find(',', intStart);
        pieces.push_back(
            strText.substr(intStart, intComma == std::string::npos ? std::string::npos : intComma - intStart));
        if (intComma == std::string::npos)
            break;
        intStart = intComma + 1;
    }
    return pieces;
}

} // namespace

std::string RouterClassName(RouterClass routerClass)
{
    switch (routerClass) {
    case RouterClass::ClassI:
        return "I";
    case RouterClass::ClassII:
        return "II";
    case RouterClass::ClassV:
        return "V";
    }
    return "?";
}

std::string ParseScenario(const std::string& strText, RouterClass routerClass, Scenario& scenario)
{
    scenario = Scenario();
    const std::vector<std::string> names = SplitAtCommas(strText);
    for (const std::string& strName : names) {
        if (strName == "normal") {
            if (names.size() > 1)
                return "scenario \"normal\" cannot be combined with others";
        } else if (strName == "login-refused") {
            scenario.blnLoginRefused = true;
        } else if (strName == "diag-never") {
            scenario.blnDiagNever = true;
        } else if (strName == "diag-error") {
            scenario.blnDiagError = true;
        } else if (strName == "reload-forever") {
            scenario.blnReloadForever = true;
        } else if (strName == "no-ppp-link") {
            scenario.blnNoPppLink = true;
        } else if (strName == "proc-diag") {
            scenario.blnProcDiag = true;
        } else if (strName == "digest") {
            scenario.blnDigest = true;
        } else if (strName == "scripted") {
            scenario.blnScripted = true;
        } else if (strName == "login-elsewhere") {
            scenario.blnLoginElsewhere = true;
        } else if (strName == "drift") {
            scenario.blnDrift = true;
        } else {
            return "unknown scenario \"" + strName + "\"";
        }
    }
    if (scenario.blnDiagNever && scenario.blnDiagError)
        return "scenarios diag-never and diag-error exclude each other";
    if (scenario.blnProcDiag && (scenario.blnDiagNever || scenario.blnDiagError))
        return "scenario proc-diag has no diagnostic test page to combine with diag-never or diag-error";
    if ((scenario.blnNoPppLink || scenario.blnProcDiag) && routerClass != RouterClass::ClassII)
        return "scenarios no-ppp-link and proc-diag need --class II";
    if (scenario.blnLoginElsewhere && routerClass != RouterClass::ClassII)
        return "scenario login-elsewhere needs --class II";
    if (scenario.blnDigest && routerClass != RouterClass::ClassI)
        return "scenario digest needs --class I";
    return std::string();
}

std::string ParseSimOptions(const std::vector<std::string>& arguments, SimOptions& options)
{
    options = SimOptions();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string strName = arguments[i];
        std::string strValue;
        bool blnHasValue = false;
        const auto intEquals = strName.find('=');
        if (strName.rfind("--", 0) == 0 && intEquals != std::string::npos) {
            strValue = strName.substr(intEquals + 1);
            strName = strName.substr(0, intEquals);
            blnHasValue = true;
        }

        if (strName == "--help" || strName == "-h") {
            options.blnHelp = true;
            continue;
        }
        if (strName == "--verbose") {
            options.blnVerbose = true;
            continue;
        }

        const bool blnKnown = strName == "--class" || strName == "--port" || strName == "--scenario"
            || strName == "--user" || strName == "--password" || strName == "--refresh-seconds"
            || strName == "--lifetime-seconds";
        if (!blnKnown)
            return "unknown option " + strName;
        if (!blnHasValue) {
            if (i + 1 >= arguments.size())
                return "option " + strName + " needs a value";
            strValue = arguments[++i];
        }

        if (strName == "--class") {
            if (!ParseClass(strValue, options.routerClass))
                return "--class must be I, II or V";
            options.blnClassGiven = true;
        } else if (strName == "--port") {
            if (!ParseNumber(strValue, 0, 65535, options.intPort))
                return "--port must be a number from 0 to 65535";
        } else if (strName == "--scenario") {
            options.strScenario = strValue;
        } else if (strName == "--user") {
            options.strUser = strValue;
        } else if (strName == "--password") {
            options.strPassword = strValue;
        } else if (strName == "--refresh-seconds") {
            if (!ParseNumber(strValue, 0, intMaxRefreshSeconds, options.intRefreshSeconds))
                return "--refresh-seconds must be a number from 0 to " + std::to_string(intMaxRefreshSeconds);
        } else if (strName == "--lifetime-seconds") {
            if (!ParseNumber(strValue, 1, intMaxLifetimeSeconds, options.intLifetimeSeconds))
                return "--lifetime-seconds must be a number from 1 to " + std::to_string(intMaxLifetimeSeconds);
        }
    }
    if (options.blnHelp)
        return std::string();
    if (!options.blnClassGiven)
        return "--class is required (I, II or V)";
    const std::string strScenarioError = ParseScenario(options.strScenario, options.routerClass, options.scenario);
    if (!strScenarioError.empty())
        return "--scenario: " + strScenarioError;
    return std::string();
}

std::string SimUsage()
{
    return "Usage: quorvane-routersim --class I|II|V [--port N] [--scenario NAME[,NAME...]]\n"
           "                          [--user NAME] [--password PW] [--refresh-seconds S]\n"
           "                          [--lifetime-seconds S] [--verbose]\n"
           "\n"
           "Serves the web interface of a simulated ADSL router on 127.0.0.1 and prints\n"
           "\"port=<N>\" once it listens. Stops on SIGTERM or SIGINT, or by itself after\n"
           "--lifetime-seconds (default 600, at most 3600).\n"
           "\n"
           "  --port N             port to listen on; 0 (the default) picks a free one\n"
           "  --scenario NAME      normal (default), login-refused, diag-never, diag-error,\n"
           "                       reload-forever, no-ppp-link (II), proc-diag (II), digest (I),\n"
           "                       scripted, login-elsewhere (II),\n"
           "                       drift\n"
           "  --user, --password   the credentials the router accepts (admin / secret)\n"
           "  --refresh-seconds S  reload delay of the diagnostic test page (default 1)\n"
           "  --verbose            one line per request on standard error\n";
}
