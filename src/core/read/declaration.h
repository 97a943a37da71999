#pragma once

#include "core/Orvex/Exception.h"
#include "core/doc/request.h"
#include "core/read/tokens.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// A text that holds no declaration the reader knows:
// "no declaration found (reading stopped at line 3)".
class ReadError : public Orvex::Exception {
public:
    using Orvex::Exception::Exception;
};

// "c", "cpp", "d" or "java"; nothing for any other name.
std::optional<Language> languageNamed(std::string_view name);

// The language a text looks written in: D or Java when it holds words or shapes only they use
// (ref, immutable, "void f(T)(T x)"; throws, extends, String), else C++, which also reads C.
Language guessLanguage(std::string_view text);

// A comment right before a declaration, as it stands in the text: bytes [begin, end) and 1-based
// lines. A run of line comments on consecutive lines is one comment.
struct CommentSpan {
    std::size_t begin = 0, end = 0;
    std::size_t firstLine = 0, lastLine = 0;

    bool operator==(const CommentSpan &) const = default;
};

struct Declaration {
    // Kind, parameters (descriptions empty) and exceptions; a comment reader fills in the rest.
    DocumentRequest request;
    // 1-based lines: from its first word (after comments and access labels such as "public:") to
    // its end: the ";", the body's "}", or the last word of the text.
    std::size_t firstLine = 0, lastLine = 0;
    // The comment that ends on the line before the declaration or on its first line, with no
    // blank line, code or preprocessor line between.
    std::optional<CommentSpan> comment;
    // A member's comment after it on its last line: "int x; ///< text", "RED, /**< text */".
    std::optional<CommentSpan> trailing;
    // For a function: false when it returns nothing (void, not void *; a constructor or a
    // destructor), so that a return description has nothing to describe.
    bool returnsValue = true;
    // Per parameter of the request, in order: passed by value, so the callee can never write
    // the caller's object (int n, std::string s; not T &, T *, T[], D's ref and out).
    std::vector<bool> byValue;
};

// Reads the declaration at the start of the text (comments, blank lines and access labels may
// come first). Throws ReadError when there is none:
// readDeclaration("void f(const char *s, int n[]);", Language::C) gives a function with
// parameters s (in) and n (inout). Functions, function-like macros and C function pointer
// variables ("void (*handler)(int sig);") are functions; classes, variables, fields, constants,
// enumerators ("RED,"), type aliases, object-like macros, namespaces, D modules and documented
// unittests, Java packages and annotation types are classes. A declaration made by a macro
// ("G_DEFINE_TYPE(Foo, foo, G_TYPE_OBJECT)") is none.
Declaration readDeclaration(std::string_view text, Language language);

// Every declaration of a source buffer, in order: at file level, in namespaces and extern "C"
// blocks, in class bodies (fields too), in enum bodies (enumerators), and macros at any level;
// function bodies are skipped. What is not a declaration is passed over.
std::vector<Declaration> findDeclarations(std::string_view buffer, Language language);
