#include "core/read/declaration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A row's parameters as "in s, inout n, in -" ("-" for an unnamed one), its exceptions as "A, b.C".
std::string describe(const std::vector<ParamEntry> &params) {
    std::string text;
    for (const ParamEntry &param : params)
        text += (text.empty() ? "" : ", ") + param.direction + " " + (param.name.empty() ? "-" : param.name);
    return text;
}

std::string describe(const std::vector<ExceptionEntry> &throws) {
    std::string text;
    for (const ExceptionEntry &entry : throws)
        text += (text.empty() ? "" : ", ") + entry.type;
    return text;
}

constexpr DocumentKind function = DocumentKind::Function, type = DocumentKind::Class;

struct Row {
    const char *name;
    std::string text;
    DocumentKind kind = function;
    std::string params = {};
    std::string throws = {};
};

const std::vector<Row> cRows = {
    {"(void) gives none", "int f(void);"},
    {"() gives none", "int f();"},
    {"struct pointers", "struct foo *make(struct foo *p, const struct bar *q);", function, "inout p, in q"},
    {"a type alone is unnamed", "size_t strlen(const char *);", function, "in -"},
    {"builtin types alone", "void f(unsigned, unsigned long n, long double);", function, "in -, in n, in -"},
    {"variadic", "int printf(const char *restrict format, ...);", function, "in format, in ..."},
    {"arrays", "void f(int buf[10], const int c[], char *argv[], char *const names[]);", function,
     "inout buf, in c, inout argv, in names"},
    {"pointer levels", "void f(char *const p, const char **list, char const *s, void *data);", function,
     "inout p, inout list, in s, inout data"},
    {"typedef'd pointer passes by value", "void use(HANDLE h, LPCSTR s);", function, "in h, in s"},
    {"function pointers, named and not",
     "void qsort(void *base, size_t n, int (*compar)(const void *, const void *), void (*)(void));", function,
     "inout base, in n, in compar, in -"},
    {"system header macros", "extern int fclose (FILE *__stream) __THROW __nonnull ((1));", function,
     "inout __stream"},
    {"restrict pointers",
     "extern char *strcpy (char *__restrict __dest, const char *__restrict __src)\n"
     "     __THROW __nonnull ((1, 2));",
     function, "inout __dest, in __src"},
    {"export macro", "SQLITE_API int sqlite3_open(const char *filename, sqlite3 **ppDb);", function,
     "in filename, inout ppDb"},
    {"unnamed among named",
     "SQLITE_API int sqlite3_exec(sqlite3*, const char *sql, int (*callback)(void*,int,char**,char**), void "
     "*, "
     "char **errmsg);",
     function, "inout -, in sql, in callback, inout -, inout errmsg"},
    {"returns a function pointer", "void (*signal(int sig, void (*func)(int)))(int);", function,
     "in sig, in func"},
    {"parenthesised name", "int (getc)(FILE *stream);", function, "inout stream"},
    {"multi-line with a body", "int\nmain(int argc, /* count */\n     char *argv[])\n{\n    return 0;\n}",
     function, "in argc, inout argv"},
    {"attribute after", "void fatal(const char *msg) __attribute__((noreturn));", function, "in msg"},
    {"struct", "struct point { int x, y; };", type},
    {"typedef'd union", "typedef union value { int i; double d; } value_t;", type},
    {"enum", "enum color { RED, GREEN };", type},
    {"variable", "int count;", type},
    {"constant array", "static const char *const names[] = {\"a\", \"b\"};", type},
    {"bit field", "unsigned int flags : 3;", type},
    {"several declarators", "int x, y = 2;", type},
    {"struct variable", "struct point origin = {0, 0};", type},
    {"typedef of a struct", "typedef struct s s_t;", type},
    {"typedef of a function pointer", "typedef int (*cb)(void *);", type},
    {"typedef of a function type", "typedef int handler(int);", type},
    {"pointer to an array", "int (*rows)[4];", type},
    {"function pointer variable", "void (*handler)(int sig);", function, "in sig"},
    {"function pointer member", "int (*xOpen)(sqlite3_vfs *, const char *zName, int flags);", function,
     "inout -, in zName, in flags"},
    {"array of function pointers", "void (*handlers[4])(int);", function, "in -"},
    {"function-like macro", "#define MAX(a, b) ((a) > (b) ? (a) : (b))", function, "in a, in b"},
    {"macro over lines", "#  define LOG(fmt, ...) \\\n    fprintf(stderr, fmt, __VA_ARGS__)", function,
     "in fmt, in ..."},
    {"named variadic macro", "#define DBG(args...) f(args)", function, "in args"},
    {"object-like macro", "#define VERSION 3", type},
    {"parenthesised value is no parameter list", "#define ONE (1)", type},
    {"enumerator", "RED,", type},
    {"enumerator with a value", "RED = 1 << 2,", type},
    {"last enumerator", "BLUE\n};", type},
    {"annotations before the type", "void f(_In_ LPCSTR, _Out_writes_(n) char *buf, int n);", function,
     "in -, inout buf, in n"},
    {"a name like an old annotation", "extern in_addr_t inet_lnaof (struct in_addr __in) __THROW;", function,
     "in __in"},
    {"function pointer named like a macro", "void (*__routine) (void *);", function, "inout -"},
    {"function pointer after a type name", "sqlite3_int64 (*xRowid)(Fts5Context *, const char *zName);",
     function, "inout -, in zName"},
    {"pointer to a function that returns one",
     "void (*(*xDlSym)(sqlite3_vfs *, void *, const char *zSymbol))(void);", function,
     "inout -, inout -, in zSymbol"},
    {"pointers to function pointers", "int f(void (**pxFunc)(int), void (*const *p)(int), void (*&r)(int));",
     function, "inout pxFunc, in p, inout r"},
    {"enumerator before a preprocessor line", "DETACHED\n#define DETACHED DETACHED\n};", type},
    {"a function among variables", "int a, f(int x);", function, "in x"},
};

