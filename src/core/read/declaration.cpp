#include "core/read/declaration.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace {

// Spellings compared length and first byte first: most comparisons end there, without a call
// to memcmp.
[[gnu::always_inline]] inline bool same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || a[0] == b[0]) && (a.size() == 1 || a == b);
}

bool oneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(), [word](std::string_view w) { return same(word, w); });
}

// A set of words that rules out most others by their length and first byte alone.
class WordSet {
public:
    template <std::size_t N> constexpr WordSet(const std::string_view (&words)[N]) : m_words(words) {
        for (std::string_view w : words) {
            m_lengths |= std::uint64_t{1} << w.size();
            const auto c = static_cast<unsigned char>(w[0]);
            m_firsts[c / 64] |= std::uint64_t{1} << (c % 64);
        }
    }
    bool contains(std::string_view word) const {
        if (word.empty() || word.size() >= 64 || !(m_lengths >> word.size() & 1))
            return false;
        const auto c = static_cast<unsigned char>(word[0]);
        return (m_firsts[c / 64] >> (c % 64) & 1) &&
               std::any_of(m_words.begin(), m_words.end(),
                           [word](std::string_view w) { return same(word, w); });
    }

private:
    std::span<const std::string_view> m_words;
    std::uint64_t m_lengths = 0;
    std::array<std::uint64_t, 4> m_firsts{};
};

bool oneOf(std::string_view word, const WordSet &words) {
    return words.contains(word);
}

// Macros that stand on their own in a class or namespace and are part of no declaration:
// Q_OBJECT, Q_PROPERTY(...), Q_DECLARE_METATYPE(T), DECLARE_HANDLE(x), QT_BEGIN_NAMESPACE.
constexpr std::string_view standaloneMacrosList[] = {"Q_OBJECT",
                                                     "Q_GADGET",
                                                     "Q_GADGET_EXPORT",
                                                     "Q_NAMESPACE",
                                                     "Q_NAMESPACE_EXPORT",
                                                     "Q_PROPERTY",
                                                     "Q_PRIVATE_PROPERTY",
                                                     "Q_ENUM",
                                                     "Q_ENUMS",
                                                     "Q_ENUM_NS",
                                                     "Q_FLAG",
                                                     "Q_FLAGS",
                                                     "Q_FLAG_NS",
                                                     "Q_INTERFACES",
                                                     "Q_CLASSINFO",
                                                     "Q_PLUGIN_METADATA",
                                                     "Q_PRIVATE_SLOT",
                                                     "Q_MOC_INCLUDE",
                                                     "Q_DISABLE_MOVE",
                                                     "QT_WARNING_PUSH",
                                                     "QT_WARNING_POP",
                                                     "Q_OBJECT_BINDABLE_PROPERTY",
                                                     "Q_OBJECT_COMPAT_PROPERTY"};

bool standaloneMacro(std::string_view word) {
    static constexpr std::string_view prefixes[] = {"DECLARE_", "Q_DECLARE_", "Q_DISABLE_COPY",
                                                    "QT_WARNING_DISABLE_"};
    static constexpr std::string_view suffixes[] = {"_BEGIN_NAMESPACE", "_END_NAMESPACE", "BEGIN_DECLS",
                                                    "END_DECLS"};
    if (word.size() < 6)
        return false;
    return std::any_of(std::begin(standaloneMacrosList), std::end(standaloneMacrosList),
                       [word](std::string_view w) { return w == word; }) ||
           std::any_of(std::begin(prefixes), std::end(prefixes),
                       [word](std::string_view p) { return word.starts_with(p); }) ||
           std::any_of(std::begin(suffixes), std::end(suffixes),
                       [word](std::string_view p) { return word.ends_with(p); }) ||
           word.find("DISALLOW_") != std::string_view::npos;
}

// Microsoft's source annotations before a parameter's type, whose case sets them apart from
// export macros: _In_, _Out_opt_, _Inout_updates_(n).
bool sourceAnnotation(std::string_view word) {
    return word.size() >= 4 && word[0] == '_' && word[1] >= 'A' && word[1] <= 'Z' && word.back() == '_' &&
           std::any_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// Export and attribute macros: GTEST_API_, SQLITE_API, Q_DECL_NOEXCEPT, __THROW, __wur.
bool macroLike(std::string_view word) {
    if (word.size() < 2)
        return false;
    if (word.starts_with("__"))
        return true;
    bool letter = false;
    for (char c : word) {
        if (c >= 'A' && c <= 'Z')
            letter = true;
        else if (!(c >= '0' && c <= '9') && c != '_')
            return false;
    }
    return letter;
}

constexpr std::string_view cBuiltinsList[] = {
    "void", "bool",  "char",   "wchar_t", "char8_t",  "char16_t", "char32_t", "short",    "int",
    "long", "float", "double", "signed",  "unsigned", "auto",     "_Bool",    "_Complex", "__int128"};
constexpr std::string_view dBuiltinsList[] = {
    "void",   "bool",    "byte",  "ubyte",  "short",   "ushort", "int",  "uint",  "long",
    "ulong",  "cent",    "ucent", "float",  "double",  "real",   "char", "wchar", "dchar",
    "ifloat", "idouble", "ireal", "cfloat", "cdouble", "creal",  "auto"};
// Words in a C or C++ type that name no type themselves.
constexpr std::string_view cQualifiersList[] = {
    "const", "volatile", "restrict", "__restrict", "__restrict__", "register", "struct",   "class",
    "union", "enum",     "typename", "_Atomic",    "__const",      "_Nonnull", "_Nullable"};
// Words followed by a parenthesised argument that belongs to them, never function names.
constexpr std::string_view cGroupWordsList[] = {
    "__attribute__", "__attribute", "__declspec", "alignas",       "_Alignas",       "decltype", "typeof",
    "__typeof__",    "__typeof",    "noexcept",   "throw",         "explicit",       "asm",      "__asm__",
    "__asm",         "sizeof",      "alignof",    "static_assert", "_Static_assert", "_Pragma",  "__pragma",
    "_Atomic"};
constexpr std::string_view dGroupWordsList[] = {
    "const", "immutable", "shared", "inout", "typeof", "extern", "align", "deprecated", "package", "__traits",
    "scope", "version",   "debug",  "mixin", "assert", "if",     "is",    "cast",       "pragma"};
// Words after which a statement is no declaration: in every language, and in each one (a Java
// method may be called delete).
constexpr std::string_view commonStatementWordsList[] = {"return",   "if",     "else",  "while", "for",
                                                         "do",       "switch", "case",  "goto",  "break",
                                                         "continue", "try",    "catch", "throw"};
constexpr std::string_view cStatementWordsList[] = {"new",       "delete",        "using",
                                                    "namespace", "co_return",     "co_yield",
                                                    "sizeof",    "static_assert", "_Static_assert"};
constexpr std::string_view dStatementWordsList[] = {"new",     "delete", "import",   "module",   "alias",
                                                    "finally", "assert", "unittest", "invariant"};
constexpr std::string_view javaStatementWordsList[] = {"new", "import", "package", "finally", "assert"};
constexpr std::string_view accessWordsList[] = {"public",  "private", "protected", "package", "export",
                                                "signals", "slots",   "Q_SIGNALS", "Q_SLOTS"};
constexpr WordSet cBuiltins{cBuiltinsList};
constexpr WordSet dBuiltins{dBuiltinsList};
constexpr WordSet cQualifiers{cQualifiersList};
constexpr WordSet cGroupWords{cGroupWordsList};
constexpr WordSet dGroupWords{dGroupWordsList};
constexpr WordSet commonStatementWords{commonStatementWordsList};
constexpr WordSet cStatementWords{cStatementWordsList};
constexpr WordSet dStatementWords{dStatementWordsList};
constexpr WordSet javaStatementWords{javaStatementWordsList};
constexpr WordSet accessWords{accessWordsList};

enum class Outcome { Accepted, Rejected, Failed };

struct Tail {
    Outcome outcome = Outcome::Rejected;
    std::size_t end = 0; // the last token of the declaration
    std::vector<ExceptionEntry> throws;
};

// What a reading from one token found.
struct Found {
    DocumentRequest request;
    std::size_t first = 0, last = 0; // tokens
    std::size_t body = noMatch;      // a class's or a namespace's "{"
    std::size_t name = noMatch;      // a class's name
    bool enumeration = false;        // the body holds enumerators
    bool returnsValue = true;
    std::vector<bool> byValue;
};

class Reader {
public:
    Reader(const Tokens &tokens, Language language) : t(tokens), m_language(language), n(tokens.size()) {}

    // Reads the declaration that starts at token i, after any access labels. On failure, stop()
    // is the token where reading stopped (size() for the end of the text).
    bool read(std::size_t i, Found &found);
    // An enumerator from i, ending at a top-level "," (its last token) or before `end`: "RED,",
    // "RED = 1 << 2,", Java's "ACTIVE("a") {...},". With standalone, only a text that cannot be
    // anything else: "RED" alone is no enumerator, and ";" ends none but Java's.
    bool readEnumerator(std::size_t i, std::size_t end, bool standalone, Found &found);
    std::size_t stop() const { return m_stop; }
    std::size_t skipLabels(std::size_t i) const;
    // The class whose body is being read, for its constructors: "Widget(QWidget *parent)".
    void setClassName(std::string_view name) { m_className = name; }

private:
    bool cLike() const { return m_language == Language::C || m_language == Language::Cpp; }
    bool isD() const { return m_language == Language::D; }
    bool isJava() const { return m_language == Language::Java; }
    std::string_view word(std::size_t i) const { return t.isWord(i) ? t.spelling(i) : std::string_view{}; }
    [[gnu::always_inline]] bool isPunct(std::size_t i, std::string_view s) const {
        return t.is(i, s) && t.tokens[i].kind == TokenKind::Punct;
    }
    bool isOpen(std::size_t i) const { return isPunct(i, "(") || isPunct(i, "[") || isPunct(i, "{"); }
    // Past the group opened at i, or i + 1 when it has no partner.
    std::size_t pastGroup(std::size_t i) const {
        const std::size_t m = t.match(i);
        return m == noMatch || m < i ? i + 1 : m + 1;
    }
    bool fail(std::size_t at) {
        m_stop = std::min(at, n);
        return false;
    }

    // Past an attribute at i ([[...]], __attribute__((...)), @Name(...)), or i when none is there.
    std::size_t skipAttribute(std::size_t i) const;
    std::size_t skipAnnotation(std::size_t i) const;
    std::size_t skipConstraint(std::size_t i) const;
    bool readClass(std::size_t keyword, std::size_t first, Found &found, bool &isClass);
    bool readToEnd(std::size_t from, std::size_t first, Found &found);
    bool readNamespace(std::size_t keyword, std::size_t first, Found &found);
    bool isName(std::size_t i, std::size_t first) const;
    bool macroCall(std::size_t name, std::size_t words, const Found &found) const;
    Outcome readFunction(std::size_t params, std::size_t tailFrom, std::size_t first, std::size_t name,
                         Found &found);
    bool returnsNothing(std::size_t first, std::size_t name, std::size_t tailFrom, std::size_t tailEnd) const;
    bool readNestedDeclarator(std::size_t open, std::size_t first, Found &found);
    std::size_t operatorParams(std::size_t i) const;
    Tail readTail(std::size_t j);
    std::size_t readExceptionList(std::size_t from, std::size_t to, std::vector<ExceptionEntry> &out) const;
    bool readParams(std::size_t open, std::vector<ParamEntry> &params, std::vector<bool> &byValue);
    bool readParam(std::size_t b, std::size_t e, bool only, std::vector<ParamEntry> &params,
                   std::vector<bool> &byValue);
    bool readCParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param);
    bool readDParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param);
    bool readJavaParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param,
                       bool &receiver);
    void topLevel(std::size_t b, std::size_t e, std::vector<std::size_t> &out) const;
    std::string cDirection(const std::vector<std::size_t> &type, std::size_t count, std::string_view extraOp,
                           bool array) const;
    bool hasConst(const std::vector<std::size_t> &type, std::size_t from, std::size_t to) const;
    std::string spell(std::size_t from, std::size_t to) const;

    const Tokens &t;
    Language m_language;
    std::size_t n;
    std::size_t m_stop = 0;
    std::vector<std::size_t> m_elements; // reused for each parameter
    bool m_byValue = true;               // of the parameter read last
    std::string_view m_className;
};

