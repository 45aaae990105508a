#pragma once

#include <QString>

// The value that stands for an address text that could not be parsed.
inline constexpr qint64 lngBadAddress = -1;

// Parses an IPv4 address text by the classic rules of the sockets library's address parser: one
// to four parts separated by dots, each decimal, octal with a leading 0 or hexadecimal with 0x; a
// last part fills all the bytes that remain ("127.1" is 127.0.0.1, "10.65535" is 10.0.255.255).
// A blank or other white space ends the address and whatever follows it is ignored. Returns the
// address as a number in host order (127.0.0.1 is 0x7F000001), or lngBadAddress for a bad format
// and for the all-ones address 255.255.255.255, which the classic parser cannot tell apart.
qint64 ParseInetAddr(const QString& strAddress);