const std::vector<Row> cppRows = {
    {"[[nodiscard]] and storage words", "[[nodiscard]] static inline constexpr int f(int x) noexcept;",
     function, "in x"},
    {"template head",
     "template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>\nT clamp(T v, const T &lo, "
     "const T "
     "&hi);",
     function, "in v, in lo, in hi"},
    {"commas, braces and parentheses in defaults",
     "void f(std::map<int, std::pair<a, b>> m = {}, std::function<void(int)> cb = "
     "std::function<void(int)>{},\n"
     "       int n = (1 > 2), std::vector<int> v = {1, 2, 3});",
     function, "in m, in cb, in n, in v"},
    {"a less-than in a default", "void f(int a = b < c, int d = 0);", function, "in a, in d"},
    {"strings in defaults",
     R"t(void f(char c = ',', const char *s = "),(", const char *r = R"x(a)", "b)x");)t", function,
     "in c, in s, in r"} // namespace
    ,
    {"pack", "template <typename... Args> void emplace(Args &&...args);", function, "in args"},
    {"operator()", "bool operator()(const Key &a, const Key &b) const;", function, "in a, in b"},
    {"operator<<", "friend std::ostream &operator<<(std::ostream &os, const Point &p);", function,
     "inout os, in p"},
    {"operator<", "bool operator<(const Point &other) const noexcept;", function, "in other"},
    {"operator<=>", "auto operator<=>(const Point &) const = default;", function, "in -"},
    {"operator[] and operator new[]",
     "void *operator new[](std::size_t size, const std::nothrow_t &) noexcept;", function, "in size, in -"},
    {"user-defined literal", "constexpr Length operator\"\"_km(long double value);", function, "in value"},
    {"conversion operators", "explicit operator bool() const noexcept;"},
    {"conversion to a pointer", "operator const char *() const;"},
    {"destructor", "virtual ~Widget() = default;"},
    {"constructor with an initialiser list",
     "Widget::Widget(QWidget *parent, int flags)\n    : QWidget(parent), m_flags{flags}, m_list()\n{\n    "
     "setup();\n}",
     function, "inout parent, in flags"},
    {"function-try-block", "Foo::Foo(int x) try : m_x(x) {} catch (...) {}", function, "in x"},
    {"trailing return type", "auto add(int a, int b) -> decltype(a + b);", function, "in a, in b"},
    {"noexcept with an expression", "void swap(T &a, T &b) noexcept(noexcept(a.swap(b)));", function,
     "inout a, inout b"},
    {"C++ throw list", "void f() throw(std::bad_alloc, io::error);", function, "",
     "std::bad_alloc, io::error"},
    {"throw() lists none", "void f() throw();"},
    {"pure virtual", "virtual void draw(QPainter &painter) const = 0;", function, "inout painter"},
    {"deleted, unnamed", "Widget(const Widget &) = delete;", function, "in -"},
    {"rvalue reference", "Widget(Widget &&other) noexcept;", function, "in other"},
    {"macros before the return type", "Q_CORE_EXPORT Q_DECL_DEPRECATED_X(\"use g()\") void f(int x);",
     function, "in x"},
    {"access label", "public:\n    static void f(int *p);", function, "inout p"},
    {"extern \"C\"", "extern \"C\" int f(int x);", function, "in x"},
    {"pointers to members", "void call(int Foo::*field, void (Foo::*method)(int) const);", function,
     "in field, in method"},
    {"references and pointers to arrays", "void f(int (&a)[3], const int (&b)[3], int (*c)[4]);", function,
     "inout a, in b, inout c"},
    {"pointer to const pointer", "void f(const T *const *p, T **q, T *const *r);", function,
     "in p, inout q, in r"},
    {"const inside template arguments", "void f(std::vector<const int> &v, const std::vector<int> &w);",
     function, "inout v, in w"},
    {"explicit specialisation", "template <> void print<int>(int value);", function, "in value"},
    {"requires clauses", "template <class T> requires std::integral<T> T twice(T v) requires(sizeof(T) > 1);",
     function, "in v"},
    {"multi-line template",
     "template <typename K,\n          typename V>\nstd::map<K, V>\nmerge(const std::map<K, V> &a,\n      "
     "std::map<K, V> &b)\n{\n    return a;\n}",
     function, "in a, inout b"},
    {"class with an export macro and a base", "class Q_CORE_EXPORT QString : public QBase {", type},
    {"enum class", "enum class Color : std::uint8_t { Red };", type},
    {"class template", "template <typename T>\nclass List;", type},
    {"struct with attribute", "struct [[nodiscard]] alignas(8) Result final {", type},
    {"field with braces", "std::map<int, std::pair<int, int>> m_names{};", type},
    {"static constexpr member", "static constexpr int kMax = 10;", type},
    {"out-of-class static member", "int Widget::count = 0;", type},
    {"a lambda variable", "auto f = [](int x) { return x; };", type},
    {"alias", "using T = std::vector<int>;", type},
    {"alias template", "template <class T> using Vec = std::vector<T>;", type},
    {"namespace", "namespace io {", type},
    {"nested and inline namespaces", "inline namespace v1::detail {", type},
    {"namespace alias", "namespace fs = std::filesystem;", type},
    {"member function pointer", "void (Widget::*handler)(int n) = nullptr;", function, "in n"},
    {"enumerator with a template value", "Red = std::numeric_limits<int>::max(),", type},
    {"enumerator with a deprecation macro", "Old Q_DECL_ENUMERATOR_DEPRECATED_X(\"use New\") = New,", type},
    {"specialised variable template", "template <> inline constexpr double pi_v<double> = 3.14;", type},
    {"destructor named like a macro", "~__allocated_ptr() {}"},
    {"comparisons in defaults", "void f(int a = b < c, int d = e > g);", function, "in a, in d"},
    {"a type in parentheses", "void f(Foo(Bar));", function, "in -"},
    {"a bare macro line above a member", "Q_OBJECT\nQ_PROPERTY(int x READ x)\nint m_x;", type},
};

