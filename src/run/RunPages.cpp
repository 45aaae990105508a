#include "run/RunPages.h"

#include "config/RouterProfile.h"

#include <algorithm>

std::vector<RouterPage> PagesOfRun(const RouterProfile& profile)
{
    std::vector<RouterPage> pages;
    const bool blnFormLogin = profile.intRouterClass != 1;
    const bool blnClassII = profile.intRouterClass == 2;
    if (blnFormLogin) {
        pages.push_back(RouterPage::Login);
        if (!profile.strProductInfoPage.isEmpty()) {
            pages.push_back(RouterPage::ProductInfo);
            if (!profile.strModemStatusPage.isEmpty()) {
                pages.push_back(RouterPage::ModemStatus);
                pages.push_back(RouterPage::Home);
            }
        }
    }
    pages.push_back(RouterPage::SystemLog);
    pages.push_back(RouterPage::Ppp);
    if (blnClassII)
        pages.push_back(RouterPage::PppLink);
    pages.push_back(RouterPage::Adsl);
    if (!blnClassII || !profile.strDiagTestPage.contains(QStringLiteral("/proc/"), Qt::CaseInsensitive))
        pages.push_back(RouterPage::DiagTest);
    if (blnFormLogin)
        pages.push_back(RouterPage::Logout);
    return pages;
}

PageProgress ProgressOfPage(const RouterProfile& profile, RouterPage page)
{
    const std::vector<RouterPage> pages = PagesOfRun(profile);
    const auto found = std::find(pages.begin(), pages.end(), page);
    if (found == pages.end())
        return {};
    return { static_cast<int>(found - pages.begin()) + 1, static_cast<int>(pages.size()) };
}
