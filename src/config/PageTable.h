#pragma once

#include <QString>
#include <array>
#include <vector>

class RouterProfile;

// Page numbers of a run. 0 stands for no page: an unknown URL, or no page expected.
inline constexpr int intPageNone = 0;
inline constexpr int intPageLogin = 1;
inline constexpr int intPageSystemLog = 2;
inline constexpr int intPageAdsl = 3;
inline constexpr int intPageDiagTest = 4;
inline constexpr int intPagePpp = 5; // Class II: the WAN page that links to the PPP settings
inline constexpr int intPageLogout = 6;
inline constexpr int intPagePppLink = 7; // Class II: the PPP settings page linked from page 5
inline constexpr int intPageProductInfo = 8;
inline constexpr int intPageModemStatus = 9;
inline constexpr int intPageHome = 10;

struct PageEntry
{
    QString strPath;
    int lngPage = 0;
};

// Binds the page paths of the router-class profile to page numbers and identifies loaded URLs by
// them, and counts the loads of each page during a run.
class PageTable
{
public:
    // Entry 0 is taken over while its path is empty; otherwise the entry is appended. Empty paths
    // are stored too (they never match).
    void RegisterPage(const QString& strPath, int lngPage);

    // Orders the entries by ascending path length (an exchange sort; entries of equal length keep
    // no particular order).
    void SortPages();

    // Rebuilds the table from the profile's paths: pages 1 to 6 and 8 to 10, sorted. Page 7 is
    // registered by the run once it has found the link.
    void RebuildPageTable(const RouterProfile& profile);

    // The page whose path occurs in strUrl, letter case ignored; of several, the last one in the
    // table, which after sorting is the longest. 0 when none does.
    int FindPage(const QString& strUrl) const;

    void ResetPageHits();

    std::vector<PageEntry> arrPages;
    std::array<int, 11> intPageHits {}; // loads per page number, indexes 1 to 10
};
