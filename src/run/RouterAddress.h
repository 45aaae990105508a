#pragma once

#include <QString>

// The router address and port that a run, a data dump or "Open router" is about to use. The
// address is pinged as it stands and then written into every page address between "http://" and
// ":" + port, so text that is not one address could ping one host and send the log-in to another
// ("127.0.0.1 @127.0.0.2" pings the first and logs in at the second). Such text is refused before
// any traffic, with one of the texts below.

// "" when strAddress can be used: empty (the run then takes the default gateway), an IPv4 address
// in its four decimal parts, or a host name, that is dot-separated labels of letters, digits, "-"
// and "_" whose last label is not a number (which the resolver would read as an address in one of
// its short forms). Otherwise the text that says why not.
QString CheckRouterAddress(const QString& strAddress);

// "" when strPort is a decimal number from 1 to 65535 (digits only), otherwise the text that says
// why not.
QString CheckRouterPort(const QString& strPort);
