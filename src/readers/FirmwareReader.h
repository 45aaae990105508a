#pragma once

#include <QString>

class VendorTable;

// "Firmware: " and the version shown on the router's home page, taken from the value cell that
// follows the "Firmware version" label (before the "System Uptime" label); empty when not found.
QString ReadFirmwareVersion(const QString& strHtml);

// Decodes the exchange-side chip vendor code (hexadecimal pairs after "ATUC Vendor Code:") from a
// Class II modem statistics text, names it through vendors and appends
// "ISP Hardware = <vendor>" and an empty line to strReportBody. A code that is not in the table is
// written as the decoded code followed by " [unknown]", with any character 0 in it shown as "?".
void ReadIspHardware(const QString& strStatsText, const VendorTable& vendors, QString& strReportBody);

// The characters encoded by strHexPairs, two hexadecimal digits per character. Spaces and LF inside
// a pair are skipped, a pair is read up to its first other non-hexadecimal character, and a pair
// without any digit stands for the character 0.
QString DecodeHexPairs(const QString& strHexPairs);
