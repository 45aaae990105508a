// quorvane-routersim: a simulated ADSL router of Class I, II or V on 127.0.0.1, for tests, demos
// and benchmarks. Prints "port=<N>" on standard output once it listens and serves until SIGTERM
// or SIGINT (on Windows: Ctrl-C, Ctrl-Break or the console closing), or until its lifetime runs
// out, so that a forgotten simulator never lingers.
#include "RouterSimulator.h"
#include "SimOptions.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <atomic>
#include <cstdlib>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace
{

#ifdef _WIN32
std::atomic<bool> g_blnStopAsked { false };

// Called by the system on its own thread; the main thread's wait notices the flag.
BOOL WINAPI OnConsoleControl(DWORD)
{
    g_blnStopAsked = true;
    return TRUE;
}

// Waits until the console asks the program to stop or intSeconds have passed.
void WaitForStopOrTimeout(int intSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(intSeconds);
    while (!g_blnStopAsked && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
#else

// Waits until SIGTERM or SIGINT arrives or intSeconds have passed. Both signals are blocked in
// every thread (the mask is set before any thread starts) and taken here synchronously, so no
// signal handler has to touch the server.
void WaitForSignalOrTimeout(const sigset_t& signals, int intSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(intSeconds);
    while (true) {
        const auto remaining = deadline - std::chrono::steady_clock::now();
        if (remaining <= std::chrono::nanoseconds::zero())
            return;
        const auto lngNanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(remaining).count();
        timespec timeout {};
        timeout.tv_sec = static_cast<time_t>(lngNanoseconds / 1000000000);
        timeout.tv_nsec = static_cast<long>(lngNanoseconds % 1000000000);
        if (sigtimedwait(&signals, nullptr, &timeout) > 0)
            return;
        // EAGAIN: the time is up (checked above on the next turn); EINTR: some other signal.
    }
}
#endif

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    SimOptions options;
    const std::string strError = ParseSimOptions(arguments, options);
    if (!strError.empty()) {
        std::fprintf(stderr, "quorvane-routersim: %s\n", strError.c_str());
        return 2;
    }
    if (options.blnHelp) {
        std::fputs(SimUsage().c_str(), stdout);
        return 0;
    }

#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
#endif

    RouterSimulator simulator(options);
    const int intPort = simulator.Bind();
    if (intPort < 0) {
        std::fprintf(stderr, "quorvane-routersim: cannot listen on 127.0.0.1 port %d\n", options.intPort);
        return 1;
    }

    std::promise<bool> served;
    std::future<bool> servedResult = served.get_future();
    std::thread server([&simulator, &served] { served.set_value(simulator.Serve()); });

    std::printf("port=%d\n", intPort);
    std::fflush(stdout);
    std::fprintf(stderr, "quorvane-routersim: Class %s router (scenario %s) on http://127.0.0.1:%d/\n",
        RouterClassName(options.routerClass).c_str(), options.strScenario.c_str(), intPort);

#ifdef _WIN32
    WaitForStopOrTimeout(options.intLifetimeSeconds);
#else
    WaitForSignalOrTimeout(signals, options.intLifetimeSeconds);
#endif
    simulator.Stop();

    // Connections that a client keeps open are only noticed between requests; when they hold the
    // server up for long, leave without waiting for them.
    if (servedResult.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        std::fflush(stderr);
#ifdef _WIN32
        std::_Exit(0);
#else
        _exit(0);
#endif
    }
    server.join();
    return servedResult.get() ? 0 : 1;
}
