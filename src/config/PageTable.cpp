#include "config/PageTable.h"

#include "config/RouterProfile.h"

#include <utility>

void PageTable::RegisterPage(const QString& strPath, RouterPage lngPage)
{
    if (!arrPages.empty() && arrPages.front().strPath.isEmpty())
        arrPages.front() = PageEntry { strPath, lngPage };
    else
        arrPages.push_back(PageEntry { strPath, lngPage });
}

void PageTable::SortPages()
{
    for (std::size_t intA = 0; intA + 1 < arrPages.size(); ++intA) {
        for (std::size_t intI = intA + 1; intI < arrPages.size(); ++intI) {
            if (arrPages[intI].strPath.size() < arrPages[intA].strPath.size())
                std::swap(arrPages[intI], arrPages[intA]);
        }
    }
}

void PageTable::RebuildPageTable(const RouterProfile& profile)
{
    arrPages.assign(1, PageEntry {});
    RegisterPage(profile.strLoginPage, RouterPage::Login);
    RegisterPage(profile.strSystemLogPage, RouterPage::SystemLog);
    RegisterPage(profile.strAdslPage, RouterPage::Adsl);
    RegisterPage(profile.strDiagTestPage, RouterPage::DiagTest);
    RegisterPage(profile.strPppPage, RouterPage::Ppp);
    RegisterPage(profile.strLogoutPage, RouterPage::Logout);
    RegisterPage(profile.strProductInfoPage, RouterPage::ProductInfo);
    RegisterPage(profile.strModemStatusPage, RouterPage::ModemStatus);
    RegisterPage(profile.strHomePage, RouterPage::Home);
    SortPages();
}

RouterPage PageTable::FindPage(const QString& strUrl) const
{
    RouterPage lngPage = RouterPage::None;
    for (const PageEntry& entry : arrPages) {
        if (!entry.strPath.isEmpty() && strUrl.contains(entry.strPath, Qt::CaseInsensitive))
            lngPage = entry.lngPage;
    }
    return lngPage;
}

void PageTable::ResetPageHits()
{
    intPageHits.fill(0);
}
