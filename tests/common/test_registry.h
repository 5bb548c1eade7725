#pragma once
// Registration of QtTest classes so that every test folder builds into one executable.
// A test file defines a QObject class with private slots and ends with
//     MORLO_TEST(ClassName)
//     #include "file_name_tests.moc"

#include <QObject>
#include <functional>
#include <memory>

namespace morlo::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

// Adds a test class to the executable's list; returns a dummy value for static initialisation.
int registerTestClass(const char* name, TestFactory factory);

} // namespace morlo::test

#define MORLO_TEST(Class)                                                                                      \
    [[maybe_unused]] static const int morloTestRegistration_##Class =                                          \
        ::morlo::test::registerTestClass(#Class, [] { return std::make_unique<Class>(); });