const std::vector<Row> dRows = {
    {"out, ref and auto ref", "void f(out int o, ref int r, auto ref T ar, int v);", function,
     "out o, inout r, inout ar, in v"},
    {"refs to const types",
     "void f(in ref S a, const ref S b, ref const(S) c, ref immutable(S) d, ref inout(S) e, ref const S g);",
     function, "in a, in b, in c, in d, in e, in g"},
    {"a ref to a slice of const elements is inout", "void f(ref const(char)[] s, ref string t);", function,
     "inout s, inout t"},
    {"scope, return and lazy", "int* f(scope int* p, return ref int r, lazy string msg);", function,
     "in p, inout r, in msg"},
    {"template parameters, constraint, variadic", "void f(T)(T x, T[] more...) if (isNumeric!T)", function,
     "in x, in more"},
    {"C-style variadic", "extern (C) int printf(const char* format, ...);", function, "in format, in ..."},
    {"unnamed", "void f(int, string, const(char)*);", function, "in -, in -, in -"},
    {"attributes and a const(T) return", "@property ref const(T) front() const @safe pure nothrow return;"},
    {"constructor", "this(int x, string name) @safe;", function, "in x, in name"},
    {"delegate", "int opApply(scope int delegate(ref int) dg);", function, "in dg"},
    {"qualified and instantiated types",
     "void f(std.stdio.File file, Nullable!int n, Tuple!(int, string) t);", function, "in file, in n, in t"},
    {"contracts", "int div(int a, int b)\nin (b != 0)\nout (r; r >= 0)\ndo\n{\n    return a / b;\n}",
     function, "in a, in b"},
    {"defaults", "void f(int a = 1, string s = \"x,y\", int[] b = [1, 2]);", function, "in a, in s, in b"},
    {"attribute label", "private:\n@safe:\nvoid f(ref int x);", function, "inout x"},
    {"class template", "class Stack(T) : Base if (isNumeric!T) {", type},
    {"template", "template Foo(T) {", type},
    {"mixin template", "mixin template Bar() {", type},
    {"struct, interface, enum", "struct S;\ninterface I {}\nenum E : int { a }", type},
    {"variable", "immutable int x = 3;", type},
    {"__gshared", "__gshared T g;", type},
    {"slice field", "private int[] _data;", type},
    {"manifest constant", "enum size = 4;", type},
    {"delegate variable", "void delegate(int) callback;", type},
    {"alias", "alias T = int;", type},
    {"function alias", "alias fp = void function(int);", type},
    {"module", "module std.stdio;", type},
    {"enum member", "ACQ = 2,", type},
    {"deprecated enum member", "deprecated(\"use b\") a,", type},
    {"enum member named like a C type", "signed = 1,", type},
    {"documented unittest", "@safe pure unittest\n{\n    assert(f(1) == 2);\n}", type},
    {"conditions before it", "else version (Darwin) alias Handle = semaphore_t;", type},
    {"a condition before a function", "static if (is(T == int)) void f(int x);", function, "in x"},
    {"eponymous template constant", "package(std) enum bool isRange(R, size_t n) = is(typeof(R.init));",
     type},
};

