// Reading declarations: one typical declaration against a memcpy of its bytes; hostile texts
// of 1 MB in every language (each should take under 50 ms); a megabyte of dense members; and
// `remarkist-render read` as a whole process against `cat` of the same file (at most 3x). Ratios come from
// batches of the two sides taken in turn in the same run, since this machine's speed comes and goes.

#include "core/read/declaration.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

const std::string typical =
    "/// Formats the value.\n"
    "template <typename T>\n"
    "[[nodiscard]] static QString arg(const T &value, int fieldWidth = 0, QChar fill = QLatin1Char(' '),\n"
    "                                 std::map<int, std::pair<int, int>> *cache = nullptr) const noexcept;\n";

constexpr std::size_t megabyte = 1 << 20;

std::string repeated(std::string_view piece, std::size_t size = megabyte) {
    std::string text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    return text;
}

std::string manyParameters(std::size_t count) {
    std::string text = "void f(";
    for (std::size_t i = 0; i < count; ++i)
        text += (i ? ", int a" : "int a") + std::to_string(i);
    return text + ");";
}

struct Hostile {
    const char *name;
    std::string text;
};

const std::vector<Hostile> &hostiles() {
    static const std::vector<Hostile> texts = {
        {"(", repeated("(")},
        {"<", repeated("<")},
        {"100000 parameters", manyParameters(100000)},
        {"unbalanced brackets", repeated("(]{)[}<")},
        {"closing brackets", repeated(")]}>")},
        {"NUL bytes", std::string(megabyte, '\0')},
        {"invalid UTF-8", repeated("\xff\xfe\xc0")},
        {"macro calls", repeated("A(x) ")},
        {"template heads", repeated("template <class T> ")},
        {"unterminated comment", "/*" + repeated("*")},
        {"one word", repeated("x")},
        {"declarators", "int " + repeated("a, f(x) = 0, ")},
        {"enumerators", "enum E { " + repeated("A = 1 << 2, B, ")},
        {"comparisons in defaults", "void f(" + repeated("int a = b < c, int d = e > g, ")},
        {"macro definitions", repeated("#define F(a, ...) a /**< a */\n")},
        {"one macro continued", "#define F(a) \\\n" + repeated("a \\\n")},
    };
    return texts;
}

constexpr Language languages[] = {Language::C, Language::Cpp, Language::D, Language::Java};
constexpr const char *languageNames[] = {"C", "C++", "D", "Java"};

// Reading one text: the declaration at its start, or the failure to find one.
void readOnce(const std::string &text, Language language) {
    try {
        benchmark::DoNotOptimize(readDeclaration(text, language));
    } catch (const ReadError &) {
    }
}

void readCase(benchmark::State &state, const std::string *text, Language language) {
    for (auto _ : state)
        readOnce(*text, language);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text->size()));
}

void findCase(benchmark::State &state, const std::string *text, Language language) {
    for (auto _ : state)
        benchmark::DoNotOptimize(findDeclarations(*text, language));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text->size()));
}

void copy(std::vector<char> &to, const std::vector<char> &from) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
}

double nanoseconds(Clock::duration time, int count = 1) {
    return std::chrono::duration<double, std::nano>(time).count() / count;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Batches of readings and of memcpys of as many bytes, in turn: the fastest reading batch over
// the fastest memcpy batch, and the median of the per-round ratios.
void typicalTable() {
    constexpr int rounds = 300, reads = 50, copies = 5000;
    const std::vector<char> from(typical.size(), 'x');
    std::vector<char> to(from.size());
    double readBest = 1e300, copyBest = 1e300;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        for (int n = 0; n < reads; ++n)
            readOnce(typical, Language::Cpp);
        const Clock::time_point middle = Clock::now();
        for (int n = 0; n < copies; ++n)
            copy(to, from);
        const Clock::time_point end = Clock::now();
        const double readNs = nanoseconds(middle - start, reads), copyNs = nanoseconds(end - middle, copies);
        readBest = std::min(readBest, readNs);
        copyBest = std::min(copyBest, copyNs);
        ratios.push_back(readNs / copyNs);
    }
    std::cout << "\nreading a typical declaration (" << typical.size()
              << " bytes) / memcpy of its bytes, fastest batches (median of the paired batches)\n  "
              << readBest << " ns / " << copyBest << " ns = " << readBest / copyBest << "x ("
              << median(ratios) << "x)\n";
}

double cpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The fastest of five runs of `work`: elapsed and processor time in milliseconds.
template <class Work> std::pair<double, double> fastest(Work work) {
    double elapsed = 1e300, cpu = 1e300;
    for (int run = 0; run < 5; ++run) {
        const Clock::time_point start = Clock::now();
        const double cpuStart = cpuMilliseconds();
        work();
        cpu = std::min(cpu, cpuMilliseconds() - cpuStart);
        elapsed = std::min(elapsed, nanoseconds(Clock::now() - start) / 1e6);
    }
    return {elapsed, cpu};
}

