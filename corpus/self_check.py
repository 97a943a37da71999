"""Checks the ground truth itself: the extractors on small files with known answers, and the
direction rules on written types. Run by `./dev corpus --self-check`."""

import json
import os
import subprocess
import sys

import clang_truth
import compare
import gdc_truth

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "selfcheck")

# (language, function name): (text starts with, names, directions[, throws]). Anything else the
# extractor lists is an error: included headers, macro-made functions, unit tests, lambdas,
# methods of anonymous classes and compact constructors must not appear.
EXPECTED = {
    ("cpp", "templated"): ("template <typename T>\nint templated(", ["value", "out"], ["in", "inout"]),
    ("cpp", "S"): ("S(int a", ["a", "b"], ["in", "inout"]),
    ("cpp", "method"): ("void method(", ["p", "buf", "..."], ["in", "inout", "in"]),
    ("cpp", "exported"): ("EXPORT void exported(", ["cb", "arr", "pp", "", "n"], ["in", "inout", "inout", "in", "in"]),
    ("cpp", "withBody"): ("inline int withBody(int &x) {", ["x"], ["inout"]),
    # va_list is an array typedef: the spelling says "in" though clang shows a pointer.
    ("cpp", "formatted"): ("int formatted(", ["format", "ap", "name", "grid"], ["in", "in", "in", "inout"]),
    ("d", "f"): ("int f(int a,", list("abcdegh"), ["in", "out", "inout", "in", "in", "in", "inout"]),
    ("d", "cvar"): ("extern (C) int cvar(", ["fmt", "..."], ["in", "in"]),
    ("d", "cscoped"): ("extern (C) int cscoped(", ["fmt", "..."], ["in", "in"]),
    ("d", "dstyle"): ("void dstyle(", ["format", "..."], ["in", "in"]),
    ("d", "typesafe"): ("void typesafe(", ["rest"], ["in"]),
    ("d", "g"): ("void g(T)(auto ref T x", ["x", "s", "y", "rest"], ["inout", "inout", "in", "in"]),
    ("d", "this"): ("this(int a) {}", ["a"], ["in"]),
    ("d", "m"): ("void m(ref S other) const {}", ["other"], ["inout"]),
    ("d", "v"): ("void v(scope int q);", ["q"], ["in"]),
    ("java", "pick"): ('@Deprecated(since = "9")', ["a", "rest"], ["in", "in"], ["IOException", "java.lang.IllegalStateException"]),
    ("java", "<init>"): ("Fixture(T value) {", ["value"], ["in"], []),
    ("java", "f"): ("abstract void f(int[] x, String s);", ["x", "s"], ["in", "in"], []),
    ("cpp", "EXPORT"): ("#define EXPORT", [], []),
    ("cpp", "DECLARE"): ("#define DECLARE(name)", ["name"], ["in"]),
    ("cpp", "MAX"): ("#define MAX(a, b) \\\n    ((a)", ["a", "b"], ["in", "in"]),
    ("cpp", "VARIADIC"): ("#define VARIADIC(fmt, ...)", ["fmt", "..."], ["in", "in"]),
    ("cpp", "FIELD"): ("#define FIELD(n) int n;", ["n"], ["in"]),
    ("cpp", "fx"): ("namespace fx {", [], []),
    ("cpp", "pm"): ("int S::*pm;", [], []),
    ("cpp", "handler"): ("void (*handler)(int sig, const char *msg);", ["sig", "msg"], ["in", "in"]),
    ("cpp", "limit"): ("static const int limit = 3;", [], []),
    ("cpp", "red"): ("red,", [], []),
    ("cpp", "green"): ("green = 2 }", [], []),
    ("cpp", "callback"): ("typedef int (*callback)(void *);", [], []),
    ("cpp", "Alias"): ("using Alias = S;", [], []),
    ("cpp", "counter"): ("extern int counter;", [], []),
    ("d", "fixture"): ("module fixture;", [], []),
    ("d", "fast"): ("fast,", [], []),
    ("d", "slow"): ("slow = 2 }", [], []),
    ("d", "limit"): ("immutable int limit = 3;", [], []),
    ("d", "Handler"): ("alias Handler = void function(int);", [], []),
    ("java", "selfcheck"): ("package selfcheck;", [], [], []),
    ("java", "count"): ("private final int count = 1,", [], [], []),
    ("java", "other"): ("private final int count = 1, other;", [], [], []),
    ("java", "FAST"): ("FAST,", [], [], []),
    ("java", "SLOW"): ("SLOW(\"s\") {} }", [], [], []),
    ("java", "Marker"): ("@java.lang.annotation.Documented\n    @interface Marker {", [], [], []),
}
# What documents as a class; everything else in EXPECTED is a function.
CLASSES = {
    ("cpp", name) for name in ("EXPORT", "fx", "pm", "limit", "red", "green", "callback", "Alias", "counter")
} | {("d", name) for name in ("fixture", "fast", "slow", "limit", "Handler")} | {
    ("java", name) for name in ("selfcheck", "count", "other", "FAST", "SLOW", "Marker")
}

