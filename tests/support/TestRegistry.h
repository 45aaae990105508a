#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

// Test classes register themselves here so that one executable per module can run them all:
//
//     class TestGetField : public QObject { Q_OBJECT private Q_SLOTS: void ...; };
//     QUORVANE_REGISTER_TEST(TestGetField)
//     #include "TestGetField.moc"
namespace TestRegistry
{
using Factory = std::function<std::unique_ptr<QObject>()>;

struct Entry
{
    const char* strName;
    Factory factory;
};

std::vector<Entry>& Entries();
bool Register(const char* name, Factory factory);

// Runs every registered class; arguments are passed through to QTest (e.g. -v2, a function name).
// A first argument naming a class ("TestGetField") runs only that class.
int RunAll(int argc, char* argv[]);
} // namespace TestRegistry

#define QUORVANE_REGISTER_TEST(Class)                                                                                  \
    static const bool blnRegistered_##Class                                                                            \
        = TestRegistry::Register(#Class, [] { return std::unique_ptr<QObject>(new Class); });
