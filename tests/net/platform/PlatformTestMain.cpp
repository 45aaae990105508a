#define DOCTEST_CONFIG_IMPLEMENT
#include "PlatformTestSupport.h"

#include <cstdlib>
#include <doctest.h>
#include <string>

int main(int argc, char** argv)
{
    // Called back by a test's script: stay running until the test lets go.
    if (argc == 4 && std::string(argv[1]) == "--hold")
        return HoldUntilFileExists(argv[2], std::atoi(argv[3]));
    doctest::Context context(argc, argv);
    return context.run();
}