std::size_t Reader::skipAnnotation(std::size_t i) const {
    // "@Override", "@java.lang.Deprecated(since = "9")", D's "@safe" and "@(attr)".
    ++i;
    if (isPunct(i, "("))
        return pastGroup(i);
    if (!t.isWord(i))
        return i;
    ++i;
    while (isPunct(i, ".") && t.isWord(i + 1))
        i += 2;
    return isPunct(i, "(") && t.match(i) != noMatch ? pastGroup(i) : i;
}

std::size_t Reader::skipAttribute(std::size_t i) const {
    if (isPunct(i, "[") && isPunct(i + 1, "[") && t.match(i) != noMatch)
        return pastGroup(i);
    if ((isD() || isJava()) && isPunct(i, "@") && !t.is(i + 1, "interface"))
        return skipAnnotation(i);
    if (cLike() && oneOf(word(i), {"__attribute__", "__attribute", "__declspec", "alignas", "_Alignas"}) &&
        isPunct(i + 1, "(") && t.match(i + 1) != noMatch)
        return pastGroup(i + 1);
    return i;
}

// Past a C++20 constraint after "requires": "Integral<T> && (sizeof(T) > 2)".
std::size_t Reader::skipConstraint(std::size_t i) const {
    for (;;) {
        if (isPunct(i, "(")) {
            i = pastGroup(i);
        } else {
            while (t.isWord(i) || isPunct(i, "::"))
                ++i;
            if (isPunct(i, "<") && t.match(i) != noMatch)
                i = pastGroup(i);
        }
        if (!isPunct(i, "&&") && !isPunct(i, "||"))
            return i;
        ++i;
    }
}

std::size_t Reader::skipLabels(std::size_t i) const {
    for (;;) {
        const std::string_view w = word(i);
        const bool labelWord = oneOf(w, accessWords) || macroLike(w) ||
                               (isD() && oneOf(w, {"static", "final", "override", "abstract", "pure",
                                                   "nothrow", "shared", "__gshared", "extern", "align"}));
        if (labelWord && isPunct(i + 1, ":")) {
            i += 2;
        } else if (labelWord && t.isWord(i + 1) && isPunct(i + 2, ":")) {
            i += 3; // "public slots:"
        } else if (isD() && labelWord && isPunct(i + 1, "(") && isPunct(pastGroup(i + 1), ":")) {
            i = pastGroup(i + 1) + 1; // "extern (C):"
        } else if (isD() && isPunct(i, "@")) {
            const std::size_t after = skipAnnotation(i);
            if (!isPunct(after, ":"))
                return i;
            i = after + 1;
        } else if (cLike() && standaloneMacro(w)) {
            i = isPunct(i + 1, "(") && t.match(i + 1) != noMatch ? pastGroup(i + 1) : i + 1;
            if (isPunct(i, ";"))
                ++i;
        } else {
            return i;
        }
    }
}

bool Reader::read(std::size_t i, Found &found) {
    const std::size_t first = skipLabels(i);
    bool typeDefinition = false; // typedef: a function shape names a type
    std::size_t words = 0;       // the words passed, of a type before a variable's name
    std::size_t j = first;
    while (j < n) {
        const Token &token = t.tokens[j];
        const std::string_view s = t.spelling(j);
        if (const std::size_t past = skipAttribute(j); past != j) {
            j = past;
            continue;
        }
        if (token.kind == TokenKind::Number || token.kind == TokenKind::String) {
            // extern "C"; D's template arguments Flag!"each", Vector!3
            const bool argument = (token.kind == TokenKind::String && j > 0 && word(j - 1) == "extern") ||
                                  (isD() && isPunct(j - 1, "!"));
            if (!argument)
                return fail(j);
            ++j;
            continue;
        }
        if (token.kind == TokenKind::Punct) {
            // What ends a variable's name: "int n;", "int n = 1", "int a, b", "int a[4]", "int b : 3",
            // "int n{1}"; or a type definition.
            const bool variableEnd = same(s, ";") || same(s, "=") || same(s, ",") ||
                                     (cLike() && (same(s, "[") || same(s, ":"))) ||
                                     (m_language == Language::Cpp && same(s, "{"));
            if (variableEnd && typeDefinition) {
                return (same(s, ";") || same(s, ",")) && words > 1 ? readToEnd(j, first, found) : fail(j);
            } else if (variableEnd) {
                return isName(j, first) && words > 1 ? readToEnd(j, first, found) : fail(j);
            } else if (same(s, "::") || same(s, "*") || same(s, "&") || same(s, "&&") || same(s, "~") ||
                       (same(s, ".") && !cLike()) || (same(s, "!") && isD())) {
                ++j;
            } else if (same(s, "<") && t.match(j) != noMatch) {
                j = pastGroup(j); // template or type arguments
            } else if (same(s, "[") && !cLike() && t.match(j) != noMatch) {
                j = pastGroup(j); // "int[] f()", D's "int[string] f()"
            } else if (same(s, "@") && isJava() && t.is(j + 1, "interface")) {
                bool isClass = false;
                if (!readClass(j + 1, first, found, isClass) || isClass)
                    return isClass;
                return fail(j);
            } else if (same(s, "(") && isD() && isPunct(j - 1, "!") && t.match(j) != noMatch) {
                j = pastGroup(j); // "Tuple!(int, string) f()"
            } else if (same(s, "(") && cLike() && typeDefinition && t.match(j) != noMatch) {
                j = pastGroup(j); // "typedef int (*handler)(int);"
            } else if (same(s, "(") && cLike() && !typeDefinition) {
                return readNestedDeclarator(j, first, found);
            } else {
                return fail(j);
            }
            continue;
        }
        // A word.
        const bool classKeyword = oneOf(s, {"class", "struct", "union", "enum"}) ||
                                  (isJava() && oneOf(s, {"interface", "record"})) ||
                                  (isD() && oneOf(s, {"interface", "template"}));
        if (classKeyword) {
            bool isClass = false;
            if (!readClass(j, first, found, isClass))
                return false;
            if (isClass)
                return true;
        }
        if (same(s, "operator") && m_language == Language::Cpp) {
            const std::size_t params = operatorParams(j);
            if (params == noMatch)
                return fail(j);
            if (typeDefinition)
                return fail(j);
            const Outcome outcome = readFunction(params, pastGroup(params), first, j, found);
            return outcome == Outcome::Accepted || (outcome == Outcome::Rejected && fail(params));
        }
        if (same(s, "namespace") && m_language == Language::Cpp)
            return readNamespace(j, first, found);
        if (same(s, "using") && m_language == Language::Cpp) {
            // An alias "using T = int;"; "using Base::f;" and "using namespace std;" are none.
            const std::size_t equals = skipAttribute(j + 2);
            return t.isWord(j + 1) && isPunct(equals, "=") ? readToEnd(equals + 1, first, found) : fail(j);
        }
        // "alias T = int;", "module std.stdio;", "package java.util;"
        if ((isD() && oneOf(s, {"alias", "module"})) || (isJava() && same(s, "package") && t.isWord(j + 1)))
            return readToEnd(j + 1, first, found);
        if (isD() && same(s, "unittest") && isPunct(j + 1, "{")) {
            // A documented unittest, an example of what stands before it.
            found.request = DocumentRequest{};
            found.request.kind = DocumentKind::Class;
            found.first = first;
            found.last = t.match(j + 1) != noMatch ? t.match(j + 1) : n - 1;
            found.body = noMatch;
            found.name = noMatch;
            found.returnsValue = true;
            found.byValue.clear();
            return true;
        }
        if (isD() && (same(s, "else") || (same(s, "static") && t.is(j + 1, "if")) ||
                      (oneOf(s, {"version", "debug"}) && !isPunct(j + 1, "=")))) {
            // A condition before the declaration: "else version (Darwin) alias Handle = sem_t;",
            // "static if (x) int y;"; a block after it is no declaration.
            j += same(s, "static") ? 2 : 1;
            if (isPunct(j, "(") && t.match(j) != noMatch)
                j = pastGroup(j);
            continue;
        }
        const bool knownStatement =
            oneOf(s, commonStatementWords) || (cLike() && oneOf(s, cStatementWords)) ||
            (isD() && (oneOf(s, dStatementWords) || (same(s, "mixin") && !t.is(j + 1, "template")))) ||
            (isJava() && oneOf(s, javaStatementWords));
        if (knownStatement)
            return fail(j);
        if (same(s, "typedef"))
            typeDefinition = true;
        if (same(s, "template") && m_language == Language::Cpp && isPunct(j + 1, "<")) {
            if (t.match(j + 1) == noMatch)
                return fail(j + 1);
            j = pastGroup(j + 1);
            continue;
        }
        if (same(s, "requires") && m_language == Language::Cpp) {
            j = skipConstraint(j + 1);
            continue;
        }
        ++words;
        if (cLike() && oneOf(s, cBuiltins)) {
            ++j; // "void (*signal(int, void (*)(int)))(int)": the "(" is a declarator's
            continue;
        }
        std::size_t open = j + 1;
        if (m_language == Language::Cpp && isPunct(open, "<") && t.match(open) != noMatch)
            open = pastGroup(open); // "f<int>(" in an explicit specialisation
        if (cLike() && open == j + 1 && !oneOf(s, cGroupWords) &&
            (isPunct(open + 1, "*") || isPunct(open + 1, "&") || isPunct(open + 1, "&&") ||
             isPunct(open + 1, "^"))) {
            ++j; // a type before a declarator: "sqlite3_int64 (*xRowid)(Fts5Context *);"
            continue;
        }
        if (isPunct(open, "(")) {
            if (t.match(open) == noMatch)
                return fail(open);
            const bool takesGroup = cLike() ? oneOf(s, cGroupWords) || oneOf(s, cQualifiers)
                                    : isD() ? oneOf(s, dGroupWords) || (oneOf(s, dBuiltins))
                                            : false;
            if (!takesGroup && !typeDefinition) {
                const Outcome outcome = readFunction(open, pastGroup(open), first, j, found);
                if (outcome == Outcome::Accepted && macroCall(j, words, found))
                    return fail(j);
                if (outcome != Outcome::Rejected)
                    return outcome == Outcome::Accepted;
                // A macro before the return type. Every name up to where its tail was rejected
                // would be rejected at the same token, so reading goes on from there.
                j = m_stop;
                continue;
            }
            j = pastGroup(open);
            continue;
        }
        ++j;
    }
    return fail(n);
}

