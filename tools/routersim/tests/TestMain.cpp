#include "SimTestKit.h"

#include <QCoreApplication>
#include <QTest>
#include <cstring>

// Runs every registered test class; a first argument naming a class runs only that one, and the
// remaining arguments go to QTest.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const char* strOnly = nullptr;
    if (argc > 1 && argv[1][0] != '-') {
        strOnly = argv[1];
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    int intFailed = 0;
    bool blnFound = false;
    for (const auto& [strName, factory] : SimTests()) {
        if (strOnly && std::strcmp(strOnly, strName) != 0)
            continue;
        blnFound = true;
        const std::unique_ptr<QObject> test = factory();
        intFailed += QTest::qExec(test.get(), argc, argv) != 0 ? 1 : 0;
    }
    if (strOnly && !blnFound) {
        std::fprintf(stderr, "no test class named %s\n", strOnly);
        return 2;
    }
    return intFailed == 0 ? 0 : 1;
}
