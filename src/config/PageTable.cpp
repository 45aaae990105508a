#include "config/PageTable.h"

#include "config/RouterProfile.h"

#include <utility>

namespace
{
int HexValue(char chrDigit)
{
    if (chrDigit >= '0' && chrDigit <= '9')
        return chrDigit - '0';
    if (chrDigit >= 'a' && chrDigit <= 'f')
        return chrDigit - 'a' + 10;
    if (chrDigit >= 'A' && chrDigit <= 'F')
        return chrDigit - 'A' + 10;
    return -1;
}

// Text with every valid %XX sequence decoded (as UTF-8); a "%" that starts none stays as it is.
QString PercentDecoded(const QString& strText)
{
    if (!strText.contains(QLatin1Char('%')))
        return strText;
    const QByteArray bytes = strText.toUtf8();
    QByteArray decoded;
    decoded.reserve(bytes.size());
    for (qsizetype lngAt = 0; lngAt < bytes.size(); ++lngAt) {
        const int intHigh = lngAt + 2 < bytes.size() ? HexValue(bytes.at(lngAt + 1)) : -1;
        const int intLow = intHigh >= 0 ? HexValue(bytes.at(lngAt + 2)) : -1;
        if (bytes.at(lngAt) == '%' && intLow >= 0) {
            decoded += static_cast<char>(intHigh * 16 + intLow);
            lngAt += 2;
        } else {
            decoded += bytes.at(lngAt);
        }
    }
    return QString::fromUtf8(decoded);
}
} // namespace

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
    // A browser reports a blank or a non-ASCII letter of a path percent-encoded, while a profile
    // holds the path as typed (or encoded itself): both are compared decoded.
    const QString strDecodedUrl = PercentDecoded(strUrl);
    RouterPage lngPage = RouterPage::None;
    for (const PageEntry& entry : arrPages) {
        if (!entry.strPath.isEmpty() && strDecodedUrl.contains(PercentDecoded(entry.strPath), Qt::CaseInsensitive))
            lngPage = entry.lngPage;
    }
    return lngPage;
}

void PageTable::ResetPageHits()
{
    intPageHits.fill(0);
}