// Whether the token before the "=", ";" or "[" at `end` can be a variable's name: a word after
// the type, not a keyword nor a member ("this.x = 1"); array bounds or D's template parameters
// may stand between.
bool Reader::isName(std::size_t end, std::size_t first) const {
    std::size_t i = end;
    while (i > first && isPunct(i - 1, "]") && t.match(i - 1) != noMatch && t.match(i - 1) >= first)
        i = t.match(i - 1);
    if (isD() && i > first && isPunct(i - 1, ")") && t.match(i - 1) != noMatch && t.match(i - 1) > first)
        i = t.match(i - 1); // a template's parameters: "enum bool isRange(R) = ..."
    if (m_language == Language::Cpp && i > first && isPunct(i - 1, ">") && t.match(i - 1) != noMatch &&
        t.match(i - 1) > first)
        i = t.match(i - 1); // a specialisation: "template <> constexpr T pi_v<T> = 3;"
    if (i <= first + 1 || !t.isWord(i - 1))
        return false;
    const std::string_view w = word(i - 1);
    const bool keyword = cLike() ? oneOf(w, cBuiltins) || oneOf(w, cQualifiers)
                         : isD() ? oneOf(w, dBuiltins) || oneOf(w, {"const", "immutable", "shared", "inout"})
                                 : oneOf(w, {"this", "int", "long", "short", "byte", "char", "boolean",
                                             "float", "double", "void"});
    return !keyword && !isPunct(i - 2, ".") && !isPunct(i - 2, "!");
}

// A call of a macro that declares something, not a declaration: "G_DEFINE_TYPE(Foo, foo, G_TYPE)",
// "DEFINE_GUID(x)": a name in capitals with no type before it and no named parameter.
bool Reader::macroCall(std::size_t name, std::size_t words, const Found &found) const {
    if (!cLike() || words != 1 || !macroLike(word(name)) || t.spelling(name) == m_className ||
        isPunct(name - 1, "~"))
        return false;
    return std::none_of(found.request.params.begin(), found.request.params.end(),
                        [](const ParamEntry &param) { return !param.name.empty() && param.name != "..."; });
}

// A declaration that documents as a class, from `from` to its ";": a variable, a type alias, a
// module or package line. A second declarator may be a function, which is read instead:
// "int a, f(int x);".
bool Reader::readToEnd(std::size_t from, std::size_t first, Found &found) {
    const auto accept = [&](std::size_t last) {
        found.request = DocumentRequest{};
        found.request.kind = DocumentKind::Class;
        found.first = first;
        found.last = std::max(last, first);
        found.body = noMatch;
        found.name = noMatch;
        found.returnsValue = true;
        found.byValue.clear();
        return true;
    };
    bool functionTried = false; // one try: a tail read to the ";" and then rejected is not read again
    for (std::size_t k = from; k < n;) {
        if (isPunct(k, ";"))
            return accept(k);
        if (isPunct(k, "}") && (t.match(k) == noMatch || t.match(k) < from))
            return accept(k - 1); // the end of the block around it
        if (isPunct(k, ",") && cLike() && !functionTried) {
            std::size_t p = k + 1;
            while (isPunct(p, "*") || isPunct(p, "&") || isPunct(p, "&&") || oneOf(word(p), cQualifiers))
                ++p;
            if (t.isWord(p) && isPunct(p + 1, "(") && t.match(p + 1) != noMatch) {
                const Outcome outcome = readFunction(p + 1, pastGroup(p + 1), first, p, found);
                if (outcome == Outcome::Accepted)
                    return true;
                functionTried = outcome == Outcome::Failed;
            }
        }
        const std::size_t m = t.match(k);
        k = (isOpen(k) || isPunct(k, "<")) && m != noMatch && m > k ? m + 1 : k + 1;
    }
    return accept(n - 1);
}

// "namespace io {", "inline namespace v1 {", "namespace a::b {", "namespace fs = std::filesystem;".
bool Reader::readNamespace(std::size_t keyword, std::size_t first, Found &found) {
    std::size_t j = skipAttribute(keyword + 1);
    while (t.isWord(j) || isPunct(j, "::"))
        j = skipAttribute(j + 1);
    if (isPunct(j, "=") && t.isWord(keyword + 1))
        return readToEnd(j + 1, first, found);
    if (!isPunct(j, "{"))
        return fail(j);
    found.request = DocumentRequest{};
    found.request.kind = DocumentKind::Class;
    found.first = first;
    found.body = t.match(j) != noMatch ? j : noMatch;
    found.last = t.match(j) != noMatch ? t.match(j) : n - 1;
    found.name = noMatch;
    found.returnsValue = true;
    found.byValue.clear();
    return true;
}

bool Reader::readEnumerator(std::size_t i, std::size_t end, bool standalone, Found &found) {
    std::size_t j = i;
    for (;;) {
        if (const std::size_t past = skipAttribute(j); past != j)
            j = past;
        else if (isD() && t.is(j, "deprecated"))
            j = isPunct(j + 1, "(") ? pastGroup(j + 1) : j + 1;
        else
            break;
    }
    const std::string_view name = word(j);
    if (name.empty() || j >= end)
        return fail(j);
    if (standalone) {
        const bool keyword =
            oneOf(name, commonStatementWords) ||
            (cLike() && (oneOf(name, cBuiltins) || oneOf(name, cQualifiers))) ||
            (isD() && oneOf(name, dBuiltins)) ||
            oneOf(name, {"class", "struct", "union", "enum", "interface", "typedef", "using"});
        if (keyword)
            return fail(j);
    }
    std::size_t k = j + 1;
    // Attributes after the name: "Old Q_DECL_ENUMERATOR_DEPRECATED_X("...") = 1", "Old [[deprecated]]".
    for (;;) {
        if (const std::size_t past = skipAttribute(k); past != k)
            k = past;
        else if (cLike() && macroLike(word(k)))
            k = isPunct(k + 1, "(") && t.match(k + 1) != noMatch ? pastGroup(k + 1) : k + 1;
        else
            break;
    }
    if (isJava() && isPunct(k, "(") && t.match(k) != noMatch)
        k = pastGroup(k); // ACTIVE("a")
    if (isJava() && isPunct(k, "{") && t.match(k) != noMatch)
        k = pastGroup(k); // a constant's own class body
    if (standalone && !isPunct(k, ",") && !isPunct(k, "}") && !isPunct(k, "=") &&
        !(isJava() && isPunct(k, ";")))
        return fail(k);
    if (isPunct(k, "=") && (isJava() || k + 1 >= end))
        return fail(k);
    // The value runs to the next top-level ",".
    while (k < end && !isPunct(k, ",") && !isPunct(k, "}") && !(isJava() && isPunct(k, ";"))) {
        if (isPunct(k, ";"))
            return fail(k);
        const std::size_t m = t.match(k);
        k = (isOpen(k) || isPunct(k, "<")) && m != noMatch && m > k && m < end ? m + 1 : k + 1;
    }
    found.request = DocumentRequest{};
    found.request.kind = DocumentKind::Class;
    found.first = i;
    found.last = isPunct(k, ",") && k < end ? k : k - 1;
    found.body = noMatch;
    found.name = noMatch;
    found.returnsValue = true;
    found.byValue.clear();
    return true;
}

