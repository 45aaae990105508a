#pragma once

#include <string>
#include <vector>

// What one simulated router is: its class, the address it listens on, the credentials it accepts,
// the behaviour it shows (scenario) and how long it may live.

enum class RouterClass { ClassI, ClassII, ClassV };

// The behaviours a scenario switches on. "normal" is all of them off; several may be combined
// with commas ("digest,login-refused").
struct Scenario
{
    bool blnLoginRefused = false; // every login fails; pages ask to log in again
    bool blnDiagNever = false; // the diagnostic test page keeps refreshing without a result
    bool blnDiagError = false; // the diagnostic test page reports "errorText"
    bool blnReloadForever = false; // the system log keeps coming back (redirect loop)
    bool blnNoPppLink = false; // Class II: the connections page lists no connection
    bool blnProcDiag = false; // Class II: statistics under /proc/ instead of a diagnostics page
    bool blnDigest = false; // Class I: Digest instead of Basic authentication
    bool blnScripted = false; // status, log and diagnostic values are put on the pages by scripts
    bool blnLoginElsewhere = false; // Class II: the login form posts to another host (127.0.0.2)
    bool blnDrift = false; // the ADSL values drift over a compressed day, with resyncs now and then
};

struct SimOptions
{
    RouterClass routerClass = RouterClass::ClassI;
    bool blnClassGiven = false;
    int intPort = 0; // 0: any free port
    Scenario scenario;
    std::string strScenario = "normal";
    std::string strUser = "admin";
    std::string strPassword = "secret";
    int intRefreshSeconds = 1;
    int intLifetimeSeconds = 600;
    bool blnVerbose = false;
    bool blnHelp = false;
};

inline constexpr int intMaxLifetimeSeconds = 3600;
inline constexpr int intMaxRefreshSeconds = 3600;

// Parses the arguments after the program name into options. Returns "" on success, otherwise one
// line that names the offending option; options is then only partly filled.
std::string ParseSimOptions(const std::vector<std::string>& arguments, SimOptions& options);

// Parses a scenario list ("normal", or names joined by commas) and checks that it suits the class.
// Returns "" on success, otherwise the reason.
std::string ParseScenario(const std::string& strText, RouterClass routerClass, Scenario& scenario);

std::string SimUsage();

std::string RouterClassName(RouterClass routerClass);
