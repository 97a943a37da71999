// Shift+Ctrl+V with 100 KB on the clipboard: reading the text and filling the function page, on
// Qt's offscreen platform. Two shapes of the same size: a long comment above a short declaration,
// and a declaration of many parameters with their comment (every row goes into the table).
// Each must take under 50 ms.

#include "app/AppMain.h"
#include "app/forms/shared.h"
#include "app/platform/platform.h"
#include "core/common/settingrecord.h"
#include "core/doc/request.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

constexpr std::size_t clipboardSize = 100 * 1024;

struct SilentSounds : Sounds {
    void beep() override {}
    void asterisk() override {}
};

struct FixedClipboard : Clipboard {
    std::string current;
    void setText(const std::string &text) override { current = text; }
    std::string text() const override { return current; }
};

// A comment with `params` documented parameters and as many lines of text as it takes to reach
// the clipboard size, followed by the declaration it documents.
std::string source(int params) {
    DocumentRequest request;
    request.summary = "Copies the selected records into the archive.";
    std::string declaration = "int archive(";
    for (int i = 0; i < params; ++i) {
        const std::string name = "parameter" + std::to_string(i);
        request.params.push_back({"in", name, "what it means to the function"});
        declaration += (i ? ", const char *" : "const char *") + name;
    }
    declaration += ");\n";
    request.returns = "0, every record was copied";
    // Each line of the comment comes out longer, behind the comment's column.
    const std::size_t without = renderDocument(request, "\n").size() + 1 + declaration.size();
    for (int line = 0; without + request.comment.size() < clipboardSize; ++line)
        request.comment +=
            "A line of the comment, with a comma, and some words: " + std::to_string(line) + "\n";
    return renderDocument(request, "\n") + "\n" + declaration;
}

void Fill(benchmark::State &state) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QDir::setCurrent(dir.path());
    SilentSounds sounds;
    FixedClipboard clipboard;
    g_sounds = &sounds;
    g_clipboard = &clipboard;
    g_forms = {};
    auto window = std::make_unique<MainWindow>();
    window->buildPages();
    clipboard.current = source(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window->fillFromClipboard();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(clipboard.current.size()));
    state.counters["bytes"] = double(clipboard.current.size());
    window.reset();
    g_sounds = nullptr;
    g_clipboard = nullptr;
}
// Arguments: the number of parameters.
BENCHMARK(Fill)->Arg(3)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