// A class, struct, union, enum, interface, record or D template at `keyword`, when what follows
// its name ends a class head; isClass stays false for "struct foo *make(void)".
bool Reader::readClass(std::size_t keyword, std::size_t first, Found &found, bool &isClass) {
    std::size_t j = keyword + 1;
    if (t.is(keyword, "enum") && (t.is(j, "class") || t.is(j, "struct")))
        ++j;
    for (;;) {
        if (const std::size_t past = skipAttribute(j); past != j)
            j = past;
        else if (macroLike(word(j)) && t.isWord(j + 1))
            ++j; // class Q_CORE_EXPORT QString
        else
            break;
    }
    const bool named = t.isWord(j) && !oneOf(word(j), {"final", "extends", "implements", "if", "permits"});
    const std::size_t name = named ? j : noMatch;
    if (named) {
        ++j;
        while (isPunct(j, "::") && t.isWord(j + 1))
            j += 2;
        if (isPunct(j, "<") && t.match(j) != noMatch)
            j = pastGroup(j);
        if (!cLike() && isPunct(j, "(") && t.match(j) != noMatch)
            j = pastGroup(j); // D template parameters, a Java record's components
    }
    if (t.is(keyword, "record") && !(named && isPunct(j - 1, ")")))
        return true; // a type called record
    const bool ends =
        j >= n || isPunct(j, ";") || isPunct(j, "{") || isPunct(j, ":") || (cLike() && t.is(j, "final")) ||
        (isJava() && oneOf(word(j), {"extends", "implements", "permits"})) || (isD() && t.is(j, "if"));
    if (!ends || (!named && !isPunct(j, "{") && !isPunct(j, ":")))
        return true;
    // The head runs to the body or the ";": bases, interfaces, constraints.
    while (j < n && !isPunct(j, "{") && !isPunct(j, ";") && !isPunct(j, "}")) {
        if (isOpen(j) || isPunct(j, "<")) {
            if (t.match(j) == noMatch && !isPunct(j, "<"))
                return fail(j);
            j = pastGroup(j);
        } else {
            ++j;
        }
    }
    isClass = true;
    found.request = DocumentRequest{};
    found.returnsValue = true;
    found.byValue.clear();
    found.request.kind = DocumentKind::Class;
    found.first = first;
    found.last = isPunct(j, ";") ? j : j - 1;
    found.name = name;
    found.enumeration = t.is(keyword, "enum");
    if (isPunct(j, "{")) {
        found.body = j;
        found.last = t.match(j) != noMatch ? t.match(j) : n - 1;
    }
    return true;
}

// The "(" of an operator's parameters: "operator()(", "operator<<(", "operator new[](",
// "operator const char*(", "operator\"\"_km(". noMatch when the shape is not one.
std::size_t Reader::operatorParams(std::size_t i) const {
    std::size_t j = i + 1;
    if ((isPunct(j, "(") || isPunct(j, "[")) && t.match(j) == j + 1) {
        j += 2;
    } else if (t.is(j, "new") || t.is(j, "delete")) {
        ++j;
        if (isPunct(j, "[") && t.match(j) == j + 1)
            j += 2;
    } else if (j < n && t.tokens[j].kind == TokenKind::String) {
        ++j;
        if (t.isWord(j))
            ++j;
    } else if (j < n && t.tokens[j].kind == TokenKind::Punct && !isPunct(j, "(")) {
        for (int count = 0; count < 3 && j < n && t.tokens[j].kind == TokenKind::Punct && !isPunct(j, "(");
             ++count)
            ++j;
    } else {
        // A conversion: "operator std::vector<int>*(".
        while (t.isWord(j) || isPunct(j, "::") || isPunct(j, "*") || isPunct(j, "&") || isPunct(j, "&&") ||
               (isPunct(j, "<") && t.match(j) != noMatch))
            j = isPunct(j, "<") ? pastGroup(j) : j + 1;
    }
    return isPunct(j, "(") && t.match(j) != noMatch ? j : noMatch;
}

// A "(" group that follows no name: "void (*signal(int sig, void (*f)(int)))(int)", whose
// parameters are sig and f, or "int (getc)(FILE *)".
bool Reader::readNestedDeclarator(std::size_t open, std::size_t first, Found &found) {
    const std::size_t outerEnd = t.match(open);
    if (outerEnd == noMatch)
        return fail(open);
    std::size_t p = open + 1;
    std::size_t end = outerEnd;
    for (;;) {
        // A calling convention stands before more: "(__stdcall *f)", "(SQLITE_CALLBACK *x)".
        const auto convention = [this](std::size_t k) {
            return macroLike(word(k)) &&
                   (t.isWord(k + 1) || isPunct(k + 1, "*") || isPunct(k + 1, "&") || isPunct(k + 1, "^"));
        };
        while (isPunct(p, "*") || isPunct(p, "&") || isPunct(p, "&&") || isPunct(p, "^") ||
               oneOf(word(p), cQualifiers) || convention(p) || (t.isWord(p) && isPunct(p + 1, "::")) ||
               isPunct(p, "::"))
            ++p;
        if (isPunct(p, "(") && t.match(p) != noMatch && t.match(p) < end) {
            end = t.match(p);
            p = p + 1;
            continue;
        }
        break;
    }
    if (p == open + 1 && t.isWord(p) && p + 1 == outerEnd && isPunct(outerEnd + 1, "(")) {
        // A parenthesised name.
        const Outcome outcome = readFunction(outerEnd + 1, pastGroup(outerEnd + 1), first, open, found);
        return outcome == Outcome::Accepted || (outcome == Outcome::Rejected && fail(outerEnd + 1));
    }
    if (t.isWord(p) && !isPunct(p + 1, "(")) {
        // A variable. A pointer to a function reads as a function with the pointer's parameters:
        // "void (*handler)(int sig);", "void (*(*sym)(void *, const char *name))(void);" (whose
        // parameters are the two in the middle); "int (*rows)[4];" and "int (x);" as a variable.
        std::size_t q = p + 1;
        while (isPunct(q, "[") && t.match(q) != noMatch && t.match(q) < end)
            q = pastGroup(q);
        if (q != end || oneOf(word(p), cBuiltins) || oneOf(word(p), cQualifiers))
            return fail(q);
        const std::size_t params = end + 1;
        if (end != outerEnd || (isPunct(params, "(") && t.match(params) != noMatch && p > open + 1)) {
            if (!isPunct(params, "(") || t.match(params) == noMatch || p == open + 1)
                return fail(params);
            std::size_t tail = pastGroup(params);
            if (end != outerEnd) {
                // Then the outer ")" and the groups of what the pointed-to function returns.
                while (tail < outerEnd && isPunct(tail, ")"))
                    ++tail;
                if (tail != outerEnd)
                    return fail(tail);
                for (++tail; (isPunct(tail, "(") || isPunct(tail, "[")) && t.match(tail) != noMatch;)
                    tail = pastGroup(tail);
            }
            const Outcome outcome =
                readFunction(params, tail, first, end == outerEnd ? open : noMatch, found);
            return outcome == Outcome::Accepted || (outcome == Outcome::Rejected && fail(tail));
        }
        std::size_t k = outerEnd + 1;
        while (isPunct(k, "[") && t.match(k) != noMatch)
            k = pastGroup(k);
        if (!isPunct(k, ";") && !isPunct(k, "=") && !isPunct(k, ",") && k < n)
            return fail(k);
        return readToEnd(k, first, found);
    }
    if (!t.isWord(p) || !isPunct(p + 1, "(") || t.match(p + 1) == noMatch || t.match(p + 1) > end)
        return fail(p);
    // Between the parameters and the outer ")": only ")", qualifiers and the groups of what the
    // function returns.
    std::size_t q = pastGroup(p + 1);
    while (q < outerEnd) {
        if (isPunct(q, ")") || oneOf(word(q), cQualifiers))
            ++q;
        else if ((isPunct(q, "(") || isPunct(q, "[")) && t.match(q) != noMatch)
            q = pastGroup(q);
        else
            return fail(q);
    }
    std::size_t tail = outerEnd + 1;
    while ((isPunct(tail, "(") || isPunct(tail, "[")) && t.match(tail) != noMatch)
        tail = pastGroup(tail);
    const Outcome outcome = readFunction(p + 1, tail, first, noMatch, found);
    return outcome == Outcome::Accepted || (outcome == Outcome::Rejected && fail(tail));
}

// The function whose parameters open at `params`, if what follows from tailFrom is a function's
// end; rejected when it is not, as "Q_DECL_DEPRECATED_X("...")" in
// "Q_DECL_DEPRECATED_X("...") void f()", with stop() at the token that rejected it.
// `name` is the function's name, or noMatch when it returns a pointer to a function.
Outcome Reader::readFunction(std::size_t params, std::size_t tailFrom, std::size_t first, std::size_t name,
                             Found &found) {
    std::size_t open = params;
    if (isD() && isPunct(tailFrom, "(") && t.match(tailFrom) != noMatch) {
        open = tailFrom; // "void f(T)(T x)": the first list holds template parameters
        tailFrom = pastGroup(tailFrom);
    }
    Tail tail = readTail(tailFrom);
    if (tail.outcome != Outcome::Accepted)
        return tail.outcome;
    DocumentRequest request;
    request.kind = DocumentKind::Function;
    std::vector<bool> byValue;
    if (!readParams(open, request.params, byValue))
        return Outcome::Failed;
    request.throws = std::move(tail.throws);
    found.request = std::move(request);
    found.first = first;
    found.last = tail.end;
    found.body = noMatch;
    found.returnsValue = name == noMatch || !returnsNothing(first, name, tailFrom, tail.end);
    found.byValue = std::move(byValue);
    return Outcome::Accepted;
}

