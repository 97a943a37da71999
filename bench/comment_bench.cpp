// A large function comment in every framing and syntax, against a memcpy of as many bytes as the
// comment has: once from the filled-in request, once with the page's filling in of the request
// as well. The two are timed in alternating short batches; tables of the ratios end the run.

#include "comment/styler.h"
#include "common/settingrecord.h"
#include "doc/styler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <vector>

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

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double fastest(const std::vector<double> &values) {
    return *std::min_element(values.begin(), values.end());
}

// Each iteration times a short batch of comments, then a batch of memcpys of the comment's size
// taking about as long. This machine is shared and its speed comes and goes, and slow spells
// slow the comment more than the memcpy, so two ratios are kept: the fastest comment batch over
// the fastest memcpy batch (the code's own cost), and the median of the per-batch ratios (what a
// busy machine gives).
void ratio(benchmark::State &state, const Pair &pair, bool fillIn) {
    constexpr int comments = 20, copies = 2000;
    select(pair);
    const auto request = functionRequest();
    const std::size_t bytes = functionComment(*request).size();
    std::vector<char> from(bytes, 'x'), to(bytes);
    std::vector<double> commentNs, copyNs, ratios;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < comments; ++i) {
            std::string text = fillIn ? functionComment(*functionRequest()) : functionComment(*request);
            benchmark::DoNotOptimize(text);
        }
        const Clock::time_point middle = Clock::now();
        for (int i = 0; i < copies; ++i) {
            std::memcpy(to.data(), from.data(), bytes);
            benchmark::DoNotOptimize(to.data());
            benchmark::ClobberMemory();
        }
        const Clock::time_point end = Clock::now();
        commentNs.push_back(std::chrono::duration<double, std::nano>(middle - start).count() / comments);
        copyNs.push_back(std::chrono::duration<double, std::nano>(end - middle).count() / copies);
        ratios.push_back(commentNs.back() / copyNs.back());
        state.SetIterationTime(std::chrono::duration<double>(middle - start).count() / comments);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["comment_ns"] = fastest(commentNs);
    state.counters["memcpy_ns"] = fastest(copyNs);
    state.counters["ratio"] = fastest(commentNs) / fastest(copyNs);
    state.counters["busy_ratio"] = median(ratios);
}

// Prints as usual, then tables of the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            m_runs.push_back(run);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        table("comment/", "comment from a filled-in request / memcpy of the same bytes");
        table("page/", "page sequence with the request filled in / memcpy of the same bytes");
    }

private:
    void table(const std::string &prefix, const char *title) const {
        std::cout << "\n" << title << "\n";
        for (const Run &run : m_runs) {
            const std::string name = run.run_name.function_name;
            if (name.rfind(prefix, 0) == 0)
                std::cout << "  " << name.substr(prefix.size()) << ": " << run.counters.at("comment_ns").value
                          << " ns / " << run.counters.at("memcpy_ns").value
                          << " ns = " << run.counters.at("ratio").value
                          << "x (median of the paired batches " << run.counters.at("busy_ratio").value << "x)\n";
        }
    }

    std::vector<Run> m_runs;
};

} // namespace

int main(int argc, char **argv) {
    g_settingRecord.Load(); // the first-start settings when there is no setting.dat here
    for (const bool fillIn : {false, true})
        for (const Pair &pair : pairs)
            benchmark::RegisterBenchmark(((fillIn ? "page/" : "comment/") + pair.label).c_str(), ratio, pair, fillIn)
                ->UseManualTime()
                ->Iterations(2000)
                ->Unit(benchmark::kNanosecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
