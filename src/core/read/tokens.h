#pragma once

#include "core/common/language.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

enum class TokenKind : std::uint8_t { Word, Number, String, Punct };

// Letters, digits, "_", "$", and every byte of a UTF-8 sequence (identifiers may hold them).
inline bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           u == '$' || u >= 0x80;
}

inline constexpr std::uint32_t noMatch = UINT32_MAX;

struct Token {
    TokenKind kind;
    std::uint32_t begin, end; // bytes of the text
    std::uint32_t line;       // 1-based, of the first byte
    // For a bracket, the index of its partner: "(" and ")", "[" and "]", "{" and "}", and in C++
    // and Java "<" and ">" where they enclose template or type arguments. noMatch otherwise.
    std::uint32_t match;
};

// What lies between the tokens and is not blank: a comment, or in C and C++ a preprocessor line.
struct Trivia {
    std::uint32_t begin, end; // bytes
    std::uint32_t firstLine, lastLine;
    bool directive;
};

struct Tokens {
    std::string_view text;
    std::vector<Token> tokens;
    std::vector<Trivia> trivia; // in the order of the text

    std::size_t size() const { return tokens.size(); }
    std::string_view spelling(std::size_t i) const {
        return text.substr(tokens[i].begin, tokens[i].end - tokens[i].begin);
    }
    // Whether token i exists and is spelled `s` (not empty): is(i, "(") or is(i, "const").
    [[gnu::always_inline]] bool is(std::size_t i, std::string_view s) const {
        if (i >= tokens.size())
            return false;
        const Token &token = tokens[i];
        // Length and first byte first: most comparisons end there, without a call to memcmp.
        return token.end - token.begin == s.size() && text[token.begin] == s[0] &&
               (s.size() == 1 || spelling(i) == s);
    }
    bool isWord(std::size_t i) const { return i < tokens.size() && tokens[i].kind == TokenKind::Word; }
    // The partner of the bracket at i, or noMatch (also for i past the end).
    std::size_t match(std::size_t i) const { return i < tokens.size() ? tokens[i].match : noMatch; }
    // The line of the last byte of token i.
    std::size_t lastLine(std::size_t i) const;
};

// Splits the text into words, numbers, strings and punctuation, keeping comments and preprocessor
// lines aside, and pairs the brackets. Never fails: an unterminated string or comment runs to the
// end of its line or of the text, an unpaired bracket keeps noMatch. One pass, no recursion.
// The text must be shorter than 4 GiB.
Tokens tokenize(std::string_view text, Language language);