// Whether the function named at `name` returns nothing: "void f()", "static void f()",
// "auto f() -> void", a constructor ("explicit Widget(QWidget *)", "Widget::Widget()", D's
// "this()") or a destructor. "void *f()", "std::function<void()> f()" and "void function() f()"
// return something.
bool Reader::returnsNothing(std::size_t first, std::size_t name, std::size_t tailFrom,
                            std::size_t tailEnd) const {
    if (isD() && t.is(name, "this"))
        return true;
    std::size_t nameStart = name;
    while (nameStart > first && (isPunct(nameStart - 1, "::") || isPunct(nameStart - 1, "~"))) {
        if (isPunct(nameStart - 1, "~"))
            return true;
        nameStart -= 1;
        if (nameStart > first && isPunct(nameStart - 1, ">") && t.match(nameStart - 1) != noMatch &&
            t.match(nameStart - 1) >= first)
            nameStart = t.match(nameStart - 1);
        if (nameStart > first && t.isWord(nameStart - 1)) {
            --nameStart;
            if (m_language == Language::Cpp && t.spelling(nameStart) == t.spelling(name))
                return true; // "Widget::Widget("
        }
    }
    if (m_language == Language::Cpp)
        for (std::size_t j = tailFrom; j < tailEnd && j < n; j = isOpen(j) ? pastGroup(j) : j + 1)
            if (isPunct(j, "->"))
                return t.is(j + 1, "void") && !isPunct(j + 2, "*") && !isPunct(j + 2, "&") &&
                       !isPunct(j + 2, "&&") && !isPunct(j + 2, "(");
    bool typed = false, isVoid = false;
    for (std::size_t j = first; j < nameStart;) {
        if (const std::size_t past = skipAttribute(j); past != j) {
            j = past;
            continue;
        }
        const std::string_view w = word(j);
        if (same(w, "void")) {
            typed = isVoid = true;
        } else if (!w.empty()) {
            const bool storage =
                cLike()    ? oneOf(w, {"explicit", "inline", "constexpr", "consteval", "virtual", "static",
                                       "friend", "extern", "template", "typename", "__inline", "__forceinline"})
                : isJava() ? oneOf(w, {"public", "private", "protected", "static", "final", "abstract",
                                       "synchronized", "native", "strictfp", "default", "sealed"})
                           : false;
            // A macro before another word: "Q_INVOKABLE explicit Widget(", "SQLITE_API int f(".
            const bool macro = macroLike(w) && t.isWord(j + 1) && j + 1 < nameStart;
            if (!storage && !macro && !(isD() && oneOf(w, {"function", "delegate"}) && isVoid))
                typed = true;
            if (isD() && oneOf(w, {"function", "delegate"}))
                isVoid = false;
        } else if (isPunct(j, "*") || isPunct(j, "&") || isPunct(j, "&&") || isPunct(j, "[") ||
                   isPunct(j, "^")) {
            isVoid = false;
        }
        j = isOpen(j) || (isPunct(j, "<") && t.match(j) != noMatch) ? pastGroup(j) : j + 1;
    }
    if (isVoid)
        return true;
    return !typed && m_language != Language::C && !isD() && !t.is(name, "operator");
}

// What follows a function's parameters, to its end: qualifiers, throw lists and noexcept,
// "= 0", "-> T", a member initialiser list, D contracts, a body, or nothing.
Tail Reader::readTail(std::size_t j) {
    Tail tail;
    const bool cpp = cLike();
    bool accepted = false, initialisers = false;
    const auto accept = [&](std::size_t end) {
        tail.outcome = Outcome::Accepted;
        tail.end = end;
        return std::move(tail);
    };
    const auto reject = [&] {
        fail(j);
        tail.outcome = Outcome::Rejected;
        return std::move(tail);
    };
    const auto failAt = [&](std::size_t at) {
        fail(at);
        tail.outcome = Outcome::Failed;
        return std::move(tail);
    };
    while (j < n) {
        const Token &token = t.tokens[j];
        const std::string_view s = t.spelling(j);
        if (token.kind == TokenKind::Punct) {
            if (same(s, ";"))
                return accept(j);
            if (same(s, "}")) // closes the block around the declaration
                return accepted ? accept(j - 1) : reject();
            if (same(s, "{")) {
                const bool memberBraces =
                    initialisers && (t.isWord(j - 1) || isPunct(j - 1, ">")) && t.match(j) != noMatch;
                if (memberBraces) {
                    j = pastGroup(j);
                    continue;
                }
                if (t.match(j) == noMatch)
                    return accept(n - 1); // the text ends inside the body
                const std::size_t close = t.match(j);
                j = close + 1;
                if ((isD() && oneOf(word(j), {"in", "out", "do", "body"})) || (cpp && t.is(j, "catch"))) {
                    accepted = true;
                    continue;
                }
                return accept(close);
            }
            if (isOpen(j) && t.match(j) == noMatch)
                return failAt(j);
            if (same(s, "[") && isPunct(j + 1, "[")) {
                j = pastGroup(j);
            } else if (isOpen(j) || (same(s, "<") && t.match(j) != noMatch)) {
                if (!accepted)
                    return reject();
                j = pastGroup(j);
            } else if ((cpp && (same(s, "->") || same(s, "=") || same(s, ":"))) || (isD() && same(s, "=>"))) {
                accepted = true;
                initialisers = initialisers || same(s, ":");
                ++j;
            } else if (cpp && (same(s, "&") || same(s, "&&"))) {
                ++j;
            } else if (isD() && same(s, "@")) {
                j = skipAnnotation(j);
            } else if (accepted) {
                ++j;
            } else {
                return reject();
            }
            continue;
        }
        if (token.kind != TokenKind::Word) {
            if (!accepted)
                return reject();
            ++j;
            continue;
        }
        if (isJava() && same(s, "throws")) {
            std::size_t end = j + 1;
            while (end < n && !isPunct(end, "{") && !isPunct(end, ";") && !isPunct(end, "}"))
                end = isOpen(end) || isPunct(end, "<") ? pastGroup(end) : end + 1;
            if (const std::size_t bad = readExceptionList(j + 1, end, tail.throws); bad != noMatch)
                return failAt(bad);
            if (tail.throws.empty())
                return failAt(j);
            accepted = true;
            j = end;
        } else if (cpp && same(s, "throw") && isPunct(j + 1, "(")) {
            if (t.match(j + 1) == noMatch)
                return failAt(j + 1);
            if (const std::size_t bad = readExceptionList(j + 2, t.match(j + 1), tail.throws); bad != noMatch)
                return failAt(bad);
            j = pastGroup(j + 1);
        } else if (cpp && same(s, "noexcept")) {
            j = isPunct(j + 1, "(") ? pastGroup(j + 1) : j + 1;
        } else if (accepted) {
            ++j;
        } else if ((cpp && oneOf(s, {"const", "volatile", "override", "final", "try", "mutable"})) ||
                   (isD() && oneOf(s, {"const", "immutable", "inout", "shared", "scope", "return", "ref",
                                       "pure", "nothrow", "override", "final", "abstract"}))) {
            ++j;
        } else if ((cpp && same(s, "requires")) || (isJava() && same(s, "default")) ||
                   (isD() && oneOf(s, {"if", "in", "out", "do", "body"}))) {
            accepted = true;
            ++j;
        } else if (cpp && (macroLike(s) || oneOf(s, cGroupWords))) {
            ++j;
            if (isPunct(j, "(")) {
                if (t.match(j) == noMatch)
                    return failAt(j);
                j = pastGroup(j);
            }
        } else {
            return reject();
        }
    }
    return accept(n - 1);
}

// The types of an exception list between from and to, split at its top-level commas; noMatch, or
// the token where an empty type stands.
std::size_t Reader::readExceptionList(std::size_t from, std::size_t to,
                                      std::vector<ExceptionEntry> &out) const {
    std::size_t begin = from;
    for (std::size_t j = from; j <= to; ++j) {
        if (j < to && !isPunct(j, ",")) {
            if ((isOpen(j) || isPunct(j, "<")) && t.match(j) != noMatch && t.match(j) < to)
                j = t.match(j);
            continue;
        }
        if (begin == j) {
            if (j == to && out.empty() && begin == from)
                return noMatch; // throw()
            return j;
        }
        out.push_back({spell(begin, j), ""});
        begin = j + 1;
    }
    return noMatch;
}

// Tokens as written, with a space only between two words and after a comma: "b.C",
// "std::map<int, T>".
std::string Reader::spell(std::size_t from, std::size_t to) const {
    std::string text;
    for (std::size_t j = from; j < to; ++j) {
        const bool wordLike = t.tokens[j].kind != TokenKind::Punct;
        if (j > from && ((wordLike && t.tokens[j - 1].kind != TokenKind::Punct) || isPunct(j - 1, ",")))
            text += ' ';
        text += t.spelling(j);
    }
    return text;
}

bool Reader::readParams(std::size_t open, std::vector<ParamEntry> &params, std::vector<bool> &byValue) {
    const std::size_t close = t.match(open);
    if (close == open + 1)
        return true;
    std::size_t begin = open + 1;
    bool only = true;
    for (std::size_t j = open + 1; j <= close; ++j) {
        if (j < close && !isPunct(j, ",")) {
            if ((isOpen(j) || isPunct(j, "<")) && t.match(j) != noMatch && t.match(j) < close)
                j = t.match(j);
            continue;
        }
        only = only && j == close;
        if (isD() && j == close && begin == close && !only)
            break; // D allows a comma after the last parameter
        if (!readParam(begin, j, only, params, byValue))
            return false;
        begin = j + 1;
    }
    return true;
}

// The top-level tokens of [b, e), a group as its opening bracket, attributes left out.
void Reader::topLevel(std::size_t b, std::size_t e, std::vector<std::size_t> &out) const {
    out.clear();
    for (std::size_t j = b; j < e;) {
        if (const std::size_t past = skipAttribute(j); past != j && past <= e) {
            j = past;
            continue;
        }
        out.push_back(j);
        const std::size_t m = t.match(j);
        j = (isOpen(j) || isPunct(j, "<")) && m != noMatch && m > j && m < e ? m + 1 : j + 1;
    }
}