// The slowest language for each hostile text: reading the declaration at its start, and
// finding every declaration in it as the editor command does.
void hostileTable() {
    std::cout
        << "\nhostile texts, slowest language, fastest of 5 runs: elapsed ms (processor ms); limit 50 ms\n";
    for (const Hostile &hostile : hostiles()) {
        std::pair<double, double> readWorst{0, 0}, findWorst{0, 0};
        const char *readLanguage = "", *findLanguage = "";
        for (std::size_t l = 0; l < std::size(languages); ++l) {
            const auto read = fastest([&] { readOnce(hostile.text, languages[l]); });
            const auto find =
                fastest([&] { benchmark::DoNotOptimize(findDeclarations(hostile.text, languages[l])); });
            if (read.second > readWorst.second) {
                readWorst = read;
                readLanguage = languageNames[l];
            }
            if (find.second > findWorst.second) {
                findWorst = find;
                findLanguage = languageNames[l];
            }
        }
        // On a busy machine the elapsed time counts the turns of other processes; the limit is for
        // the reader's own time.
        const bool within = readWorst.second < 50 && findWorst.second < 50;
        std::cout << "  " << hostile.name << " (" << hostile.text.size() << " bytes): read "
                  << readWorst.first << " (" << readWorst.second << ", " << readLanguage << "), find "
                  << findWorst.first << " (" << findWorst.second << ", " << findLanguage << ")"
                  << (within ? "" : "  OVER 50 ms") << "\n";
    }
}

// A megabyte of one-line members, each a declaration with a member comment: no hostile text,
// but the most a megabyte can hold. Finding them all writes a record of half a kilobyte for each,
// so the time goes with their number, not with the 50 ms of the hostile texts.
void denseTable() {
    const std::string text = repeated("int x; ///< a\n");
    std::cout << "\ndense code: 1 MB of one-line members, fastest of 5 runs: elapsed ms (processor ms)\n";
    for (std::size_t l = 0; l < std::size(languages); ++l) {
        std::size_t count = 0;
        const auto find = fastest([&] { count = findDeclarations(text, languages[l]).size(); });
        std::cout << "  " << languageNames[l] << ": " << count << " declarations, " << find.first << " ("
                  << find.second << "), " << find.second * 1e6 / static_cast<double>(count) << " ns each\n";
    }
}

// Runs the program with its output to /dev/null and waits for it; the time from spawn to exit.
double runProcess(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const Clock::time_point end = Clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? nanoseconds(end - start) / 1e3 : -1;
}

// `remarkist-render read` and `cat` of the same file, started in turn.
void processTable() {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("remarkist-read-bench-" + std::to_string(getpid()) + ".h");
    std::ofstream(file, std::ios::binary) << typical;
    const std::vector<std::string> read = {REMARKIST_RENDER, "read", "--language", "cpp", file.string()};
    const std::vector<std::string> cat = {"/bin/cat", file.string()};
    constexpr int rounds = 300;
    std::vector<double> readUs, catUs, ratios;
    for (int round = 0; round < rounds; ++round) {
        const bool catFirst = round % 2 == 0;
        const double first = runProcess(catFirst ? cat : read), second = runProcess(catFirst ? read : cat);
        const double c = catFirst ? first : second, r = catFirst ? second : first;
        if (c <= 0 || r <= 0) {
            std::cout << "\nremarkist-render read or cat failed\n";
            std::filesystem::remove(file);
            return;
        }
        readUs.push_back(r);
        catUs.push_back(c);
        ratios.push_back(r / c);
    }
    std::filesystem::remove(file);
    const double readMin = *std::min_element(readUs.begin(), readUs.end()),
                 catMin = *std::min_element(catUs.begin(), catUs.end());
    std::cout << "\nremarkist-render read / cat of the same file, whole processes (limit 3x)\n"
              << "  fastest: " << readMin << " us / " << catMin << " us = " << readMin / catMin << "x\n"
              << "  median:  " << median(readUs) << " us / " << median(catUs) << " us; median of the paired "
              << "ratios " << median(ratios) << "x\n";
}

} // namespace

int main(int argc, char **argv) {
    static const std::vector<char> typicalBytes(typical.size(), 'x');
    benchmark::RegisterBenchmark("read/typical", readCase, &typical, Language::Cpp);
    benchmark::RegisterBenchmark("memcpy/typical", [](benchmark::State &state) {
        std::vector<char> to(typicalBytes.size());
        for (auto _ : state)
            copy(to, typicalBytes);
    });
    for (const Hostile &hostile : hostiles()) {
        benchmark::RegisterBenchmark((std::string("read/hostile/") + hostile.name).c_str(), readCase,
                                     &hostile.text, Language::Cpp)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("find/hostile/") + hostile.name).c_str(), findCase,
                                     &hostile.text, Language::Cpp)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    typicalTable();
    hostileTable();
    denseTable();
    processTable();
}
