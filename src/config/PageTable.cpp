#include "config/PageTable.h"

#include "config/RouterProfile.h"

#include <utility>

void PageTable::RegisterPage(const QString& strPath, int lngPage)
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
    RegisterPage(profile.strLoginPage, intPageLogin);
    RegisterPage(profile.strSystemLogPage, intPageSystemLog);
    RegisterPage(profile.strAdslPage, intPageAdsl);
    RegisterPage(profile.strDiagTestPage, intPageDiagTest);
    RegisterPage(profile.strPppPage, intPagePpp);
    RegisterPage(profile.strLogoutPage, intPageLogout);
    RegisterPage(profile.strProductInfoPage, intPageProductInfo);
    RegisterPage(profile.strModemStatusPage, intPageModemStatus);
    RegisterPage(profile.strHomePage, intPageHome);
    SortPages();
}

int PageTable::FindPage(const QString& strUrl) const
{
    int lngPage = intPageNone;
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
