// A large function comment in every framing and syntax, against a memcpy of as many bytes as the
// comment has: once from the filled-in request, once with the page's filling in of the request
// as well. Ends with tables of the ratios.

#include "core/common/settingrecord.h"
#include "core/doc/request.h"

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
DocumentRequest functionRequest() {
    DocumentRequest request;
    request.date = "2026/12/07(月)[03:28:05]";
    request.summary = "Copies the selected records into the archive.";
    request.comment = fiveLines;
    request.note = fiveLines;
    request.returns = "0, every record was copied\r\n1, some records were skipped\r\n-1, nothing was copied";
    request.throws = threeThrows;
    request.params = manyParams;
    return request;
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

// The comment from a filled-in request or, for the page, with the request filled in as well.
std::string comment(const DocumentRequest &request, bool fillIn) {
    return fillIn ? renderDocument(functionRequest()) : renderDocument(request);
}

void copy(std::vector<char> &to, const std::vector<char> &from) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
}

void commentCase(benchmark::State &state, const Pair &pair, bool fillIn) {
    select(pair);
    const auto request = functionRequest();
    for (auto _ : state) {
        std::string text = comment(request, fillIn);
        benchmark::DoNotOptimize(text);
    }
}

void copyCase(benchmark::State &state, std::size_t bytes) {
    std::vector<char> from(bytes, 'x'), to(bytes);
    for (auto _ : state)
        copy(to, from);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

using Clock = std::chrono::steady_clock;

double nanoseconds(Clock::duration time, int count) {
    return std::chrono::duration<double, std::nano>(time).count() / count;
}

// The ratios, measured apart from the cases above. This machine is shared and its speed comes
// and goes for seconds at a time, and a slow spell slows a comment more than a memcpy. So every
// case takes its turn in each of many rounds, timing a short batch of comments and then a batch
// of memcpys of the comment's size taking about as long; the table gives the fastest comment
// batch over the fastest memcpy batch (the code's own cost) and the median of the per-batch
// ratios (what a busy machine gives).
void ratioTable(bool fillIn, const char *title) {
    constexpr int rounds = 500, comments = 20, copies = 2000;
    struct Case {
        DocumentRequest request;
        std::vector<char> from, to;
        double comment = 1e300, copy = 1e300;
        std::vector<double> ratios;
    };
    std::vector<Case> cases;
    cases.reserve(std::size(pairs));
    for (const Pair &pair : pairs) {
        select(pair);
        Case &c = cases.emplace_back();
        c.request = functionRequest();
        c.from.assign(renderDocument(c.request).size(), 'x');
        c.to.resize(c.from.size());
    }
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < cases.size(); ++i) {
            Case &c = cases[i];
            select(pairs[i]);
            // One untimed comment first: the batch measures a comment in steady use, not the
            // first after another case.
            benchmark::DoNotOptimize(comment(c.request, fillIn));
            const Clock::time_point start = Clock::now();
            for (int n = 0; n < comments; ++n) {
                std::string text = comment(c.request, fillIn);
                benchmark::DoNotOptimize(text);
            }
            const Clock::time_point middle = Clock::now();
            for (int n = 0; n < copies; ++n)
                copy(c.to, c.from);
            const Clock::time_point end = Clock::now();
            const double commentNs = nanoseconds(middle - start, comments),
                         copyNs = nanoseconds(end - middle, copies);
            c.comment = std::min(c.comment, commentNs);
            c.copy = std::min(c.copy, copyNs);
            c.ratios.push_back(commentNs / copyNs);
        }
    }
    std::cout << "\n"
              << title << " / memcpy of the same bytes, fastest batches (median of the paired batches)\n";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Case &c = cases[i];
        std::nth_element(c.ratios.begin(), c.ratios.begin() + c.ratios.size() / 2, c.ratios.end());
        std::cout << "  " << pairs[i].label << ": " << c.comment << " ns / " << c.copy
                  << " ns = " << c.comment / c.copy << "x (" << c.ratios[c.ratios.size() / 2] << "x)\n";
    }
}

} // namespace

int main(int argc, char **argv) {
    g_settingRecord.Load(); // the first-start settings when there is no setting.dat here
    for (const Pair &pair : pairs) {
        select(pair);
        const std::size_t bytes = renderDocument(functionRequest()).size();
        benchmark::RegisterBenchmark(("comment/" + pair.label).c_str(), commentCase, pair, false)
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark(("page/" + pair.label).c_str(), commentCase, pair, true)
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark(("memcpy/" + pair.label).c_str(), copyCase, bytes)
            ->Unit(benchmark::kNanosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ratioTable(false, "comment from a filled-in request");
    ratioTable(true, "page sequence with the request filled in");
}
