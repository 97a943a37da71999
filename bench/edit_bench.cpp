// remarkist-render edit's work beyond process start on a 1 MB source file (target under 20 ms):
// reading the file, finding the declaration at a line in the middle, reading its comment and
// rendering the merged one. The settings are the first-start ones; the language is given, as the
// editors give it from the file type.

#include "core/common/settingrecord.h"
#include "core/read/source.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// About 1 MB of C++: a documented class whose methods have comments, declarations and bodies.
std::string source() {
    const std::string unit = "/**\n"
                             " * Copies records.\n"
                             " * @param[in] from the source\n"
                             " * @param[out] to the target\n"
                             " */\n"
                             "int copy(const Record *from, Record *to, std::size_t count = 0) {\n"
                             "    for (std::size_t i = 0; i < count; ++i)\n"
                             "        to[i] = from[i];\n"
                             "    return static_cast<int>(count);\n"
                             "}\n\n";
    std::string text;
    while (text.size() < (1u << 20))
        text += unit;
    return text;
}

void edit(benchmark::State &state) {
    const std::string path = "/tmp/remarkist-edit-bench.cpp";
    const std::string text = source();
    std::ofstream(path, std::ios::binary) << text;
    const std::size_t units = text.size() / 300, line = units / 2 * 11 + 6; // a declaration mid-file
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::string buffer{std::istreambuf_iterator<char>(in), {}};
        SourceEdit result = editSource(buffer, line, Language::Cpp, "Copies records.");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(edit)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    g_settingRecord.resetToFirstStart();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
