#pragma once

#include "config/PageTable.h"

#include <vector>

class RouterProfile;

// The pages a diagnostic run reads, in the order it reads them, for the class and profile in use:
// the log-in page and the product, modem status and home pages (when the profile names them) for
// the classes that log in with a form, the system log, the PPP settings (and, on Class II, the PPP
// page they link to), the ADSL status, the diagnostic test unless Class II fetches it as a file,
// and the log-out page.
std::vector<RouterPage> PagesOfRun(const RouterProfile& profile);

// Where a page stands among them, counted from 1; 0 of 0 for a page the run does not read.
struct PageProgress
{
    int intPage = 0;
    int intPages = 0;
};
PageProgress ProgressOfPage(const RouterProfile& profile, RouterPage page);
