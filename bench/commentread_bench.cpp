// Reading comments back: the time for comments of growing size (linear, as Complexity reports),
// and the round trip over many random ordinary requests and settings, which counts the cases
// that held. --cases N (default 300000) and --seed S set the round trip's run; the exit status
// is 1 when a case failed, and the first few failures are printed.

#include "commentcases.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// A function comment of n parameters in the default settings, with as many lines of comment.
std::string longComment(std::int64_t n) {
    DocumentRequest request;
    request.summary = "Copies the selected records into the archive.";
    for (std::int64_t i = 0; i < n; ++i) {
        request.comment += "A line of the comment, with a comma, and some words: " + std::to_string(i) + "\n";
        request.params.push_back({"inout", "parameter" + std::to_string(i), "what it means to the function"});
    }
    request.returns = "0, every record was copied\n-1, nothing was copied";
    request.throws = {{"std::invalid_argument", "the input is malformed"}};
    g_settingRecord.m_commentStyle = SettingData::CommentStyle::C;
    g_settingRecord.m_documentStyle = SettingData::DocumentStyle::DoxygenBS;
    return renderDocument(request);
}

void ReadComment(benchmark::State &state) {
    const std::string text = longComment(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(readComment(text));
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.SetComplexityN(std::int64_t(text.size()));
}
BENCHMARK(ReadComment)->RangeMultiplier(10)->Range(10, 100000)->Complexity(benchmark::oN);

struct RoundTripRun {
    std::int64_t cases = 300000;
    std::uint32_t seed = 1;
    std::int64_t failed = 0;
    bool ran = false;
};
RoundTripRun run;

// One iteration is one case: write, read, write again, compare.
void RoundTrip(benchmark::State &state) {
    roundtrip::Maker maker(run.seed);
    run.ran = true;
    for (auto _ : state) {
        const std::optional<std::string> failure = roundtrip::check(maker.next());
        if (failure && ++run.failed <= 3)
            std::cerr << "failed case " << state.iterations() << ":\n" << *failure << "\n\n";
    }
    state.counters["failed"] = double(run.failed);
}

// Takes "--name N" out of the arguments; the rest goes to the benchmark library.
bool takeNumber(int &argc, char **argv, int &i, const char *name, std::int64_t &value) {
    if (std::strcmp(argv[i], name) != 0 || i + 1 >= argc)
        return false;
    value = std::strtoll(argv[i + 1], nullptr, 10);
    for (int k = i; k + 2 < argc; ++k)
        argv[k] = argv[k + 2];
    argc -= 2;
    --i;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    std::int64_t seed = run.seed;
    for (int i = 1; i < argc; ++i)
        if (!takeNumber(argc, argv, i, "--cases", run.cases))
            takeNumber(argc, argv, i, "--seed", seed);
    run.seed = std::uint32_t(seed);
    benchmark::RegisterBenchmark("RoundTrip", RoundTrip)
        ->Iterations(std::max<std::int64_t>(run.cases, 1))
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!run.ran)
        return 0;
    std::cout << "round trip (seed " << run.seed << "): " << run.cases - run.failed << " of " << run.cases
              << " cases held\n";
    return run.failed == 0 ? 0 : 1;
}