C_DIRECTIONS = [
    ("int", "in"),
    ("str", "in"),  # a typedef'd pointer is judged by its spelling
    ("const char *", "in"),
    ("char const *", "in"),
    ("const std::string &", "in"),
    ("const T *const *", "in"),
    ("T &&", "in"),
    ("A &&...", "in"),
    ("int (*)(int)", "in"),
    ("void (&)(int)", "in"),
    ("void (S::*)(int)", "in"),
    ("int S::*", "in"),
    ("std::function<void (int *)>", "in"),
    ("const QList<int *> &", "in"),
    ("const char (*)[4]", "in"),
    ("FILE *restrict", "inout"),
    ("char *const", "inout"),
    ("int &", "inout"),
    ("void *", "inout"),
    ("int [3]", "inout"),
    ("T **", "inout"),
    ("const char **", "inout"),
    ("int (&)[3]", "inout"),
    ("int (*)[3]", "inout"),
    ("void (*&)(int)", "inout"),
    ("int (**)(int)", "inout"),
    ("std::map<int, std::vector<char>> &", "inout"),
]

D_DIRECTIONS = [
    ({"deco": "i"}, "in"),
    ({"deco": "i", "storageClass": ["out"]}, "out"),
    ({"deco": "i", "storageClass": ["ref"]}, "inout"),
    ({"deco": "xi", "storageClass": ["ref"]}, "in"),
    ({"deco": "yAa", "storageClass": ["ref"]}, "in"),
    ({"deco": "NgAa", "storageClass": ["ref"]}, "in"),
    ({"deco": "Axa", "storageClass": ["ref"]}, "inout"),
    ({"deco": "xi", "storageClass": ["in", "ref"]}, "in"),
    ({"deco": "i", "storageClass": ["immutable", "ref"]}, "in"),
    ({"type": "T", "storageClass": ["auto", "ref"]}, "inout"),
    ({"type": "inout(char)[]", "storageClass": ["ref"]}, "inout"),
    ({"type": "const(T)", "storageClass": ["ref"]}, "in"),
    ({"type": "T", "storageClass": ["lazy"]}, "in"),
]


def extract(out_dir):
    records = []
    clang = subprocess.run(
        [sys.executable, clang_truth.__file__, "--language", "cpp", "--tu-dir", out_dir, os.path.join(FIXTURES, "fixture.hpp")],
        check=True,
        capture_output=True,
        text=True,
    )
    gdc = subprocess.run(
        [sys.executable, gdc_truth.__file__, "--json-dir", out_dir, os.path.join(FIXTURES, "fixture.d")],
        check=True,
        capture_output=True,
        text=True,
    )
    java = subprocess.run([compare.JAVA, compare.HERE + "/JavaTruth.java", os.path.join(FIXTURES, "Fixture.java")], check=True, capture_output=True, text=True)
    for run in (clang, gdc, java):
        records += [json.loads(line) for line in run.stdout.splitlines()]
    return records


def check_records(records):
    errors = []
    seen = set()
    for r in records:
        key = (r["language"], r["name"])
        if key not in EXPECTED or key in seen:
            errors.append("unexpected declaration %s at %s:%d" % (key, r["file"], r["line"]))
            continue
        seen.add(key)
        start, names, directions, *throws = EXPECTED[key]
        got = (r["text"][: len(start)], r["names"], r["directions"], r.get("kind")) + ((r.get("throws"),) if throws else ())
        want = (start, names, directions, "class" if key in CLASSES else "function") + tuple(throws)
        if got != want:
            errors.append("%s: expected %s, got %s" % (key, json.dumps(want), json.dumps(got)))
    errors += ["missing declaration %s" % (key,) for key in EXPECTED if key not in seen]
    return len(EXPECTED), errors


def check_rules():
    errors = []
    for type_text, want in C_DIRECTIONS:
        got = clang_truth.direction(type_text)
        if got != want:
            errors.append("C/C++ direction of %r: expected %s, got %s" % (type_text, want, got))
    for param, want in D_DIRECTIONS:
        got = gdc_truth.direction(param)
        if got != want:
            errors.append("D direction of %s: expected %s, got %s" % (json.dumps(param), want, got))
    return len(C_DIRECTIONS) + len(D_DIRECTIONS), errors


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    count, errors = check_records(extract(out_dir))
    rule_count, rule_errors = check_rules()
    errors += rule_errors
    for e in errors:
        print("self-check: " + e)
    total = count + rule_count
    print("self-check: %d passed, %d failed" % (total - len(errors), len(errors)))
    return 1 if errors else 0
