// The date language: the default template, and list openers that never close, whose time must
// grow linearly with the template (4 KiB against 64 KiB).

#include "core/common/settingrecord.h"
#include "core/misc/date.h"

#include <benchmark/benchmark.h>

namespace {

std::tm monday() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_wday = 1;
    t.tm_hour = 3;
    t.tm_min = 28;
    t.tm_sec = 5;
    return t;
}

void defaultTemplate(benchmark::State &state) {
    const std::tm time = monday();
    for (auto _ : state)
        benchmark::DoNotOptimize(formatDate(defaultDateFormat, time));
}
BENCHMARK(defaultTemplate);

void currentDate(benchmark::State &state) {
    g_settingRecord.m_dateFormat = defaultDateFormat;
    for (auto _ : state)
        benchmark::DoNotOptimize(formatCurrentDate());
}
BENCHMARK(currentDate);

// "%M[" and then commas up to the given size, never closed.
void unclosedList(benchmark::State &state) {
    const std::string text = "%M[" + std::string(static_cast<std::size_t>(state.range(0)) - 3, ',');
    const std::tm time = monday();
    for (auto _ : state)
        benchmark::DoNotOptimize(formatDate(text, time));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(unclosedList)
    ->Arg(4 << 10)
    ->Arg(16 << 10)
    ->Arg(64 << 10)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Openers that all close at one far "]%" with too few names between.
void openersSharingOneClose(benchmark::State &state) {
    std::string text;
    while (text.size() + 3 < static_cast<std::size_t>(state.range(0)))
        text += "%M[";
    text += "]%";
    const std::tm time = monday();
    for (auto _ : state)
        benchmark::DoNotOptimize(formatDate(text, time));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(openersSharingOneClose)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
