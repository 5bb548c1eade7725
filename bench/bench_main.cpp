// morlo-bench: performance figures of Morlo's hot paths.
// Usage: morlo-bench [--only TEXT] [--out DIR]

#include "bench_registry.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>

namespace morlo::bench {
namespace {
struct Entry {
    const char* group;
    BenchFunction function;
};
std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

int registerBenchmark(const char* group, BenchFunction function) {
    registry().push_back({group, std::move(function)});
    return 0;
}

void report(const QString& name, double value, const QString& unit) {
    std::printf("%s: %.3f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

double medianMilliseconds(int runs, const std::function<void()>& work) {
    work();
    std::vector<double> times;
    times.reserve(static_cast<size_t>(std::max(runs, 1)));
    for (int i = 0; i < std::max(runs, 1); ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
} // namespace morlo::bench

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    morlo::bench::BenchOptions options;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--only" && i + 1 < args.size()) {
            options.filter = args[++i];
        } else if (args[i] == "--out" && i + 1 < args.size()) {
            options.outputDir = args[++i];
        } else {
            std::fprintf(stderr, "usage: morlo-bench [--only TEXT] [--out DIR]\n");
            return 2;
        }
    }
    for (const auto& entry : morlo::bench::registry()) {
        if (!options.filter.isEmpty() && !QString::fromUtf8(entry.group).contains(options.filter))
            continue;
        entry.function(options);
    }
    return 0;
}
