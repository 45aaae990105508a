#pragma once

#include <QString>
#include <array>
#include <vector>

class RouterProfile;

// The pages of a run, by the page numbers that the trace and the hit limit show. None stands for
// no page: an unknown URL, or no page expected.
enum class RouterPage {
    None = 0,
    Login = 1,
    SystemLog = 2,
    Adsl = 3,
    DiagTest = 4,
    Ppp = 5, // Class II: the WAN page that links to the PPP settings
    Logout = 6,
    PppLink = 7, // Class II: the PPP settings page linked from page 5
    ProductInfo = 8,
    ModemStatus = 9,
    Home = 10
};

inline int PageNumber(RouterPage page)
{
    return static_cast<int>(page);
}

struct PageEntry
{
    QString strPath;
    RouterPage lngPage = RouterPage::None;
};

// Binds the page paths of the router-class profile to page numbers and identifies loaded URLs by
// them, and counts the loads of each page during a run.
class PageTable
{
public:
    // Entry 0 is taken over while its path is empty; otherwise the entry is appended. Empty paths
    // are stored too (they never match).
    void RegisterPage(const QString& strPath, RouterPage lngPage);

    // Orders the entries by ascending path length (an exchange sort; entries of equal length keep
    // no particular order).
    void SortPages();

    // Rebuilds the table from the profile's paths: pages 1 to 6 and 8 to 10, sorted. Page 7 is
    // registered by the run once it has found the link.
    void RebuildPageTable(const RouterProfile& profile);

    // The page whose path occurs in strUrl, letter case ignored; of several, the last one in the
    // table, which after sorting is the longest. None when none does.
    RouterPage FindPage(const QString& strUrl) const;

    void ResetPageHits();
    int& PageHits(RouterPage page) { return intPageHits[static_cast<std::size_t>(page)]; }

    std::vector<PageEntry> arrPages;
    std::array<int, 11> intPageHits {}; // loads per page number, indexes 1 to 10
};
