// A large function comment in every framing and syntax, against a memcpy of as many bytes as the
// comment has, measured in the same run. Ends with a table of the ratios.

#include "comment/styler.h"
#include "common/settingrecord.h"
#include "doc/styler.h"

#include <benchmark/benchmark.h>

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

// The desktop program's sequence for its function page.
std::string functionComment() {
    auto document = documentStyler();
    auto comment = commentStyler();
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
    return joinLines(comment->format(document->functionDocument()));
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

void comment(benchmark::State &state, const Pair &pair) {
    select(pair);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = functionComment();
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
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

// Prints as usual, then the CPU time of each comment over that of its memcpy (CPU time, as other
// programs share the machine). With --benchmark_repetitions the medians are compared.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration)
                m_nanoseconds.try_emplace(run.run_name.str(), run.GetAdjustedCPUTime());
            else if (run.aggregate_name == "median")
                m_nanoseconds.insert_or_assign(run.run_name.str(), run.GetAdjustedCPUTime());
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::cout << "\ncomment time / memcpy time of the same bytes\n";
        for (const Pair &pair : pairs) {
            const auto comment = m_nanoseconds.find("comment/" + pair.label);
            const auto copy = m_nanoseconds.find("memcpy/" + pair.label);
            if (comment != m_nanoseconds.end() && copy != m_nanoseconds.end())
                std::cout << "  " << pair.label << ": " << comment->second << " ns / " << copy->second
                          << " ns = " << comment->second / copy->second << "x\n";
        }
    }

private:
    std::map<std::string, double> m_nanoseconds;
};

} // namespace

int main(int argc, char **argv) {
    g_settingRecord.Load(); // the first-start settings when there is no setting.dat here
    for (const Pair &pair : pairs) {
        select(pair);
        const std::size_t bytes = functionComment().size();
        benchmark::RegisterBenchmark(("comment/" + pair.label).c_str(), comment, pair)
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark(("memcpy/" + pair.label).c_str(), copy, bytes)
            ->Unit(benchmark::kNanosecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