bool Reader::readParam(std::size_t b, std::size_t e, bool only, std::vector<ParamEntry> &params,
                       std::vector<bool> &byValue) {
    std::vector<std::size_t> &elements = m_elements;
    topLevel(b, e, elements);
    if (elements.empty())
        return fail(b < n ? b : e);
    // A default value: "= nullptr", "= {}", "= std::function<void(int)>{}".
    const auto equals =
        std::find_if(elements.begin(), elements.end(), [this](std::size_t j) { return isPunct(j, "="); });
    if (equals != elements.end()) {
        if (isJava() || equals + 1 == elements.end() || equals == elements.begin())
            return fail(*equals);
        elements.erase(equals, elements.end());
    }
    if (elements.size() == 1 && isPunct(elements[0], "...") && !isJava()) {
        params.push_back({"in", "...", ""});
        byValue.push_back(true);
        return true;
    }
    if (only && cLike() && elements.size() == 1 && t.is(elements[0], "void"))
        return true;
    ParamEntry param;
    bool receiver = false;
    m_byValue = true;
    const bool read = cLike() ? readCParam(elements, b, param)
                      : isD() ? readDParam(elements, b, param)
                              : readJavaParam(elements, b, param, receiver);
    if (!read)
        return false;
    if (!receiver) {
        params.push_back(std::move(param));
        byValue.push_back(m_byValue);
    }
    return true;
}

bool Reader::hasConst(const std::vector<std::size_t> &type, std::size_t from, std::size_t to) const {
    for (std::size_t k = from; k < to; ++k)
        if (t.is(type[k], "const"))
            return true;
    return false;
}

// The direction of a C or C++ parameter from its type's top-level tokens type[0, count), with
// extraOp ("*", "&" or "") as the innermost declarator when the name was in parentheses. The
// pointee or referent is what lies between the last pointer or reference and the one before.
std::string Reader::cDirection(const std::vector<std::size_t> &type, std::size_t count,
                               std::string_view extraOp, bool array) const {
    std::size_t lastOp = noMatch, previousOp = noMatch;
    for (std::size_t k = 0; k < count; ++k) {
        if (isPunct(type[k], "*") || isPunct(type[k], "&") || isPunct(type[k], "&&")) {
            if (isPunct(type[k], "*") && k > 0 && isPunct(type[k - 1], "::"))
                return "in"; // a pointer to member
            previousOp = lastOp;
            lastOp = k;
        }
    }
    std::string_view op = lastOp == noMatch ? std::string_view{} : t.spelling(type[lastOp]);
    std::size_t levelFrom = previousOp == noMatch ? 0 : previousOp + 1, levelTo = lastOp;
    if (!extraOp.empty()) {
        op = extraOp;
        levelFrom = lastOp == noMatch ? 0 : lastOp + 1;
        levelTo = count;
    }
    if (array) // the elements: what follows the last pointer, or the whole type
        return hasConst(type, lastOp == noMatch || !extraOp.empty() ? 0 : lastOp + 1, count) ? "in" : "inout";
    if (op.empty() || op == "&&")
        return "in";
    return hasConst(type, levelFrom, levelTo) ? "in" : "inout";
}

bool Reader::readCParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param) {
    // A pack or C's "int..." loses its "...": "Args&&... args" reads as "Args&& args".
    std::erase_if(elements, [this](std::size_t j) { return isPunct(j, "..."); });
    // Source annotations and their arguments: "_In_ LPCSTR" is an unnamed LPCSTR.
    for (std::size_t k = 0; k < elements.size();) {
        if (!sourceAnnotation(word(elements[k]))) {
            ++k;
            continue;
        }
        const std::size_t count = k + 1 < elements.size() && isPunct(elements[k + 1], "(") ? 2 : 1;
        elements.erase(elements.begin() + static_cast<std::ptrdiff_t>(k),
                       elements.begin() + static_cast<std::ptrdiff_t>(k + count));
    }
    const auto colon =
        std::find_if(elements.begin(), elements.end(), [this](std::size_t j) { return isPunct(j, ":"); });
    elements.erase(colon, elements.end()); // a bit width
    bool array = false;
    while (!elements.empty() && isPunct(elements.back(), "[")) {
        elements.pop_back();
        array = true;
    }
    if (elements.empty())
        return fail(begin);
    for (std::size_t j : elements) {
        const bool fits = t.isWord(j) || isPunct(j, "::") || isPunct(j, "*") || isPunct(j, "&") ||
                          isPunct(j, "&&") || isPunct(j, "^") || isPunct(j, "<") || isOpen(j);
        if (!fits || isPunct(j, "{"))
            return fail(j);
    }
    if (isPunct(elements[0], "(")) // no type before it: a macro's argument, as in __REDIRECT (f, (...), g)
        return fail(elements[0]);
    param.direction = "in";
    m_byValue = !array && std::none_of(elements.begin(), elements.end(), [this](std::size_t j) {
        return isPunct(j, "*") || isPunct(j, "&") || isPunct(j, "&&") || isPunct(j, "^");
    });
    // A declarator in parentheses: "void (*cb)(int)", "int (&a)[3]", "void (C::*m)()", "int (x)".
    for (std::size_t d = 0; d < elements.size(); ++d) {
        const std::size_t open = elements[d];
        if (!isPunct(open, "(") || (d > 0 && oneOf(word(elements[d - 1]), cGroupWords)))
            continue;
        const bool declarator = isPunct(open + 1, "*") || isPunct(open + 1, "&") || isPunct(open + 1, "&&") ||
                                isPunct(open + 1, "^") || (t.isWord(open + 1) && isPunct(open + 2, "::"));
        if (!declarator && d >= 2 && t.isWord(elements[d - 1]) && !oneOf(word(elements[d - 1]), cBuiltins) &&
            !oneOf(word(elements[d - 1]), cQualifiers)) {
            param.name = std::string(t.spelling(elements[d - 1])); // a function: "int g(int)"
            m_byValue = false;                                     // passed as a pointer
            return true;
        }
        std::size_t p = open + 1, close = t.match(open);
        const std::string_view inner = word(p);
        if (!inner.empty() && p + 1 == close && d > 0 && t.isWord(elements[d - 1]) &&
            d + 1 == elements.size() && (inner.ends_with("_t") || (inner[0] >= 'A' && inner[0] <= 'Z'))) {
            // "Foo(Bar)" with Bar a type, as its capital says: an unnamed function taking a Bar.
            param.name = "";
            m_byValue = false;
            return true;
        }
        std::string_view innerOp, lastOp;
        bool member = false;
        // Pointer levels inside, and whether a const follows the one before the last: in
        // "void (*const *p)(int)" what p points to, a function pointer, is const.
        std::size_t levels = 0;
        bool constBeforeLast = false, constAfterLast = false;
        for (;;) {
            if (isPunct(p, "*") || isPunct(p, "&") || isPunct(p, "&&") || isPunct(p, "^")) {
                if (innerOp.empty())
                    innerOp = t.spelling(p);
                lastOp = t.spelling(p);
                ++levels;
                constBeforeLast = constAfterLast;
                constAfterLast = false;
                ++p;
            } else if (oneOf(word(p), cQualifiers) || isPunct(p, "...")) {
                constAfterLast = constAfterLast || (levels > 0 && t.is(p, "const"));
                ++p;
            } else if (t.isWord(p) && isPunct(p + 1, "::")) {
                member = true;
                p += 2;
            } else if (isPunct(p, "(") && t.match(p) != noMatch && t.match(p) < close) {
                close = t.match(p);
                ++p;
            } else {
                break;
            }
        }
        param.name = t.isWord(p) && p < close && !oneOf(word(p), cBuiltins) ? std::string(t.spelling(p)) : "";
        const bool function = d + 1 < elements.size() && isPunct(elements[d + 1], "(");
        const bool toArray = d + 1 < elements.size() && isPunct(elements[d + 1], "[");
        m_byValue = m_byValue && innerOp.empty() && !member && !function && !toArray;
        if (function && levels >= 2 && !member) // a pointer or reference to a function pointer
            param.direction = lastOp == "&&" || constBeforeLast ? "in" : "inout";
        else if (member || function)
            param.direction = "in";
        else if (toArray)
            param.direction = innerOp == "&&" ? "in" : cDirection(elements, d, "", true);
        else
            param.direction = cDirection(elements, d, innerOp, array);
        return true;
    }
    // The last word is the name when a type comes before it: "const char *s", "unsigned n",
    // "struct foo *p"; alone, or after only qualifiers ("const Foo", "struct foo", "size_t"),
    // it is the type.
    const std::size_t last = elements.size() - 1;
    const std::string_view lastWord = word(elements[last]);
    bool typeBefore = false;
    for (std::size_t k = 0; k < last && !typeBefore; ++k) {
        const std::size_t j = elements[k];
        typeBefore = (t.isWord(j) && !oneOf(word(j), cQualifiers)) || isPunct(j, "*") || isPunct(j, "&") ||
                     isPunct(j, "&&") || isPunct(j, "<") || isPunct(j, "(");
    }
    const bool named = !lastWord.empty() && !oneOf(lastWord, cBuiltins) && !oneOf(lastWord, cQualifiers) &&
                       typeBefore && !isPunct(elements[last - 1], "::");
    param.name = named ? std::string(lastWord) : "";
    param.direction = cDirection(elements, named ? last : elements.size(), "", array);
    return true;
}