const std::vector<Row> javaRows = {
    {"generics",
     "public static <K, V extends Comparable<? super V>> Map<K, List<V>> group(Map<K, List<V>> m, "
     "Comparator<? "
     "super K> c)",
     function, "in m, in c"},
    {"final and annotated parameters",
     "void f(final int x, @Nullable String s, final @NonNull List<String> list)", function,
     "in x, in s, in list"},
    {"varargs and arrays", "static int sum(int base, int[] more, int legacy[], int... n)", function,
     "in base, in more, in legacy, in n"},
    {"throws", "void read(Path p) throws IOException, java.io.UncheckedIOException {", function, "in p",
     "IOException, java.io.UncheckedIOException"},
    {"annotations before", "@Override\n@Deprecated(since = \"9\")\npublic String toString()"},
    {"constructor", "public Point(int x, int y) {\n    this.x = x;\n}", function, "in x, in y"},
    {"interface method", "List<T> items(int limit);", function, "in limit"},
    {"annotation element with a default", "String value() default \"\";"},
    {"receiver parameter", "void f(Foo this, int x)", function, "in x"},
    {"class", "public final class Foo<T extends Comparable<T>> extends Bar implements Baz, Qux {", type},
    {"record", "public record Point(int x, int y) implements Shape {", type},
    {"interface", "interface Shape extends Comparable<Shape> {", type},
    {"enum", "enum Color { RED, GREEN }", type},
    {"annotation type", "public @interface Marker {}", type},
    {"field", "private final Map<K, V> cache = new HashMap<>();", type},
    {"constant", "public static final long serialVersionUID = 1L;", type},
    {"C-style array field", "int a[] = {1, 2};", type},
    {"enum constant with a body", "ACTIVE(\"a\") {\n    void f() {}\n},", type},
    {"enum constant", "RED,", type},
    {"last enum constant before members", "BLUE;", type},
    {"package", "package java.util;", type},
    {"annotation type behind annotations",
     "@Documented\n@Retention(RetentionPolicy.SOURCE)\n@Target({ElementType.TYPE, ElementType.METHOD})\n"
     "public @interface Generated {",
     type},
};

