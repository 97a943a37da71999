#include "core/Orvex/Debug/Debugger.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <unistd.h>

namespace {

using Orvex::DefaultDebugger;

// Answers the questions from a list of lines; nothing when the list is used up.
Orvex::Input answersFrom(std::deque<std::string> lines) {
    auto queue = std::make_shared<std::deque<std::string>>(std::move(lines));
    return [queue]() -> std::optional<std::string> {
        if (queue->empty())
            return std::nullopt;
        std::string line = queue->front();
        queue->pop_front();
        return line;
    };
}

const std::string question = "続行しますか？[y/n] : ";

TEST(Debugger, ReportsThatReturn) {
    struct Row {
        const char *name;
        std::deque<std::string> answers;
        std::function<void(Orvex::Debugger &)> report;
        std::string written;
    };
    const std::string warning = "警告 @ a.cpp(12):\n\t古い設定\n";
    // clang-format off
    const Row rows[] = {
        {"print", {}, [](auto& d) { d.print("x"); }, "Print:x\n"},
        {"print of nothing", {}, [](auto& d) { d.print(""); }, "Print:\n"},
        {"trace writes the message as it is", {}, [](auto& d) { d.trace("a\tb"); }, "a\tb"},
        {"warning without a question", {}, [](auto& d) { d.warn("古い設定", false); }, warning},
        {"answered y", {"y"}, [](auto& d) { d.warn("古い設定", true); }, warning + question},
        {"yes and Y ask again", {"yes", "Y", "y"}, [](auto& d) { d.warn("古い設定", true); },
         warning + question + question + question},
        {"an empty line asks again", {"", "y"}, [](auto& d) { d.warn("古い設定", true); },
         warning + question + question},
    };
    // clang-format on
    for (const Row &row : rows) {
        std::string written;
        DefaultDebugger debugger([&](const std::string &text) { written += text; }, answersFrom(row.answers));
        debugger.setFLInfo("a.cpp", 12);
        row.report(debugger);
        EXPECT_EQ(written, row.written) << row.name;
    }
}

TEST(DebuggerDeathTest, ReportsThatEndTheProcess) {
    struct Row {
        const char *name;
        std::deque<std::string> answers;
        std::function<void(Orvex::Debugger &)> report;
        const char *written; // a regular expression
    };
    // clang-format off
    const Row rows[] = {
        {"abort", {}, [](auto& d) { d.abort(); }, "^a\\.cpp\\(12\\)においてABORTしました。$"},
        {"quiet abort", {}, [](auto& d) { d.abortQuietly(); }, "^$"},
        {"error", {}, [](auto& d) { d.error("壊れた"); }, "^エラー @ a\\.cpp\\(12\\):\n\t壊れた\n$"},
        {"warning answered n", {"N", "n"}, [](auto& d) { d.warn("w", true); },
         "^警告 @ a\\.cpp\\(12\\):\n\tw\n続行しますか？\\[y/n\\] : 続行しますか？\\[y/n\\] : "
         "a\\.cpp\\(12\\)においてABORTしました。$"},
        {"no answer left", {}, [](auto& d) { d.warn("w", true); }, "\\[y/n\\] : a\\.cpp\\(12\\)においてABORTしました。$"},
    };
    // clang-format on
    for (const Row &row : rows) {
        // The report goes to standard error, where the death test can see it.
        DefaultDebugger debugger([](const std::string &text) { std::fputs(text.c_str(), stderr); },
                                 answersFrom(row.answers));
        debugger.setFLInfo("a.cpp", 12);
        EXPECT_EXIT(row.report(debugger), ::testing::ExitedWithCode(1), row.written) << row.name;
    }
}

TEST(Console, ReadsLinesFromAPipe) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string typed = "yes\r\nY\n\ny";
    ASSERT_EQ(::write(fds[1], typed.data(), typed.size()), ssize_t(typed.size()));
    ::close(fds[1]);
    std::FILE *in = ::fdopen(fds[0], "r");
    std::string written;
    DefaultDebugger debugger([&](const std::string &text) { written += text; },
                             Orvex::Console::lineReaderFrom(in));
    debugger.setFLInfo("p.cpp", 3);
    debugger.warn("m", true); // yes, Y and the empty line ask again; y without a line end counts
    std::fclose(in);
    EXPECT_EQ(written, "警告 @ p.cpp(3):\n\tm\n" + question + question + question + question);
}

TEST(Debugger, RecordsTheCallingPlace) {
    ORVEX_SET_FLINFO();
    const int line = __LINE__ - 1;
    EXPECT_EQ(Orvex::getDefaultDebugger().flInfo().file, __FILE__);
    EXPECT_EQ(Orvex::getDefaultDebugger().flInfo().line, line);
}

} // namespace
