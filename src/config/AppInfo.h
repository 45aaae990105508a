#pragma once

#include <QString>

// Fixed facts about the program that several modules quote: its title, version and support site,
// and the public internet host that a run pings when the profile does not name another address.
namespace AppInfo
{
inline constexpr int intVersionMajor = QUORVANE_VERSION_MAJOR;
inline constexpr int intVersionMinor = QUORVANE_VERSION_MINOR;
inline constexpr int intVersionRevision = QUORVANE_VERSION_PATCH;

inline QString AppTitle()
{
    return QStringLiteral("Quorvane");
}
inline QString SupportSite()
{
    return QStringLiteral("www.quorvane.example");
}
inline QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(intVersionMajor).arg(intVersionMinor).arg(intVersionRevision);
}

// The built-in internet host. Only real runs use these: tests and demos always replace them
// with "localhost" and 127.0.0.1.
inline QString BuiltInPingHost()
{
    return QStringLiteral("one.one.one.one");
}
inline QString BuiltInPingIP()
{
    return QStringLiteral("1.1.1.1");
}
} // namespace AppInfo
