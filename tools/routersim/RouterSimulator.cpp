#include "RouterSimulator.h"

#include "LineDrift.h"
#include "PageKit.h"

#include <chrono>
#include <cstdio>
#include <thread>
#ifndef _WIN32
#include <sys/socket.h>
#endif

double RouterSimulator::SimulatedSeconds() const
{
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_started;
    return elapsed.count() * intSpeedUp;
}

RouterSimulator::RouterSimulator(const SimOptions& options)
    : m_options(options)
{
    m_digest.strRealm = "RS-1100";
    m_digest.strNonce = m_sessions.RandomHex(32);
    m_digest.strOpaque = m_sessions.RandomHex(16);

    // Only SO_REUSEADDR: the library's default would also set SO_REUSEPORT, which lets a second
    // simulator bind the same fixed port and silently share its requests.
    m_server.set_socket_options([](socket_t sock) {
#ifdef _WIN32
        // Winsock's SO_REUSEADDR would let a second simulator take a port in use; exclusive use
        // is what the other systems give by default.
        int intYes = 1;
        setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&intYes), sizeof(intYes));
#else
        int intYes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &intYes, sizeof(intYes));
#endif
    });

    InstallCommon();
    switch (m_options.routerClass) {
    case RouterClass::ClassI:
        InstallClassI();
        break;
    case RouterClass::ClassII:
        InstallClassII();
        break;
    case RouterClass::ClassV:
        InstallClassV();
        break;
    }
}

int RouterSimulator::Bind()
{
    // Answers go out at once: the header and body writes would otherwise wait for the client's
    // delayed acknowledgement, some 40 ms a page, which a real router does not add.
    m_server.set_tcp_nodelay(true);
    if (m_options.intPort == 0) {
        m_intPort = m_server.bind_to_any_port("127.0.0.1");
    } else {
        m_intPort = m_server.bind_to_port("127.0.0.1", m_options.intPort) ? m_options.intPort : -1;
    }
    if (m_intPort <= 0)
        m_intPort = -1;
    return m_intPort;
}

bool RouterSimulator::Serve()
{
    if (m_intPort < 0)
        return false;
    m_blnServeEntered = true;
    if (m_blnStopRequested)
        return true;
    return m_server.listen_after_bind();
}

void RouterSimulator::Stop()
{
    m_blnStopRequested = true;
    // The server only takes a stop once it is running; a Serve() that has been entered but has not
    // reached its loop yet is given a moment to get there.
    if (m_blnServeEntered) {
        for (int intTry = 0; intTry < 2000 && !m_server.is_running(); ++intTry)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_server.stop();
}

void RouterSimulator::InstallCommon()
{
    if (m_options.blnVerbose) {
        // Request lines only: headers and bodies would carry the credentials. Of the query only
        // the page a CGI request asks for, which tells one page of the CGI interface from another.
        m_server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
            const std::string strPage
                = req.method == "GET" && req.has_param("getpage") ? "?getpage=" + req.get_param_value("getpage") : "";
            std::fprintf(stderr, "%s %s%s %d\n", req.method.c_str(), req.path.c_str(), strPage.c_str(), res.status);
            std::fflush(stderr);
        });
    }
    m_server.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
            // Pages that wrote their own error body keep it.
            if (!res.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            if (res.status == 404) {
                SendHtml(res,
                    "<html><head><title>404 Not Found</title></head>\n<body>\n<h3>404 Not Found</h3>\n"
                    "<p>The requested page does not exist on this router.</p>\n</body>\n</html>\n",
                    404);
            } else {
                SendHtml(res,
                    "<html><head><title>Error</title></head>\n<body>\n<h3>Error " + std::to_string(res.status)
                        + "</h3>\n</body>\n</html>\n",
                    res.status);
            }
            return httplib::Server::HandlerResponse::Handled;
        }));
    m_server.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        SendHtml(res, "<html><body><h3>500 Internal Server Error</h3></body></html>\n", 500);
    });
}

bool RouterSimulator::CredentialsAccepted(const std::string& strUser, const std::string& strPassword) const
{
    return !m_options.scenario.blnLoginRefused && strUser == m_options.strUser && strPassword == m_options.strPassword;
}

std::string RouterSimulator::SessionOf(const httplib::Request& req, const std::string& strCookie) const
{
    const std::string strToken = CookieValue(req, strCookie);
    return m_sessions.Exists(strToken) ? strToken : std::string();
}

std::string RouterSimulator::StartSession(httplib::Response& res, const std::string& strCookie)
{
    const std::string strToken = m_sessions.Create();
    res.set_header("Set-Cookie", strCookie + "=" + strToken + "; Path=/; HttpOnly");
    return strToken;
}
