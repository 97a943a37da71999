#include "core/Orvex/Util/Setting.h"
#include "core/common/settingrecord.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A record as the desktop program keeps it, stored in a fresh directory.
struct TypicalRecord {
    TypicalRecord() {
        std::string pattern = (fs::temp_directory_path() / "settings-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        record.m_path = (dir / "setting.dat").string();
        record.Load();
        record.m_author = "山田 太郎";
        record.m_copyright = "Copyright (c) 2024 Example";
        record.m_setting.opIndexAssign("-8", "WindowX");
        record.m_setting.opIndexAssign("120", "WindowY");
        record.Save();
    }
    ~TypicalRecord() { fs::remove_all(dir); }

    fs::path dir;
    CSettingData record;
};

void RecordLoad(benchmark::State &state) {
    TypicalRecord typical;
    for (auto _ : state)
        typical.record.Load();
    state.SetBytesProcessed(state.iterations() * fs::file_size(typical.record.m_path));
}
BENCHMARK(RecordLoad);

// Includes flushing the file to disk, which dominates.
void RecordSave(benchmark::State &state) {
    TypicalRecord typical;
    for (auto _ : state)
        typical.record.Save();
}
BENCHMARK(RecordSave);

// A stream of about the given size with many keys: groups of 100 leaves under the root.
std::string manyKeys(std::size_t bytes) {
    const auto save = [](Orvex::TSerializingSetting &tree) {
        std::string stream;
        Orvex::StringSaver sink(stream);
        tree.Save(sink);
        return stream;
    };
    const auto addGroup = [](Orvex::TSerializingSetting &tree, int group) {
        auto branch = tree.root()->opIndex("Group" + std::to_string(group));
        for (int i = 0; i < 100; ++i)
            branch->opIndexAssign("value number " + std::to_string(i), "Key" + std::to_string(i));
    };
    Orvex::TSerializingSetting tree;
    addGroup(tree, 0);
    const std::size_t groups = bytes / save(tree).size();
    for (std::size_t group = 1; group < groups; ++group)
        addGroup(tree, static_cast<int>(group));
    return save(tree);
}

// Time per byte should stay flat from 100 KB to 10 MB.
void TreeLoad(benchmark::State &state) {
    const std::string stream = manyKeys(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        Orvex::TSerializingSetting tree;
        Orvex::MemoryLoader source(stream);
        tree.Load(source);
        benchmark::DoNotOptimize(tree.root());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(TreeLoad)->RangeMultiplier(10)->Range(100'000, 10'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
