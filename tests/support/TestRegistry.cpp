#include "support/TestRegistry.h"

#include <QTest>
#include <cstring>

namespace TestRegistry
{
std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

bool Register(const char* name, Factory factory)
{
    Entries().push_back({ name, std::move(factory) });
    return true;
}

int RunAll(int argc, char* argv[])
{
    const char* onlyClass = nullptr;
    std::vector<char*> args(argv, argv + argc);
    if (args.size() > 1 && std::strncmp(args[1], "Test", 4) == 0) {
        onlyClass = args[1];
        args.erase(args.begin() + 1);
    }
    int failures = 0;
    int classes = 0;
    for (const Entry& entry : Entries()) {
        if (onlyClass && std::strcmp(onlyClass, entry.strName) != 0)
            continue;
        std::unique_ptr<QObject> test = entry.factory();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
        ++classes;
    }
    if (classes == 0) {
        qWarning("no test class ran");
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
} // namespace TestRegistry
