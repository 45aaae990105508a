#pragma once

#include <QString>
#include <vector>

// What a label says about the value that follows it ("SSID: HomeNet", "Serial Number</b> RS22-1").
enum class ValueKind { None, NetworkName, Secret, UserName, SerialNumber, HostName, HardwareAddress };

// What the words in front of an IPv4 address make of it: the user's own (or an unmarked) address, a
// server, mask or ping target that a helper needs to see, or a version number.
enum class AddressRole { Unmarked, Own, Public, Version };

struct LabelledValue
{
    qsizetype start = 0;
    qsizetype end = 0;
    ValueKind kind = ValueKind::None;
};

// The values on strLine that a label names. A label is the last words before ":", "=", a tab, two
// blanks or a tag; the value runs to the closing quote, or for a network name to the next tab, two
// blanks or tag, for a hardware address over its twelve hexadecimal digits, otherwise to the next
// blank. Values that are masks already (they start with "<") are left out. With lngFrom, only what
// follows that position is read: a value that ends there is no part of a later label.
std::vector<LabelledValue> FindLabelledValues(const QString& strLine, qsizetype lngFrom = 0);

// The kind of a line that holds a label and nothing else ("SSID", "Serial Number:"); its value is the
// next line that is not blank.
ValueKind BareLabelKind(const QString& strLine);

// The stretch of strLine that holds the value of a label of that kind when the value starts at
// position start; an empty stretch (start == end) when none does.
LabelledValue ValueAt(const QString& strLine, qsizetype start, ValueKind kind);

// The role of the IPv4 address that starts at position start of strLine, read from the up to three
// words before it (a version word only right before it).
AddressRole RoleOfAddressAt(const QString& strLine, qsizetype start);
