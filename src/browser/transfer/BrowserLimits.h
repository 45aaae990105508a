#pragma once

#include <QtGlobal>

// The bounds that keep a run from ever hanging on the network, in one place; tests replace them
// with short ones. Nothing retries: a load that exceeds a bound fails once and is reported.
struct BrowserLimits
{
    int intConnectTimeoutMs = 20000; // from the start of a request until it has been sent
    int intResponseTimeoutMs = 20000; // from then until the whole response has arrived
    // A navigation with all its redirects and frames (or a download with its redirects) ends
    // within this, whatever the router does: what has not arrived by then fails.
    int intNavigationTimeoutMs = 30000;
    qint64 lngMaxResponseBytes = 8 * 1024 * 1024;
    int intMaxRedirects = 20;
    // Challenges answered within one request: a Digest nonce that goes stale needs a second one,
    // and a server that calls every nonce stale is not answered a third time.
    int intMaxAuthRounds = 2;
    int intMaxFrameDepth = 4; // frames inside frames, counted from the top-level document
    int intMaxFramesPerPage = 32; // frame documents loaded for one top-level document
    int intMaxParallelLoads = 6; // frames loaded side by side, as browsers do per server
    // A refresh reloads no sooner than this after its document completed, whatever delay the
    // page asks for: a page that refreshes at once would otherwise hammer the router.
    int intMinRefreshDelayMs = 1000;
};