bool Reader::readDParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param) {
    bool out = false, ref = false, constant = false;
    std::size_t k = 0;
    for (; k < elements.size(); ++k) {
        const std::string_view w = word(elements[k]);
        const bool constructor = // const(T) is part of the type
            oneOf(w, {"const", "immutable", "inout", "shared"}) && k + 1 < elements.size() &&
            isPunct(elements[k + 1], "(");
        if (constructor || !oneOf(w, {"in", "out", "ref", "auto", "scope", "return", "lazy", "const",
                                      "immutable", "inout", "shared", "final", "__gshared"}))
            break;
        out = out || w == "out";
        ref = ref || w == "ref";
        constant = constant || oneOf(w, {"in", "const", "immutable", "inout"});
    }
    elements.erase(elements.begin(), elements.begin() + static_cast<std::ptrdiff_t>(k));
    if (elements.size() == 1 && isPunct(elements[0], "...")) {
        param = {"in", "...", ""}; // "scope const ..."
        return true;
    }
    if (!elements.empty() && isPunct(elements.back(), "..."))
        elements.pop_back(); // "int[] a..."
    if (elements.empty())
        return fail(begin);
    for (std::size_t e = 0; e < elements.size(); ++e) {
        const std::size_t j = elements[e];
        const bool afterBang = e > 0 && isPunct(elements[e - 1], "!");
        const bool fits = t.isWord(j) || isPunct(j, ".") || isPunct(j, "!") || isPunct(j, "*") ||
                          isPunct(j, "(") || isPunct(j, "[") ||
                          (afterBang && t.tokens[j].kind != TokenKind::Punct);
        if (!fits)
            return fail(j);
    }
    const std::size_t last = elements.size() - 1;
    const std::string_view lastWord = word(elements[last]);
    const bool named = !lastWord.empty() && last > 0 && !oneOf(lastWord, dBuiltins) &&
                       !isPunct(elements[last - 1], ".") && !isPunct(elements[last - 1], "!");
    param.name = named ? std::string(lastWord) : "";
    const std::size_t typeSize = named ? last : elements.size();
    // A pointer, a slice or an associative array shares what it points to: "int* p", "int[] a",
    // "int[string] m"; a static array "int[4] a" is copied.
    m_byValue = !out && !ref;
    for (std::size_t k = 0; k < typeSize; ++k) {
        const std::size_t j = elements[k];
        const std::size_t close = t.match(j);
        const bool shares = isPunct(j, "*") ||
                            (isPunct(j, "[") &&
                             (close == j + 1 ||
                              (close == j + 2 && (oneOf(word(j + 1), dBuiltins) || t.is(j + 1, "string")))));
        m_byValue = m_byValue && !shares;
    }
    const bool constType = typeSize == 2 && oneOf(word(elements[0]), {"const", "immutable", "inout"}) &&
                           isPunct(elements[1], "(");
    param.direction = out ? "out" : ref && !constant && !constType ? "inout" : "in";
    return true;
}

bool Reader::readJavaParam(std::vector<std::size_t> &elements, std::size_t begin, ParamEntry &param,
                           bool &receiver) {
    std::erase_if(elements, [this](std::size_t j) { return t.is(j, "final") || isPunct(j, "..."); });
    while (!elements.empty() && isPunct(elements.back(), "["))
        elements.pop_back(); // "int a[]"
    if (elements.size() < 2)
        return fail(elements.empty() ? begin : elements[0]);
    for (std::size_t j : elements)
        if (!t.isWord(j) && !isPunct(j, ".") && !isPunct(j, "<") && !isPunct(j, "["))
            return fail(j);
    const std::size_t last = elements.back();
    if (!t.isWord(last) || isPunct(elements[elements.size() - 2], "."))
        return fail(last);
    receiver = t.is(last, "this");
    param = {"in", std::string(t.spelling(last)), ""};
    return true;
}

// The line the text ends on: "a\nb" and "a\nb\n" end on line 2.
std::size_t endLine(std::string_view text) {
    std::size_t lines = 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (text.ends_with('\n'))
        --lines;
    return std::max<std::size_t>(lines, 1);
}

// The comment right above what begins at byte `begin` on `line`, after the token that ends at
// previousEnd on previousLine (0 and 0 for none).
std::optional<CommentSpan> commentAbove(const Tokens &t, std::uint32_t begin, std::size_t line,
                                        std::uint32_t previousEnd, std::size_t previousLine) {
    auto it =
        std::lower_bound(t.trivia.begin(), t.trivia.end(), begin,
                         [](const Trivia &trivia, std::uint32_t offset) { return trivia.begin < offset; });
    std::optional<CommentSpan> span;
    std::size_t nextLine = line;
    while (it != t.trivia.begin()) {
        const Trivia &c = *--it;
        if (c.directive || c.begin < previousEnd || c.firstLine <= previousLine || c.lastLine + 1 < nextLine)
            break;
        if (!span)
            span = CommentSpan{c.begin, c.end, c.firstLine, c.lastLine};
        span->begin = c.begin;
        span->firstLine = c.firstLine;
        nextLine = c.firstLine;
    }
    return span;
}

std::optional<CommentSpan> commentBefore(const Tokens &t, std::size_t first) {
    return commentAbove(t, t.tokens[first].begin, t.tokens[first].line,
                        first > 0 ? t.tokens[first - 1].end : 0, first > 0 ? t.lastLine(first - 1) : 0);
}

