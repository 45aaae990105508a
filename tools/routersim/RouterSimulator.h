#pragma once

#include "HttpAuth.h"
#include "SessionStore.h"
#include "SimOptions.h"

#include <atomic>
#include <chrono>
#include <httplib.h>
#include <string>

// One simulated router: an HTTP server on 127.0.0.1 that answers like the web interface of a
// Class I, II or V router, with the behaviour of the chosen scenario. Bind() and then Serve()
// (which blocks until Stop() is called from another thread).
class RouterSimulator
{
public:
    explicit RouterSimulator(const SimOptions& options);

    RouterSimulator(const RouterSimulator&) = delete;
    RouterSimulator& operator=(const RouterSimulator&) = delete;

    // Binds 127.0.0.1 on the configured port (0: a free port chosen by the system). Returns the
    // port, or -1 when it cannot be bound.
    int Bind();
    // Serves until Stop(). Returns false when it could not serve (not bound).
    bool Serve();
    // Ends Serve(), also when called from another thread while Serve() is still starting up.
    void Stop();

    int Port() const { return m_intPort; }
    const SimOptions& Options() const { return m_options; }
    SessionStore& Sessions() { return m_sessions; }
    // Seconds of simulated line time since the router started: real time sped up intSpeedUp times.
    double SimulatedSeconds() const;

private:
    void InstallCommon();
    void InstallClassI();
    void InstallClassII();
    void InstallClassV();

    // Class I: true when the request carries the right credentials for the scheme in use;
    // otherwise answers 401 with the challenge and returns false.
    bool AuthoriseClassI(const httplib::Request& req, httplib::Response& res);
    // Class I has no login, so it tracks each browser by a cookie of its own (for the diagnostic
    // test, which runs once per visitor). Returns the token, setting the cookie when it is new.
    std::string ClassIVisitor(const httplib::Request& req, httplib::Response& res);

    // Classes II and V: the session named by the request's cookie, or "" when there is none.
    std::string SessionOf(const httplib::Request& req, const std::string& strCookie) const;
    std::string StartSession(httplib::Response& res, const std::string& strCookie);

    bool CredentialsAccepted(const std::string& strUser, const std::string& strPassword) const;

    SimOptions m_options;
    httplib::Server m_server;
    SessionStore m_sessions;
    DigestServerState m_digest;
    int m_intPort = -1;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::atomic<bool> m_blnServeEntered { false };
    std::atomic<bool> m_blnStopRequested { false };
};
