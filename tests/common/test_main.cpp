// Runs every registered test class of one test executable.
// Usage: morlo_<subsystem>_tests [ClassName [QtTest options and test functions]]

#include "common/test_registry.h"

#include <QTest>
#include <cstring>
#include <vector>

#ifdef MORLO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

namespace morlo::test {
namespace {
struct Entry {
    const char* name;
    TestFactory factory;
};
std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

int registerTestClass(const char* name, TestFactory factory) {
    registry().push_back({name, std::move(factory)});
    return 0;
}
} // namespace morlo::test

int main(int argc, char** argv) {
    TestApplication app(argc, argv);
    const char* only = nullptr;
    std::vector<char*> args{argv[0]};
    if (argc > 1 && argv[1][0] != '-') {
        only = argv[1];
        for (int i = 2; i < argc; ++i)
            args.push_back(argv[i]);
    } else {
        for (int i = 1; i < argc; ++i)
            args.push_back(argv[i]);
    }
    int failures = 0;
    bool ranAny = false;
    for (const auto& entry : morlo::test::registry()) {
        if (only && std::strcmp(only, entry.name) != 0)
            continue;
        ranAny = true;
        auto testObject = entry.factory();
        failures += QTest::qExec(testObject.get(), static_cast<int>(args.size()), args.data());
    }
    if (only && !ranAny) {
        fprintf(stderr, "No test class named %s\n", only);
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
