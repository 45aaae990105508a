#include "support/TestRegistry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return TestRegistry::RunAll(argc, argv);
}
