#pragma once

#include <QString>
#include <QStringList>

// Censoring of the report before it is shown and of the captured IP configuration.
//
// Fixed mask texts, so that a reader of the report can tell what was hidden.
inline const QString strPhysicalAddressLine
    = QStringLiteral("        Physical Address . . . . . . . . . . . : X.X.X.X");
inline const QString strEthernetMacLine = QStringLiteral("Ethernet MAC <censored>");
inline const QString strSsidLine = QStringLiteral("<SSID censored>");
inline const QString strAddressMask = QStringLiteral("<censored>");
inline const QString strHardwareMask = QStringLiteral("X-X-X-X-X-X");
inline const QString strDuidMask = QStringLiteral("X-X-X-X-X-X-X-X");
inline const QString strIpv6Mask = QStringLiteral("X:X:X:X:X:X:X:X");

// With intCensor == 1 (the "Censor data" box checked) returns strText with hardware address,
// Ethernet MAC and wireless network name lines replaced by fixed texts, hardware addresses
// elsewhere, DHCPv6 client DUIDs and IPv6 addresses masked, and every dotted number of three dots or
// more that stands on a line without an exempt keyword (DNS, Subnet, Ping, Default Gateway, DHCP
// Server, the IP configuration's address line, http://) replaced by "<censored>" wherever it occurs
// in the text, together with any longer number it overlaps there. Lines that name a version
// (Firmware, Version, Software, F/W) keep their dotted numbers, except one that is itself such an
// address. Any other intCensor value returns strText unchanged.
QString FilterReport(const QString& strText, int intCensor);

// Masks the hardware addresses (other than 00-00-00-00-00-00), DHCPv6 client DUIDs and IPv6
// addresses of a captured IP configuration listing.
QString CensorMacAddresses(const QString& strText);

// Every run of digits and dots on strLine that holds three dots or more, in line order. Dots that
// end a run (a full stop after an address) are not part of it unless the run would then hold fewer
// than three.
QStringList FindDottedNumbers(const QString& strLine);

// The first of FindDottedNumbers(strLine), or an empty text.
QString FindDottedNumber(const QString& strLine);

// strLine with every IPv6 address (in colon notation, zone and prefix length left standing)
// replaced by strIpv6Mask.
QString MaskIpv6Addresses(const QString& strLine);

// strLine with every hardware address (six or more pairs of hexadecimal digits joined by ":" or "-",
// standing as a word of its own) replaced by strHardwareMask; one that holds the all-zero address
// (six zero pairs in a row) is kept, as the hardware address lines with it are.
QString MaskHardwareAddresses(const QString& strLine);
