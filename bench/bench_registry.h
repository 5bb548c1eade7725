#pragma once
// Benchmarks register themselves here; morlo-bench runs them and prints one "name: value unit" line each.

#include <QString>
#include <functional>
#include <vector>

namespace morlo::bench {

struct BenchOptions {
    QString filter;    // run only benchmarks whose group name contains this text (empty: all)
    QString outputDir; // where benchmarks that write pictures put them (empty: none written)
};

using BenchFunction = std::function<void(const BenchOptions&)>;

int registerBenchmark(const char* group, BenchFunction function);

// Prints "name: value unit".
void report(const QString& name, double value, const QString& unit);

// Median wall-clock time in milliseconds of `runs` calls of `work`, after one warm-up call.
double medianMilliseconds(int runs, const std::function<void()>& work);

} // namespace morlo::bench

#define MORLO_BENCHMARK(group, function)                                                                       \
    [[maybe_unused]] static const int morloBenchRegistration_##function =                                      \
        ::morlo::bench::registerBenchmark(group, function);
