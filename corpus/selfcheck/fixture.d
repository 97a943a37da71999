// Known answers for the ground truth: see corpus/self_check.py.
module fixture;

int f(int a, out int b, ref int c, const ref int d, ref const(int) e, in ref int g, ref int[] h)
{
    return 0;
}

extern (C) int cvar(const char* fmt, ...);
extern (C) int cscoped(scope const char* fmt, scope const ...);

void g(T)(auto ref T x, ref inout(char)[] s, ref immutable int y, int[] rest...)
{
}

enum Mode { fast, slow = 2 }
immutable int limit = 3;
alias Handler = void function(int);

struct S
{
    this(int a) {}
    void m(ref S other) const {}
    void dstyle(scope string format, ...) {}
    void typesafe(int[] rest...) {}
}

@safe:
version (all) void v(scope int q);

unittest
{
}
