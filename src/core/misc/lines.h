#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An array of lines: the unit passed between the stages of comment generation. A line holds
// no line break of its own; an empty line is a blank line. The lines sit in one buffer with CR LF
// between them, as they go on the clipboard, so a comment of fifty lines costs a few
// allocations rather than fifty and joining it costs nothing.
class Lines {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const Lines *lines, std::size_t index) : m_lines(lines), m_index(index) {}
        std::string_view operator*() const { return (*m_lines)[m_index]; }
        std::string_view operator[](difference_type n) const { return (*m_lines)[m_index + n]; }
        const_iterator &operator++() { return ++m_index, *this; }
        const_iterator operator++(int) { return {m_lines, m_index++}; }
        const_iterator &operator--() { return --m_index, *this; }
        const_iterator operator--(int) { return {m_lines, m_index--}; }
        const_iterator &operator+=(difference_type n) { return m_index += n, *this; }
        const_iterator &operator-=(difference_type n) { return m_index -= n, *this; }
        friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
        friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
        friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return static_cast<difference_type>(a.m_index) - static_cast<difference_type>(b.m_index);
        }
        friend bool operator==(const_iterator a, const_iterator b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const_iterator a, const_iterator b) { return a.m_index <=> b.m_index; }

    private:
        const Lines *m_lines = nullptr;
        std::size_t m_index = 0;
    };
    using value_type = std::string_view;
    using iterator = const_iterator;
    using size_type = std::size_t;

    Lines() = default;
    Lines(std::initializer_list<std::string_view> lines);

    std::size_t size() const { return m_ends.size(); }
    // The bytes of all lines together, with the CR LF between them.
    std::size_t bytes() const { return m_text.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : m_ends[i - 1] + lineBreak.size();
        return {m_text.data() + start, m_ends[i] - start};
    }
    // operator[] that throws std::out_of_range past the end.
    std::string_view at(std::size_t i) const;
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    // The lines with CR LF between them and none after the last.
    const std::string &text() const & { return m_text; }
    std::string text() && { return std::move(m_text); }

    // Room for as many more lines holding as many more bytes in all.
    void reserve(std::size_t lines, std::size_t bytes);
    void push_back(std::string_view line) {
        if (!m_ends.empty())
            m_text += lineBreak;
        m_text += line;
        m_ends.push_back(m_text.size());
    }
    // Adds to the end of the last line; there must be one.
    void extend(std::string_view text) {
        m_text += text;
        m_ends.back() = m_text.size();
    }
    void extend(std::size_t count, char c) {
        m_text.append(count, c);
        m_ends.back() = m_text.size();
    }
    // Each of the lines, after the prefix: append({"a", ""}, "> ") adds "> a" and "> ".
    void append(const Lines &lines, std::string_view prefix = {});
    void pop_back();

    friend bool operator==(const Lines &a, const Lines &b) {
        return a.m_ends == b.m_ends && a.m_text == b.m_text;
    }

private:
    static constexpr std::string_view lineBreak = "\r\n";

    std::string m_text;              // the lines, CR LF between them
    std::vector<std::size_t> m_ends; // where each line ends in m_text
};

// Splits at CR LF, CR or LF; a trailing break gives no empty last line. "" gives {""}.
// The lead goes before the first line: splitLines("a\nb", "> ") gives {"> a", "b"}.
Lines splitLines(std::string_view text, std::string_view lead = {});
// The same lines added to the end of lines.
void appendSplitLines(Lines &lines, std::string_view text, std::string_view lead = {});
// CR LF between lines, none after the last; {} gives "".
std::string joinLines(const Lines &lines);
std::string joinLines(Lines &&lines);
// Same, with a given separator (remarkist-render --lf).
std::string joinLines(const Lines &lines, std::string_view separator);
// Drops empty lines from the end.
Lines trimTrailingEmpty(Lines lines);
// Drops empty lines from the end, keeping the first keep lines whatever they hold.
void trimTrailingEmpty(Lines &lines, std::size_t keep);
std::string spaces(std::size_t n);
// The column a line ends at when tabs stop every width bytes and it starts at column from:
// displayWidth("ab\tc", 4) is 5, displayWidth("ab\tc", 4, 3) is 9.
std::size_t displayWidth(std::string_view line, std::uint32_t width, std::size_t from = 0);
// The first tab stop (every width columns) past end and at or after column:
// tabStopAfter(7, 4, 12) is 12, tabStopAfter(4, 4, 1) is 8.
std::size_t tabStopAfter(std::size_t end, std::uint32_t width, std::size_t column);
// Pads the last line, which ends at display column end, with spaces or tabs up to
// tabStopAfter(end, width, column): "1234567" (spaces, 4, end 7, column 12) gains 5 spaces.
void padToColumn(Lines &lines, bool useTab, std::uint32_t width, std::size_t end, std::size_t column);
// padToColumn on every line.
Lines alignColumns(bool useTab, std::uint32_t width, std::uint32_t column, const Lines &lines);
// The label, one space, then spaces up to a multiple of the spacing size:
// padLabel(" *") with SpacingSize 4 gives " *  ".
std::string padLabel(std::string_view label);
// One level of indentation inside a document: SpacingSize spaces with Space, a tab otherwise.
std::string indent();
