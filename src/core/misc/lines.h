#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An array of lines: the unit passed between the stages of comment generation. A line holds
// no line break; an empty string is a blank line.
using Lines = std::vector<std::string>;

// Splits at CR LF, CR or LF; a trailing break gives no empty last line. "" gives {""}.
Lines splitLines(std::string_view text);
// CR LF between lines, none after the last; {} gives "".
std::string joinLines(const Lines &lines);
// Same, with a given separator (remarkist-render --lf).
std::string joinLines(const Lines &lines, std::string_view separator);
// Drops empty lines from the end.
Lines trimTrailingEmpty(Lines lines);
// Moves the lines of section to the end of lines.
void appendLines(Lines &lines, Lines section);
std::string spaces(std::size_t n);
// The column a line ends at when tabs stop every width bytes: displayWidth("ab\tc", 4) is 5.
std::size_t displayWidth(std::string_view line, std::uint32_t width);
// Pads the line with spaces or tabs up to the first tab stop (every width columns) that is past
// its end and at or after column: ("1234567", spaces, 4, 12) gains 5 spaces, ("abcd", 4, 1) 4.
void padToColumn(std::string &line, bool useTab, std::uint32_t width, std::size_t column);
// padToColumn on every line.
Lines alignColumns(bool useTab, std::uint32_t width, std::uint32_t column, Lines lines);
// The label, one space, then spaces up to a multiple of the spacing size:
// padLabel(" *") with SpacingSize 4 gives " *  ".
std::string padLabel(std::string_view label);
// One level of indentation inside a document: SpacingSize spaces with Space, a tab otherwise.
std::string indent();