void checkRows(const std::vector<Row> &rows, Language language) {
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            const Declaration declaration = readDeclaration(row.text, language);
            EXPECT_EQ(declaration.request.kind, row.kind);
            EXPECT_EQ(describe(declaration.request.params), row.params);
            EXPECT_EQ(describe(declaration.request.throws), row.throws);
        } catch (const ReadError &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

TEST(Declaration, C) {
    checkRows(cRows, Language::C);
}

TEST(Declaration, Cpp) {
    checkRows(cppRows, Language::Cpp);
}

TEST(Declaration, D) {
    checkRows(dRows, Language::D);
}

TEST(Declaration, Java) {
    checkRows(javaRows, Language::Java);
}

// What comes before a declaration changes neither what is read nor its span, only its lines: a
// doc comment is kept aside as its comment, a preprocessor line is passed over.
TEST(Declaration, LeadingCommentsAndLines) {
    const std::pair<const std::vector<Row> *, Language> tables[] = {
        {&cRows, Language::C}, {&cppRows, Language::Cpp}, {&dRows, Language::D}, {&javaRows, Language::Java}};
    for (const auto &[rows, language] : tables)
        for (const Row &row : *rows) {
            SCOPED_TRACE(row.name);
            const Declaration plain = readDeclaration(row.text, language);
            const std::string comment =
                language == Language::D ? "/++\n + Doc.\n +/\n" : "/**\n * Doc.\n */\n";
            const Declaration commented = readDeclaration(comment + row.text, language);
            EXPECT_EQ(commented.request, plain.request);
            EXPECT_EQ(commented.firstLine, plain.firstLine + 3);
            EXPECT_EQ(commented.lastLine, plain.lastLine + 3);
            // An access label between them makes it no comment of the declaration.
            EXPECT_EQ(commented.comment, plain.firstLine == 1
                                             ? std::optional(CommentSpan{0, comment.size() - 1, 1, 3})
                                             : std::nullopt);
            EXPECT_EQ(plain.comment, std::nullopt);
            if (language == Language::C || language == Language::Cpp) {
                const Declaration directive =
                    readDeclaration(comment + "#include <x.h>\n\n" + row.text, language);
                EXPECT_EQ(directive.request, plain.request);
                EXPECT_EQ(directive.comment, std::nullopt);
            }
        }
}

TEST(Declaration, Lines) {
    const struct {
        const char *name;
        Language language;
        std::string text;
        std::size_t first, last;
    } rows[] = {
        {"one line", Language::Cpp, "void f(int x);", 1, 1},
        {"after blank lines and a label", Language::Cpp, "\n\npublic:\n  void f(\n    int x) const;\n", 4, 5},
        {"body included", Language::Cpp, "void f()\n{\n}\nint g();", 1, 3},
        {"no end", Language::Cpp, "void f(int x)\n  const\n", 1, 2},
        {"multi-line string in D", Language::D, "void f(string s = \"a\nb\");", 1, 2},
        {"bare macro lines above", Language::Cpp, "Q_OBJECT\nQ_PROPERTY(int x READ x)\nint m_x;", 3, 3},
        {"a macro over lines", Language::C, "\n#define F(a) \\\n  (a)\nint x;", 2, 3},
        {"an enumerator ends at its comma", Language::C, "RED =\n  1,\nGREEN", 1, 2},
    };
    for (const auto &row : rows) {
        const Declaration declaration = readDeclaration(row.text, row.language);
        EXPECT_EQ(declaration.firstLine, row.first) << row.name;
        EXPECT_EQ(declaration.lastLine, row.last) << row.name;
    }
}

TEST(Declaration, Comments) {
    const struct {
        const char *name;
        std::string text;
        std::optional<CommentSpan> comment;
    } rows[] = {
        {"line comments on consecutive lines", "/// a\n/// b\nvoid f();", CommentSpan{0, 11, 1, 2}},
        {"on the declaration's line", "/** a */ void f();", CommentSpan{0, 8, 1, 1}},
        {"a blank line between", "/** a */\n\nvoid f();", std::nullopt},
        {"only the run next to it", "// a\n\n// b\nvoid f();", CommentSpan{6, 10, 3, 3}},
        {"after an access label", "/** no */\npublic:\n/** yes */\nvoid f();", CommentSpan{18, 28, 3, 3}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(readDeclaration(row.text, Language::Cpp).comment, row.comment) << row.name;
}

TEST(Declaration, Errors) {
    const struct {
        const char *name;
        Language language;
        std::string text;
        std::size_t line;
    } rows[] = {
        {"empty", Language::Cpp, "", 1},
        {"only comments", Language::Cpp, "// a\n/* b */\n", 2},
        {"an assignment", Language::Cpp, "\n\n  x = 5;\n", 3},
        {"a member assignment", Language::Java, "this.x = y;", 1},
        {"a using-declaration", Language::Cpp, "using Base::f;", 1},
        {"a word alone", Language::C, "RED", 1},
        {"a statement is no enumerator", Language::C, "RED = 1;", 1},
        {"a declaration made by a macro", Language::C, "G_DEFINE_TYPE(Foo, foo, G_TYPE_OBJECT)", 1},
        {"a standalone macro", Language::Cpp, "Q_DECLARE_METATYPE(Foo)\n\n", 2},
        {"a D mixin", Language::D, "mixin Foo;", 1},
        {"a call", Language::Cpp, "foo(1, 2);", 1},
        {"a statement", Language::Cpp, "return f(x);", 1},
        {"an expression for a parameter", Language::Cpp, "void f(a + b);", 1},
        {"an empty parameter", Language::Cpp, "void f(int,\n       );", 2},
        {"unclosed parameters", Language::Cpp, "void f(int x,\n       int y", 1},
        {"unclosed exception list", Language::Cpp, "void f()\nthrow(A,", 2},
        {"a declaration inside a macro", Language::C,
         "__REDIRECT (fopen, (const char *__filename,\n                    const char *__modes), fopen64);",
         1},
        {"a Java parameter without a name", Language::Java, "void f(int);", 1},
        {"a Java default value", Language::Java, "void f(int x = 1);", 1},
        {"an empty throws clause", Language::Java, "void f() throws {", 1},
        {"only brackets", Language::Cpp, "((((\n", 1},
        {"only angles", Language::Cpp, "<<<<<<", 1},
        {"NUL bytes", Language::Cpp, std::string(8, '\0'), 1},
        {"invalid UTF-8", Language::Cpp, "\xff\xfe\x80", 1},
    };
    for (const auto &row : rows) {
        try {
            readDeclaration(row.text, row.language);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const ReadError &error) {
            EXPECT_EQ(std::string(error.what()),
                      "no declaration found (reading stopped at line " + std::to_string(row.line) + ")")
                << row.name;
        }
    }
}

TEST(Declaration, LanguageNames) {
    EXPECT_EQ(languageNamed("c"), Language::C);
    EXPECT_EQ(languageNamed("cpp"), Language::Cpp);
    EXPECT_EQ(languageNamed("d"), Language::D);
    EXPECT_EQ(languageNamed("java"), Language::Java);
    EXPECT_EQ(languageNamed("C++"), std::nullopt);
    EXPECT_EQ(languageNamed(""), std::nullopt);
}

TEST(Declaration, GuessLanguage) {
    const struct {
        const char *text;
        Language language;
    } rows[] = {
        {"void f(int x);", Language::Cpp},
        {"int f(const char *s, size_t n);", Language::Cpp},
        {"std::string f(const Foo &x) const;", Language::Cpp},
        {"void f(ref int x);", Language::D},
        {"void f(T)(T x);", Language::D},
        {"void f(immutable(char)[] s) @safe;", Language::D},
        {"public void f(String s) throws IOException", Language::Java},
        {"@Override public String toString()", Language::Java},
        {"public static void main(String[] args)", Language::Java},
        {"class Foo : public Bar {", Language::Cpp},
        {"package java.util;", Language::Java},
        {"__gshared T g;", Language::D},
        {"namespace io {", Language::Cpp},
    };
    for (const auto &row : rows)
        EXPECT_EQ(guessLanguage(row.text), row.language) << row.text;
}

// The rows that end a statement, one after another in one buffer, are found as they are read
// alone; their members are found too.
TEST(Declaration, FindInABuffer) {
    const std::string buffer = "// file header\n"
                               "#include <vector>\n"
                               "/// Largest of two.\n"
                               "#define MAX(a, b) \\\n"
                               "    ((a) > (b) ? (a) : (b))\n"
                               "namespace app {\n"
                               "/// A widget.\n"
                               "class Widget : public Base {\n"
                               "    Q_OBJECT\n"
                               "public:\n"
                               "    /** Makes one. */\n"
                               "    Widget(QWidget *parent = nullptr);\n"
                               "    int size() const { return m_size; } // inline\n"
                               "    void resize(int width, int &height);\n"
                               "    enum Mode { Fast, ///< quick\n"
                               "                Slow = 2 };\n"
                               "private:\n"
                               "    int m_size = 0; ///< in pixels\n"
                               "};\n"
                               "\n"
                               "int helper(const char *s)\n"
                               "{\n"
                               "#define LOCAL 1\n"
                               "    if (s) { call(s, 1); }\n"
                               "    return 0;\n"
                               "}\n"
                               "} // namespace app\n";
    const std::vector<Declaration> found = findDeclarations(buffer, Language::Cpp);
    using Lines = std::optional<std::pair<std::size_t, std::size_t>>;
    const struct {
        DocumentKind kind;
        std::string params;
        std::size_t first, last;
        Lines comment, trailing = std::nullopt;
        bool returns = true;
    } expected[] = {
        {function, "in a, in b", 4, 5, Lines{{3, 3}}},
        {type, "", 6, 27, std::nullopt},
        {type, "", 8, 19, Lines{{7, 7}}},
        {function, "inout parent", 12, 12, Lines{{11, 11}}, std::nullopt, false},
        {function, "", 13, 13, std::nullopt},
        {function, "in width, inout height", 14, 14, std::nullopt, std::nullopt, false},
        {type, "", 15, 16, std::nullopt},
        {type, "", 15, 15, std::nullopt, Lines{{15, 15}}},
        {type, "", 16, 16, std::nullopt},
        {type, "", 18, 18, std::nullopt, Lines{{18, 18}}},
        {function, "in s", 21, 26, std::nullopt},
        {type, "", 23, 23, std::nullopt},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    const auto lines = [](const std::optional<CommentSpan> &span) {
        return span ? Lines{{span->firstLine, span->lastLine}} : std::nullopt;
    };
    for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(found[i].request.kind, expected[i].kind);
        EXPECT_EQ(describe(found[i].request.params), expected[i].params);
        EXPECT_EQ(found[i].firstLine, expected[i].first);
        EXPECT_EQ(found[i].lastLine, expected[i].last);
        EXPECT_EQ(lines(found[i].comment), expected[i].comment);
        EXPECT_EQ(lines(found[i].trailing), expected[i].trailing);
        EXPECT_EQ(found[i].returnsValue, expected[i].returns);
    }
}

// Members in each language, one after another: "f1" is a function on line 1, "c2" a class on
// line 2.
TEST(Declaration, FindMembers) {
    const struct {
        Language language;
        std::string buffer, expected;
    } rows[] = {
        {Language::C,
         "typedef enum {\n  A = 1,\n  B\n} e_t;\nstruct s {\n  int x : 2, y;\n  void (*cb)(int);\n};\n"
         "static const char *const names[] = {\"a\", \"b\"};",
         "c1 c2 c3 c5 c6 f7 c9"},
        {Language::Java,
         "package p;\nenum Color {\n  RED, GREEN(\"g\") { void f() {} },\n  BLUE;\n  private final int v = "
         "1;\n"
         "  Color() {}\n}\n@interface Marker {}",
         "c1 c2 c3 c3 c4 c5 f6 c8"},
        {Language::D,
         "module m;\nenum E : int { a, b = 2 }\nimmutable int x = 3;\nalias T = int;\nstruct S {\n  int f;\n"
         "  void g() { int local; }\n}",
         "c1 c2 c2 c2 c3 c4 c5 c6 f7"},
    };
    for (const auto &row : rows) {
        std::string got;
        for (const Declaration &declaration : findDeclarations(row.buffer, row.language))
            got += (got.empty() ? "" : " ") + std::string(declaration.request.kind == function ? "f" : "c") +
                   std::to_string(declaration.firstLine);
        EXPECT_EQ(got, row.expected) << row.buffer;
    }
}

TEST(Declaration, FindTheRowsInOneBuffer) {
    const std::pair<const std::vector<Row> *, Language> tables[] = {
        {&cRows, Language::C}, {&cppRows, Language::Cpp}, {&dRows, Language::D}, {&javaRows, Language::Java}};
    for (const auto &[rows, language] : tables) {
        std::string buffer;
        std::vector<const Row *> complete;
        for (const Row &row : *rows)
            if ((row.text.ends_with(';') || row.text.ends_with('}')) && row.kind == function) {
                buffer += row.text + "\n";
                complete.push_back(&row);
            }
        const std::vector<Declaration> found = findDeclarations(buffer, language);
        ASSERT_EQ(found.size(), complete.size()) << buffer;
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(describe(found[i].request.params), complete[i]->params) << complete[i]->name;
            EXPECT_EQ(describe(found[i].request.throws), complete[i]->throws) << complete[i]->name;
        }
    }
}

// Whether a function returns something, and which parameters are copied ("v") or shared with
// the caller ("s").
TEST(Declaration, ReturnsAndPassing) {
    const struct {
        const char *name;
        Language language;
        std::string text;
        bool returns;
        std::string passing;
    } rows[] = {
        {"void", Language::C, "static void f(int n, char *s, const char *c, int a[], HANDLE h, ...);", false,
         "vsssvv"},
        {"void pointer", Language::C, "void *f(void);", true, ""},
        {"returns a function pointer", Language::C, "void (*signal(int sig, void (*f)(int)))(int);", true,
         "vs"},
        {"parenthesised name", Language::C, "void (f)(int x);", false, "v"},
        {"macros before void", Language::Cpp, "Q_CORE_EXPORT Q_DECL_DEPRECATED_X(\"g\") void f(int x);",
         false, "v"},
        {"references", Language::Cpp,
         "std::string f(const T &a, T &b, T &&c, std::vector<int> v, int (&r)[3]);", true, "sssvs"},
        {"void inside a template argument", Language::Cpp, "std::function<void()> f(int (x));", true, "v"},
        {"trailing void", Language::Cpp, "auto f() -> void;", false, ""},
        {"trailing value", Language::Cpp, "auto f() -> void *;", true, ""},
        {"constructor", Language::Cpp, "explicit Widget(QWidget *parent);", false, "s"},
        {"constructor after a macro", Language::Cpp, "Q_INVOKABLE explicit Widget();", false, ""},
        {"out-of-class constructor", Language::Cpp, "template <class T> List<T>::List(int n) : m(n) {}",
         false, "v"},
        {"destructor", Language::Cpp, "virtual ~Widget() = default;", false, ""},
        {"conversion", Language::Cpp, "explicit operator bool() const;", true, ""},
        {"void operator", Language::Cpp, "void operator delete(void *p) noexcept;", false, "s"},
        {"type in capitals", Language::C, "HANDLE open(int n);", true, "v"},
        {"D void and storage classes", Language::D,
         "void f(int a, ref int b, out int c, lazy int d, int* e, int[] g, int[4] h, int[string] m);", false,
         "vssvssvs"},
        {"D delegate", Language::D, "void delegate() f();", true, ""},
        {"D constructor", Language::D, "this(int x) @safe;", false, "v"},
        {"Java void", Language::Java, "public static void main(String[] args)", false, "v"},
        {"Java constructor", Language::Java, "public <T> Box(T value, int[] more) {", false, "vv"},
        {"Java value", Language::Java, "@Override public String toString()", true, ""},
    };
    for (const auto &row : rows) {
        const Declaration declaration = readDeclaration(row.text, row.language);
        std::string passing;
        for (bool copied : declaration.byValue)
            passing += copied ? 'v' : 's';
        EXPECT_EQ(declaration.returnsValue, row.returns) << row.name;
        EXPECT_EQ(passing, row.passing) << row.name;
    }
}

// A member's comment to its right: "int x; ///< a"; never an ordinary comment there.
TEST(Declaration, TrailingComments) {
    const struct {
        const char *name;
        Language language;
        std::string text;
        std::optional<CommentSpan> trailing;
    } rows[] = {
        {"line", Language::Cpp, "int f(); ///< a", CommentSpan{9, 15, 1, 1}},
        {"block", Language::C, "void f(); /**< a */", CommentSpan{10, 19, 1, 1}},
        {"exclamation", Language::Cpp, "void f(); //!< a\n", CommentSpan{10, 16, 1, 1}},
        {"continued below", Language::Cpp, "void f(); ///< a\n          ///< b\nvoid g();",
         CommentSpan{10, 33, 1, 2}},
        {"not the next member's comment", Language::Cpp, "void f(); ///< a\n/// b\nvoid g();",
         CommentSpan{10, 16, 1, 1}},
        {"ordinary comment", Language::Cpp, "void f(); // a", std::nullopt},
        {"doc comment for what follows", Language::Cpp, "void f(); /** a */", std::nullopt},
        {"on the next line", Language::Cpp, "void f();\n///< a", std::nullopt},
        {"D doc comment", Language::D, "void f(); /// a", CommentSpan{10, 15, 1, 1}},
        {"none in Java", Language::Java, "void f(); /** a */", std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(readDeclaration(row.text, row.language).trailing, row.trailing) << row.name;
}

// Shapes that were once read wrongly.
TEST(Declaration, Regression) {
    const struct {
        const char *name;
        Language language;
        std::string text;
        std::string params;
    } rows[] = {
        // A builtin type word took the following "(" as its own argument and skipped it.
        {"declarator group after void", Language::C, "void (*at(int n))(void);", "in n"},
        // A macro call rejected as the function made every macro after it be tried again.
        {"several macros with arguments", Language::Cpp, "A(1) B(2) C(3) int f(int x);", "in x"},
        // A parenthesised name was taken for "(*name)".
        {"pointer declarator is not a parenthesised name", Language::C, "int (*fp)(int);\nint (g)(int y);",
         "in -"},
        // Found in real code (Qt, Phobos, java.base), each read wrongly or not at all.
        {"reference to an array of a template type", Language::Cpp,
         "template <typename Char, size_t N>\nstatic constexpr qsizetype length(const Char (&str)[N]) "
         "noexcept;",
         "in str"},
        {"template instance as the return type", Language::D,
         "Tuple!(Range, size_t) find(alias pred = \"a == b\", Range, Ranges...)\n(Range haystack, Ranges "
         "needles)",
         "in haystack, in needles"},
        {"string template argument in the return type", Language::D, "Flag!\"each\" each(Range)(Range r)",
         "in r"},
        {"comma after the last parameter", Language::D,
         "T findLocalMin(T)(\n    const T ax,\n    const T bx,\n    )", "in ax, in bx"},
        {"package protection", Language::D,
         "package auto skipWS(R, Flag!\"doCount\" doCount = No.doCount)(ref R r)", "inout r"},
        {"package(x) protection", Language::D,
         "package(std) string searchPathFor(scope const(char)[] executable)", "in executable"},
        {"pragma before it, a scope const variadic", Language::D,
         "pragma(printf)\n    int fprintf(FILE* stream, scope const char* format, scope const ...);",
         "in stream, in format, in ..."},
        {"a Java method called delete", Language::Java, "boolean delete(int i) {", "in i"},
    };
    for (const auto &row : rows) {
        try {
            EXPECT_EQ(describe(readDeclaration(row.text, row.language).request.params), row.params)
                << row.name;
        } catch (const ReadError &) {
            EXPECT_EQ(row.params, "!") << row.name;
        }
    }
}

} // namespace
