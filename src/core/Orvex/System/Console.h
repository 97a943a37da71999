#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace Orvex {

// Where a reporter writes: the text goes out unchanged and at once.
using Output = std::function<void(const std::string &)>;
// Where a reporter reads an answer: one line without its line end, nothing at the end of input.
using Input = std::function<std::optional<std::string>()>;

namespace Console {

Output writerTo(std::FILE *file);
// "y\r\n" and "y\n" both read as "y".
Input lineReaderFrom(std::FILE *file);

// The console: its own streams over standard output and standard input, opened on first use
// and closed when the program ends.
Output output();
Input input();

} // namespace Console
} // namespace Orvex
