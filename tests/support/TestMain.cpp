#include "support/TestRegistry.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return TestRegistry::RunAll(argc, argv);
}
