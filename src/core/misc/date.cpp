#include "core/misc/date.h"

#include "core/common/settingdata.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<const char *, 12> englishMonths = {"January",   "February", "March",    "April",
                                                        "May",       "June",     "July",     "August",
                                                        "September", "October",  "November", "December"};
constexpr std::array<const char *, 7> englishWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char *, 7> japaneseWeekdays = {"日", "月", "火", "水", "木", "金", "土"};

// A broken-down time from a caller may hold any month or weekday; names wrap around instead of
// reading past a table (month 12 names January).
template <std::size_t N> const char *nameOf(const std::array<const char *, N> &names, int index) {
    const int n = static_cast<int>(N);
    return names[static_cast<std::size_t>((index % n + n) % n)];
}

struct Match {
    std::size_t begin = 0, end = 0; // the token's span in the text
    std::string replacement;
};

std::optional<Match> findPlain(std::string_view text, std::string_view token, std::string replacement) {
    const std::size_t at = text.find(token);
    if (at == std::string_view::npos)
        return std::nullopt;
    return Match{at, at + token.size(), std::move(replacement)};
}

// Splits the text between a list token's "[" and its "]%" into exactly `count` names, as the
// pattern " *(.+) *, *(.+) ... *(.+) *" would under leftmost-greedy backtracking: the first name
// takes as many commas as it can, every later name as many as it can after that, spaces after
// "[" and after a comma are skipped as long as the name keeps one character, and spaces before a
// comma stay in the name. A name never holds a line break ("." does not match one).
//
// Choosing the commas from the right, each as far right as the names after it allow, gives that
// leftmost-greedy choice in one pass: " a, b ,c,d" with 3 names gives "a, b ", "c", "d".
std::optional<std::vector<std::string_view>> splitList(std::string_view body, std::size_t count) {
    if (body.find('\n') != std::string_view::npos)
        return std::nullopt;
    std::vector<std::size_t> commas; // chosen commas, rightmost first
    std::size_t limit = body.size(); // the next comma must leave a name of at least one byte after it
    for (std::size_t i = body.size(); i-- > 0 && commas.size() + 1 < count;) {
        if (body[i] == ',' && i + 1 < limit) {
            commas.push_back(i);
            limit = i;
        }
    }
    if (commas.size() + 1 < count || limit == 0)
        return std::nullopt;

    std::vector<std::string_view> names;
    std::size_t start = 0;
    for (std::size_t k = commas.size() + 1; k-- > 0;) {
        const std::size_t end = k > 0 ? commas[k - 1] : body.size();
        while (start + 1 < end && body[start] == ' ')
            ++start;
        names.push_back(body.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The first list token "%M[" ... "]%" (or "%W[") that holds a full list; it ends at the first "]%"
// after its opener, since names never contain "]%". An opener without a full list stays as typed.
// Runs in linear time: when one opener fails, every later opener that closes at the same "]%"
// sees a part of the same text and fails too, so the search resumes past that "]%".
std::optional<Match> findList(std::string_view text, std::string_view opener, std::size_t count,
                              std::size_t index) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t open = text.find(opener, from);
        if (open == std::string_view::npos)
            return std::nullopt;
        const std::size_t bodyBegin = open + opener.size();
        const std::size_t close = text.find("]%", bodyBegin);
        if (close == std::string_view::npos)
            return std::nullopt;
        if (auto names = splitList(text.substr(bodyBegin, close - bodyBegin), count))
            return Match{open, close + 2, std::string((*names)[index])};
        from = std::max(open + 1, close - 2); // "]%W[" may open a list where the last one closes
    }
}

std::string number(int value) {
    return std::to_string(value);
}

std::string applyRule(const std::string &text, const std::optional<Match> &match) {
    if (!match)
        return text;
    return text.substr(0, match->begin) + match->replacement + text.substr(match->end);
}

std::string englishDate(const std::tm &local) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %02d, %04d", nameOf(englishMonths, local.tm_mon), local.tm_mday,
                  local.tm_year + 1900);
    return buffer;
}

} // namespace

std::string zeroPad(std::size_t width, const std::string &digits) {
    if (digits.size() < width)
        return std::string(width - digits.size(), '0') + digits;
    return digits.substr(digits.size() - width);
}

std::string formatDate(const std::string &dateFormat, const std::tm &local) {
    if (dateFormat.empty())
        return englishDate(local);

    const std::string year = number(local.tm_year + 1900);
    const std::string month = number(local.tm_mon + 1);
    const std::string day = number(local.tm_mday);
    const std::string hour = number(local.tm_hour);
    const std::string minute = number(local.tm_min);
    const std::string second = number(local.tm_sec);
    const auto monthIndex = static_cast<std::size_t>(((local.tm_mon % 12) + 12) % 12);
    const auto weekdayIndex = static_cast<std::size_t>(((local.tm_wday % 7) + 7) % 7);

    // Each rule replaces the first occurrence of its token in the text the earlier rules left.
    std::string text = dateFormat;
    const auto plain = [&text](std::string_view token, std::string replacement) {
        text = applyRule(text, findPlain(text, token, std::move(replacement)));
    };
    plain("%Y2%", zeroPad(2, year));
    plain("%Y4%", zeroPad(4, year));
    plain("%M%", month);
    plain("%M2%", zeroPad(2, month));
    plain("%Men%", nameOf(englishMonths, local.tm_mon));
    text = applyRule(text, findList(text, "%M[", 12, monthIndex));
    plain("%D%", day);
    plain("%D2%", zeroPad(2, day));
    plain("%Wen%", nameOf(englishWeekdays, local.tm_wday));
    plain("%Wjp%", nameOf(japaneseWeekdays, local.tm_wday));
    text = applyRule(text, findList(text, "%W[", 7, weekdayIndex));
    plain("%H%", hour);
    plain("%H2%", zeroPad(2, hour));
    plain("%MI%", minute);
    plain("%MI2%", zeroPad(2, minute));
    plain("%S%", second);
    plain("%S2%", zeroPad(2, second));
    return text;
}

std::string formatCurrentDate() {
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return formatDate(g_settingData.dateFormat(), local);
}
