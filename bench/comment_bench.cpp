// A large function comment in every framing and syntax, against a memcpy of as many bytes as the
// comment has, measured in the same run: once from the filled-in request, once with the page's
// filling in of the request as well. Ends with tables of the ratios.

#include "comment/styler.h"
#include "common/settingrecord.h"
#include "doc/styler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>

namespace {

std::vector<ParamEntry> params() {
    std::vector<ParamEntry> entries;
    const char *directions[] = {"in", "out", "inout"};
    for (int i = 0; i < 10; ++i)
        entries.push_back({directions[i % 3], "parameter" + std::to_string(i),
                           "what parameter " + std::to_string(i) + " means to the function"});
    return entries;
}

const std::vector<ParamEntry> manyParams = params();
const std::vector<ExceptionEntry> threeThrows = {
    {"std::invalid_argument", "the input is malformed"},
    {"std::out_of_range", "an index is past the end"},
    {"Orvex::Exception", "the file cannot be written"},
};
const std::string fiveLines =
    "The first line of the text.\r\nThe second line.\r\nA third, longer line with a "
    "comma.\r\nThe fourth.\r\nAnd the fifth line closes it.";

// The request as the function page fills it in.
std::unique_ptr<DocumentStyle> functionRequest() {
    auto document = documentStyler();
    document->setDate("2026/12/07(月)[03:28:05]");
    document->setAuthor(g_settingData.author());
    document->setCopyright(g_settingData.copyright());
    document->setSummary("Copies the selected records into the archive.");
    document->setComment(fiveLines);
    document->setNote(fiveLines);
    document->setReturns(
        "0, every record was copied\r\n1, some records were skipped\r\n-1, nothing was copied");
    document->setThrows(threeThrows);
    document->setParams(manyParams);
    return document;
}

// From the filled-in request to the text that goes on the clipboard.
std::string functionComment(const DocumentStyle &request) {
    return joinLines(commentStyler()->format(request.functionDocument()));
}

struct Pair {
    SettingData::CommentStyle framing;
    SettingData::DocumentStyle syntax;
    std::string label;
};

const Pair pairs[] = {
    {SettingData::CommentStyle::C, SettingData::DocumentStyle::DoxygenBS, "C/DoxygenBS"},
    {SettingData::CommentStyle::C, SettingData::DocumentStyle::DoxygenAT, "C/DoxygenAT"},
    {SettingData::CommentStyle::C, SettingData::DocumentStyle::DDoc, "C/DDoc"},
    {SettingData::CommentStyle::Java, SettingData::DocumentStyle::DoxygenBS, "Java/DoxygenBS"},
    {SettingData::CommentStyle::Java, SettingData::DocumentStyle::DoxygenAT, "Java/DoxygenAT"},
    {SettingData::CommentStyle::Java, SettingData::DocumentStyle::DDoc, "Java/DDoc"},
    {SettingData::CommentStyle::D, SettingData::DocumentStyle::DoxygenBS, "D/DoxygenBS"},
    {SettingData::CommentStyle::D, SettingData::DocumentStyle::DoxygenAT, "D/DoxygenAT"},
    {SettingData::CommentStyle::D, SettingData::DocumentStyle::DDoc, "D/DDoc"},
};

void select(const Pair &pair) {
    g_settingRecord.m_commentStyle = pair.framing;
    g_settingRecord.m_documentStyle = pair.syntax;
}

// The comment from a filled-in request.
void comment(benchmark::State &state, const Pair &pair) {
    select(pair);
    const auto request = functionRequest();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = functionComment(*request);
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}

// The page's whole sequence: filling in the request (copying every field) as well.
void page(benchmark::State &state, const Pair &pair) {
    select(pair);
    for (auto _ : state) {
        std::string text = functionComment(*functionRequest());
        benchmark::DoNotOptimize(text);
    }
}

void copy(benchmark::State &state, std::size_t bytes) {
    std::vector<char> from(bytes, 'x'), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// Prints as usual, then the CPU time of each comment over that of its memcpy. CPU time, and the
// fastest of the repetitions, as other programs share the machine and can only slow a run down.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration)
                m_nanoseconds.try_emplace(run.run_name.function_name, run.GetAdjustedCPUTime());
            else if (run.aggregate_name == "min")
                m_nanoseconds.insert_or_assign(run.run_name.function_name, run.GetAdjustedCPUTime());
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        ratios("comment", "comment from a filled-in request");
        ratios("page", "page sequence with the request filled in");
    }

private:
    void ratios(const std::string &name, const char *title) const {
        std::cout << "\n" << title << " / memcpy of the same bytes\n";
        for (const Pair &pair : pairs) {
            const auto time = m_nanoseconds.find(name + "/" + pair.label);
            const auto copy = m_nanoseconds.find("memcpy/" + pair.label);
            if (time != m_nanoseconds.end() && copy != m_nanoseconds.end())
                std::cout << "  " << pair.label << ": " << time->second << " ns / " << copy->second
                          << " ns = " << time->second / copy->second << "x\n";
        }
    }

    std::map<std::string, double> m_nanoseconds;
};

void repeated(benchmark::internal::Benchmark *benchmark) {
    benchmark->Unit(benchmark::kNanosecond)
        ->MinTime(0.1)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double> &times) {
            return *std::min_element(times.begin(), times.end());
        });
}

} // namespace

int main(int argc, char **argv) {
    g_settingRecord.Load(); // the first-start settings when there is no setting.dat here
    for (const Pair &pair : pairs) {
        select(pair);
        const std::size_t bytes = functionComment(*functionRequest()).size();
        repeated(benchmark::RegisterBenchmark(("comment/" + pair.label).c_str(), comment, pair));
        repeated(benchmark::RegisterBenchmark(("page/" + pair.label).c_str(), page, pair));
        repeated(benchmark::RegisterBenchmark(("memcpy/" + pair.label).c_str(), copy, bytes));
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
