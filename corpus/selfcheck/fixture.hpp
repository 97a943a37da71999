// Known answers for the ground truth: see corpus/self_check.py.
#include <cstddef>
#define EXPORT
#define DECLARE(name) void name(int)
#define MAX(a, b) \
    ((a) > (b) ? (a) : (b))
#define VARIADIC(fmt, ...) f(fmt, __VA_ARGS__)
#define FIELD(n) int n;

namespace fx {
template <typename T>
int templated(const T &value, T *out);

struct S {
    S(int a, char *b);
    void method(const char *const *p, int buf[], ...) const;
    int S::*pm;
    void (*handler)(int sig, const char *msg);
    static const int limit = 3;
    FIELD(madeField)
    int : 4;
};

enum Color { red, green = 2 };
typedef int (*callback)(void *);
using Alias = S;
extern int counter;

DECLARE(madeByMacro);

EXPORT void exported(void (*cb)(int), int (&arr)[3], const char **pp, int, std::size_t n);

inline int withBody(int &x) {
    auto lambda = [](int inLambda) { return inLambda; };
    return lambda(x);
}
} // namespace fx

#include <cstdarg>
int formatted(const char *format, va_list ap, const char name[], char (*grid)[4]);