// "#define MAX(a, b) ..." (a function with parameters a and b, "..." for __VA_ARGS__, "args" for
// GNU's "args...") or "#define VERSION 3" (a class), with a member comment on its last line
// ("#define X 1 ///< text"); nothing for any other line.
std::optional<Declaration> readMacro(std::string_view text, const Trivia &line) {
    // The end of the comment at q: past its "*/", or the end of its line or of the text.
    const auto commentEnd = [text](std::size_t q) {
        const std::size_t end = text[q + 1] == '/' ? text.find('\n', q) : text.find("*/", q + 2);
        return end == std::string_view::npos ? text.size() : text[q + 1] == '/' ? end : end + 2;
    };
    std::size_t p = 1;
    // Blanks, line continuations and comments between the parts.
    const auto blank = [&] {
        for (;;) {
            if (p < text.size() &&
                (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\\' || text[p] == '\n'))
                ++p;
            else if (text.substr(p).starts_with("/*"))
                p = commentEnd(p);
            else
                return;
        }
    };
    const auto identifier = [&] {
        const std::size_t from = p;
        while (p < text.size() && isWordByte(text[p]))
            ++p;
        return text.substr(from, p - from);
    };
    blank();
    if (identifier() != "define")
        return std::nullopt;
    blank();
    const std::string_view name = identifier();
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return std::nullopt;
    Declaration macro;
    macro.request.kind = DocumentKind::Class;
    macro.firstLine = line.firstLine;
    macro.lastLine = line.lastLine;
    if (p < text.size() && text[p] == '(') {
        macro.request.kind = DocumentKind::Function;
        ++p;
        for (blank(); p < text.size() && text[p] != ')';) {
            std::string parameter(identifier());
            blank();
            if (text.substr(p).starts_with("...")) {
                p += 3;
                if (parameter.empty())
                    parameter = "...";
                blank();
            }
            if (parameter.empty() || p >= text.size() || (text[p] != ',' && text[p] != ')'))
                return std::nullopt;
            macro.request.params.push_back({"in", std::move(parameter), ""});
            macro.byValue.push_back(false); // a macro may assign to what it is given
            if (text[p] == ',') {
                ++p;
                blank();
            }
        }
        if (p >= text.size())
            return std::nullopt;
    }
    // A member comment after the value, with nothing after it: "#define X 1 ///< text".
    for (std::size_t q = p; q < text.size(); ++q) {
        if (text[q] == '"' || text[q] == '\'') {
            const char quote = text[q];
            for (++q; q < text.size() && text[q] != quote && text[q] != '\n'; ++q)
                q += text[q] == '\\' ? 1 : 0;
        } else if (text.substr(q).starts_with("//") || text.substr(q).starts_with("/*")) {
            const std::size_t end = commentEnd(q);
            const std::string_view comment = text.substr(q, end - q);
            const bool member = comment.starts_with("///<") || comment.starts_with("//!<") ||
                                comment.starts_with("/**<") || comment.starts_with("/*!<");
            if (member && text.find_first_not_of(" \t\r\n", end) == std::string_view::npos) {
                const auto lineAt = [&](std::size_t offset) {
                    return line.firstLine +
                           static_cast<std::size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
                };
                macro.trailing = CommentSpan{line.begin + q, line.begin + end, lineAt(q), lineAt(end)};
                break;
            }
            q = end - 1;
        }
    }
    return macro;
}

// A member comment: "///<", "//!<", "/**<" or "/*!<" in C and C++; in D any doc comment
// ("///", "/**", "/++"), which documents what stands to its left.
bool memberComment(std::string_view text, Language language, bool lineOnly) {
    if (language == Language::D)
        return !lineOnly && (text.starts_with("///") || text.starts_with("/**") || text.starts_with("/++")) &&
               !text.starts_with("/**/");
    if (language == Language::Java)
        return false;
    return text.starts_with("///<") || text.starts_with("//!<") ||
           (!lineOnly && (text.starts_with("/**<") || text.starts_with("/*!<")));
}

// The member comment after the token `last` on its line: "int x; ///< a" and the "///<" lines
// right below it, with no code between.
std::optional<CommentSpan> commentAfter(const Tokens &t, std::size_t last, Language language) {
    const std::uint32_t end = t.tokens[last].end;
    const std::size_t line = t.lastLine(last);
    auto it =
        std::lower_bound(t.trivia.begin(), t.trivia.end(), end,
                         [](const Trivia &trivia, std::uint32_t offset) { return trivia.begin < offset; });
    const std::uint32_t nextToken = last + 1 < t.size() ? t.tokens[last + 1].begin : UINT32_MAX;
    const auto text = [&t](const Trivia &c) { return t.text.substr(c.begin, c.end - c.begin); };
    if (it == t.trivia.end() || it->directive || it->firstLine != line ||
        !memberComment(text(*it), language, false))
        return std::nullopt;
    CommentSpan span{it->begin, it->end, it->firstLine, it->lastLine};
    const bool lineComment = text(*it).starts_with("//");
    for (++it; lineComment && it != t.trivia.end() && it->begin < nextToken && !it->directive &&
               it->firstLine == span.lastLine + 1 && memberComment(text(*it), language, true);
         ++it) {
        span.end = it->end;
        span.lastLine = it->lastLine;
    }
    return span;
}

Declaration declarationOf(const Tokens &t, Found &found, Language language) {
    Declaration declaration;
    declaration.request = std::move(found.request);
    declaration.firstLine = t.tokens[found.first].line;
    declaration.lastLine = t.lastLine(found.last);
    declaration.comment = commentBefore(t, found.first);
    declaration.trailing = commentAfter(t, found.last, language);
    declaration.returnsValue = found.returnsValue;
    declaration.byValue = std::move(found.byValue);
    return declaration;
}

void checkSize(std::string_view text) {
    if (text.size() >= UINT32_MAX)
        throw ReadError("the text is too long to read (4 GiB or more)");
}

} // namespace

std::optional<Language> languageNamed(std::string_view name) {
    if (name == "c")
        return Language::C;
    if (name == "cpp")
        return Language::Cpp;
    if (name == "d")
        return Language::D;
    if (name == "java")
        return Language::Java;
    return std::nullopt;
}

Language guessLanguage(std::string_view text) {
    checkSize(text);
    const Tokens t = tokenize(text, Language::Cpp);
    int java = 0, d = 0, cpp = 0;
    const auto punct = [&t](std::size_t i, std::string_view s) {
        return t.is(i, s) && t.tokens[i].kind == TokenKind::Punct;
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::string_view s = t.spelling(i);
        if (t.tokens[i].kind == TokenKind::Word) {
            if (oneOf(s, {"throws", "extends", "implements", "boolean", "synchronized", "native",
                          "instanceof", "transient", "String", "strictfp"}) ||
                (same(s, "package") && t.isWord(i + 1) && (punct(i + 2, ".") || punct(i + 2, ";"))))
                ++java;
            else if (oneOf(s, {"immutable", "nothrow", "pure", "ref", "lazy", "inout", "delegate", "module",
                               "alias", "mixin", "ubyte", "ushort", "uint", "ulong", "dchar", "wchar", "real",
                               "__gshared"}) ||
                     (oneOf(s, {"in", "out", "scope"}) && t.isWord(i + 1)) ||
                     (same(s, "this") && punct(i + 1, "(")))
                ++d;
            else if (oneOf(s, {"template", "typename", "namespace", "virtual", "override", "noexcept",
                               "constexpr", "operator", "nullptr", "explicit", "friend", "decltype"}))
                ++cpp;
            else if (oneOf(s, {"public", "private", "protected"}) && !punct(i + 1, ":") &&
                     !punct(i - 1, ":") && !punct(i - 1, ",")) {
                ++java;
                ++d;
            }
        } else if (same(s, "@") && t.isWord(i + 1)) {
            if (oneOf(t.spelling(i + 1),
                      {"safe", "trusted", "system", "nogc", "property", "disable", "live"}))
                ++d;
            else
                ++java;
        } else if (same(s, "::") || same(s, "&") || same(s, "&&") || (same(s, "[") && punct(i + 1, "["))) {
            ++cpp;
        } else if (same(s, "!") && i > 0 && t.isWord(i - 1) && (punct(i + 1, "(") || t.isWord(i + 1))) {
            ++d;
        } else if (same(s, "[") && punct(i + 1, "]") && i > 0 && t.isWord(i - 1) && t.isWord(i + 2)) {
            ++java;
            ++d;
        } else if (same(s, "(") && i > 0 && t.isWord(i - 1) && t.match(i) != noMatch &&
                   punct(t.match(i) + 1, "(") && t.isWord(i + 1)) {
            ++d; // "void f(T)(T x)"
        }
    }
    if (java > cpp && java >= d)
        return Language::Java;
    if (d > cpp && d > java)
        return Language::D;
    return Language::Cpp;
}

// The macro a preprocessor line defines, with the comment above it.
std::optional<Declaration> macroAt(const Tokens &t, const Trivia &line) {
    std::optional<Declaration> macro = readMacro(t.text.substr(line.begin, line.end - line.begin), line);
    if (macro) {
        // The token before it, if any.
        const auto next =
            std::lower_bound(t.tokens.begin(), t.tokens.end(), line.begin,
                             [](const Token &token, std::uint32_t offset) { return token.begin < offset; });
        const std::size_t previous = static_cast<std::size_t>(next - t.tokens.begin());
        macro->comment =
            commentAbove(t, line.begin, line.firstLine, previous > 0 ? t.tokens[previous - 1].end : 0,
                         previous > 0 ? t.lastLine(previous - 1) : 0);
    }
    return macro;
}

Declaration readDeclaration(std::string_view text, Language language) {
    checkSize(text);
    const Tokens tokens = tokenize(text, language);
    // A macro defined before the first word.
    for (const Trivia &trivia : tokens.trivia) {
        if (tokens.size() > 0 && trivia.begin > tokens.tokens[0].begin)
            break;
        if (trivia.directive)
            if (std::optional<Declaration> macro = macroAt(tokens, trivia))
                return std::move(*macro);
    }
    Reader reader(tokens, language);
    Found found;
    if (!reader.read(0, found)) {
        const std::size_t stop = reader.stop();
        if (reader.readEnumerator(reader.skipLabels(0), tokens.size(), true, found))
            return declarationOf(tokens, found, language);
        const std::size_t line = stop < tokens.size() ? tokens.tokens[stop].line : endLine(text);
        throw ReadError("no declaration found (reading stopped at line " + std::to_string(line) + ")");
    }
    return declarationOf(tokens, found, language);
}

std::vector<Declaration> findDeclarations(std::string_view buffer, Language language) {
    checkSize(buffer);
    const Tokens t = tokenize(buffer, language);
    Reader reader(t, language);
    std::vector<Declaration> declarations;
    const std::size_t n = t.size();
    const auto punct = [&t](std::size_t i, std::string_view s) {
        return t.is(i, s) && t.tokens[i].kind == TokenKind::Punct;
    };
    // Every declaration ends at a ";", ",", "{" or "}" or is a preprocessor line. Room for as many
    // costs only the pages written (a large block is mapped lazily), while growing would write
    // each one again: a declaration takes half a kilobyte.
    std::size_t most = 1;
    for (const Token &token : t.tokens)
        most += token.kind == TokenKind::Punct && token.end == token.begin + 1 &&
                (t.text[token.begin] == ';' || t.text[token.begin] == ',' || t.text[token.begin] == '{' ||
                 t.text[token.begin] == '}');
    for (const Trivia &trivia : t.trivia)
        most += trivia.directive;
    declarations.reserve(std::min<std::size_t>(most, std::size_t{1} << 20));
    // Macros, at any level, each in its place: those before `offset` go first.
    std::size_t nextTrivia = 0;
    const auto macrosBefore = [&](std::uint32_t offset) {
        for (; nextTrivia < t.trivia.size() && t.trivia[nextTrivia].begin < offset; ++nextTrivia)
            if (t.trivia[nextTrivia].directive)
                if (std::optional<Declaration> macro = macroAt(t, t.trivia[nextTrivia]))
                    declarations.push_back(std::move(*macro));
    };
    const auto add = [&](Found &found) {
        macrosBefore(t.tokens[found.first].begin);
        declarations.push_back(declarationOf(t, found, language));
    };
    // Blocks whose statements are declarations too: extern "C", D's attribute, version and
    // static if blocks.
    const auto opensBlock = [&](std::size_t from, std::size_t brace) {
        const std::string_view first = t.isWord(from) ? t.spelling(from) : std::string_view{};
        if (oneOf(first, {"namespace", "inline", "extern", "export"}))
            return true;
        return language == Language::D &&
               (oneOf(first, {"version", "debug", "static", "else", "public", "private", "protected",
                              "package", "nothrow", "pure", "shared", "__gshared", "final", "override"}) ||
                punct(from, "@")) &&
               brace > from;
    };
    // Past the group at j, or to the next token.
    const auto step = [&](std::size_t j) {
        return (punct(j, "(") || punct(j, "[") || punct(j, "<") || punct(j, "{")) && t.match(j) != noMatch &&
                       t.match(j) > j
                   ? t.match(j) + 1
                   : j + 1;
    };
    // The enumerators of the body that opens at `body`; where reading goes on: past the body, or
    // in Java after the ";" that ends them.
    const auto enumerators = [&](std::size_t body) {
        const std::size_t close = t.match(body);
        std::size_t k = body + 1;
        while (k < close) {
            if (punct(k, ",")) {
                ++k;
            } else if (punct(k, ";")) {
                return language == Language::Java ? k + 1 : close + 1;
            } else if (Found found; reader.readEnumerator(k, close, false, found)) {
                k = found.last + 1;
                add(found);
            } else {
                while (k < close && !punct(k, ",") && !punct(k, ";"))
                    k = step(k);
            }
        }
        return close + 1;
    };
    struct Scope {
        std::string_view name;
        std::size_t close;
    };
    std::vector<Scope> classes; // the classes around, innermost last
    std::size_t i = 0;
    while (i < n) {
        while (!classes.empty() && classes.back().close < i)
            classes.pop_back();
        reader.setClassName(classes.empty() ? std::string_view{} : classes.back().name);
        if (punct(i, "}") || punct(i, ";")) {
            ++i;
            continue;
        }
        Found found;
        if (reader.read(i, found)) {
            const std::size_t body = found.body, last = found.last, name = found.name;
            const bool enumeration = found.enumeration;
            add(found);
            if (body != noMatch && enumeration && t.match(body) != noMatch) {
                i = enumerators(body);
                continue;
            }
            if (body != noMatch && name != noMatch && t.match(body) != noMatch)
                classes.push_back({t.spelling(name), t.match(body)});
            i = body != noMatch ? body + 1 : last + 1;
            continue;
        }
        // Not a declaration: pass over the statement, entering the blocks that hold declarations.
        std::size_t j = reader.skipLabels(i);
        if (j == i)
            for (; j < n && !punct(j, ";") && !punct(j, "{") && !punct(j, "}");)
                j = (punct(j, "(") || punct(j, "[") || punct(j, "<")) && t.match(j) != noMatch
                        ? t.match(j) + 1
                        : j + 1;
        if (punct(j, "{"))
            j = opensBlock(i, j) || t.match(j) == noMatch ? j + 1 : t.match(j) + 1;
        i = std::max(j, i + 1);
    }
    macrosBefore(UINT32_MAX);
    return declarations;
}
