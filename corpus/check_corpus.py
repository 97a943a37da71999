#!/usr/bin/env python3
"""Measures `remarkist-render check` on a large real tree that Debian ships.

    check_corpus.py --render PATH --out DIR [--jobs N] [--planted N] [--seed S]
                    [--clang-files N] [--skip-clang] [--skip-bench] [--skip-planted]

The tree: Qt 6's headers (qt6-base-dev), LLVM's and ICU's headers (llvm-14-dev, libicu-dev),
Phobos and druntime (gdc's import folder) and the java.base, java.sql and java.xml modules of
the JDK's sources (openjdk-17-source's lib/src.zip, unpacked into DIR/jdk).

1. Speed. `cat` of every file the checker reads (one process, the floor), then the checker on
   one job and on all cores, each the best of three runs with the files in the page cache; then
   clang -fsyntax-only -Wdocumentation over the C and C++ files against the checker on those.
2. Agreement with clang. clang's "parameter 'x' not found in the function declaration" and its
   "\\returns ... attached to a function returning void" (or a constructor, a destructor) against
   param-unknown and return-void at the same file and line; every difference is listed.
3. Planted changes. Documented declarations are found with a reader of this script's own (not the
   checker's), copied, and one parameter each renamed, added or removed; the checker must report
   each, --fix must repair each with a change of its own lines only, the copies must compile as
   before (clang, gdc, javac's parser), and the checker afterwards reports none of them.

Writes DIR/check-report.md and the details to DIR/check-*.jsonl.
"""

import argparse
import collections
import difflib
import json
import os
import random
import re
import resource
import shutil
import subprocess
import sys
import time
import zipfile
from concurrent.futures import ThreadPoolExecutor

QT = "/usr/include/x86_64-linux-gnu/qt6"
LLVM = "/usr/include/llvm-14"
LLVM_C = "/usr/include/llvm-c-14"
ICU = "/usr/include/unicode"
JAVA_SOURCES = "/usr/lib/jvm/openjdk-17/lib/src.zip"
JAVA_MODULES = ("java.base", "java.sql", "java.xml")
EXTENSIONS = {
    ".c": "c", ".h": "cpp", ".cc": "cpp", ".cpp": "cpp", ".cxx": "cpp", ".hpp": "cpp", ".hh": "cpp",
    ".hxx": "cpp", ".ipp": "cpp", ".d": "d", ".di": "d", ".java": "java",
}


def d_imports():
    path = subprocess.run(["gdc", "-print-file-name=include/d"], capture_output=True, text=True).stdout.strip()
    return path


def unpack_jdk(out):
    root = os.path.join(out, "jdk")
    stamp = os.path.join(root, ".unpacked")
    if os.path.exists(stamp):
        return root
    shutil.rmtree(root, ignore_errors=True)
    with zipfile.ZipFile(JAVA_SOURCES) as archive:
        for name in archive.namelist():
            if name.split("/")[0] in JAVA_MODULES and name.endswith(".java"):
                archive.extract(name, root)
    open(stamp, "w").close()
    return root


def walk(root):
    """The files the checker reads under root: no hidden folders, no links, known extensions."""
    found = []
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and not os.path.islink(os.path.join(folder, d)))
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.splitext(name)[1] in EXTENSIONS and not os.path.islink(path) and os.path.isfile(path):
                found.append(path)
    return found


def best_of(runs, command, **kwargs):
    """The best wall time and the best processor time (user and system) of `runs` runs."""
    walls, cpus = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
    return min(walls), min(cpus)


def chunks(files, limit=1_500_000):
    """Argument lists that fit the kernel's limit."""
    part, size = [], 0
    for f in files:
        if size + len(f) + 1 > limit and part:
            yield part
            part, size = [], 0
        part.append(f)
        size += len(f) + 1
    if part:
        yield part


def time_cat(files):
    wall = cpu = 0.0
    parts = list(chunks(files))
    for part in parts:
        w, c = best_of(3, ["cat", *part])
        wall, cpu = wall + w, cpu + c
    return wall, cpu, len(parts)


# clang's flags for each C and C++ root: the include folders its headers expect.
def clang_flags(path):
    flags = ["-fsyntax-only", "-x", "c++", "-std=c++17", "-ferror-limit=0", "-Wno-everything", "-Wdocumentation"]
    if path.startswith(QT):
        flags += ["-fPIC", "-I" + QT] + ["-I" + os.path.join(QT, m) for m in sorted(os.listdir(QT))]
    elif path.startswith(LLVM) or path.startswith(LLVM_C):
        flags += ["-I" + LLVM, "-I" + LLVM_C]
    return flags


CLANG_WARNING = re.compile(r"^(.*?):(\d+):(\d+): warning: (.*) \[-Wdocumentation\]$")
NOT_FOUND = re.compile(r"^parameter '(.*)' not found in the function declaration$")
RETURNS = re.compile(r"^'[@\\](?:returns?|result)' command used in a comment that is attached to a "
                     r"(function returning void|constructor|destructor)$")


def classify(message):
    """The rule a clang -Wdocumentation message stands for, if any."""
    return "param-unknown" if NOT_FOUND.match(message) else "return-void" if RETURNS.match(message) else None


def run_clang(files, jobs, cache_path):
    """Every -Wdocumentation warning clang gives in the files, how many compiled without errors,
    and its wall and processor time over all of them. Kept in cache_path: clang takes long."""
    wanted = set(files)
    if os.path.exists(cache_path):
        with open(cache_path) as f:
            cache = json.load(f)
        if cache["files"] == files:
            return {tuple(x) for x in cache["warnings"]}, cache["wall"], cache["cpu"], cache["clean"]

    def one(path):
        result = subprocess.run(["clang", *clang_flags(path), path], capture_output=True, text=True,
                                errors="replace")
        found = []
        for line in result.stderr.splitlines():
            m = CLANG_WARNING.match(line)
            if m and os.path.normpath(m.group(1)) in wanted:
                found.append((os.path.normpath(m.group(1)), int(m.group(2)), m.group(4)))
        return found, result.returncode == 0

    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    with ThreadPoolExecutor(jobs) as pool:
        results = list(pool.map(one, files))
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    warnings = set()
    clean = 0
    for found, ok in results:
        warnings.update(found)
        clean += ok
    with open(cache_path, "w") as f:
        json.dump({"files": files, "warnings": sorted(warnings), "wall": wall, "cpu": cpu, "clean": clean}, f)
    return warnings, wall, cpu, clean


def check_json(render, paths, jobs, extra=()):
    result = subprocess.run([render, "check", "--format", "json", "--jobs", str(jobs), *extra, *paths],
                            capture_output=True)
    if result.returncode not in (0, 1):
        sys.exit("check failed: " + result.stderr.decode(errors="replace"))
    findings = [json.loads(line) for line in result.stdout.splitlines()]
    return findings, result.stderr.decode(errors="replace")


def enclosing_condition(path, line):
    """The #if lines open at `line` of the file, innermost last: why clang may not see a comment."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.readlines()[: line - 1]
    except OSError:
        return []
    stack = []
    for text in lines:
        t = text.strip()
        if re.match(r"#\s*if", t):
            stack.append(t)
        elif re.match(r"#\s*endif", t) and stack:
            stack.pop()
    return stack


def agreement(render, files, clang_findings, jobs, out):
    ours, _ = check_json(render, files, jobs, ["--only", "param-unknown,return-void"])
    mine = {(os.path.normpath(f["file"]), f["line"], f["rule"]): f for f in ours}
    theirs = {(f, l, r): m for f, l, r, m in clang_findings}
    both = set(mine) & set(theirs)
    missed = sorted(set(theirs) - set(mine))
    extra = sorted(set(mine) - set(theirs))
    with open(os.path.join(out, "check-clang.jsonl"), "w") as f:
        for key in missed:
            f.write(json.dumps({"kind": "clang only", "file": key[0], "line": key[1], "rule": key[2],
                                "clang": theirs[key], "if": enclosing_condition(key[0], key[1])}) + "\n")
        for key in extra:
            f.write(json.dumps({"kind": "remarkist only", "file": key[0], "line": key[1], "rule": key[2],
                                "message": mine[key]["message"], "if": enclosing_condition(key[0], key[1])}) + "\n")
    return both, missed, extra, theirs, mine


# The planting reader: this script's own, so that what the checker misses shows.
DOC_COMMENT = re.compile(r"(?ms)^[ \t]*(/\*\*(?!/).*?\*/|/\+\+.*?\+/|(?:[ \t]*///[^\n]*\n)+)")
PARAM_LINE = re.compile(r"[@\\]param(?:\[[^\]\n]*\])?[ \t]+([A-Za-z_]\w*)")
DDOC_PARAMS = re.compile(r"(?m)^[ \t*+]*Params:[ \t]*$")
DDOC_ROW = re.compile(r"(?m)^[ \t*+]*([A-Za-z_]\w*)[ \t]*=")
WORD = re.compile(r"[A-Za-z_]\w*")


def documented_names(comment):
    names = PARAM_LINE.findall(comment)
    if names:
        return names
    m = DDOC_PARAMS.search(comment)
    if not m:
        return []
    rows = []
    for line in comment[m.end():].splitlines()[1:]:
        stripped = line.strip(" \t*+/")
        if re.match(r"^[A-Z][A-Za-z_ ]*:", stripped) and "=" not in stripped:
            break  # the next section
        r = DDOC_ROW.match(line)
        if r:
            rows.append(r.group(1))
    return rows


def matching(text, open_at):
    """The index of the bracket closing the one at open_at, skipping strings; -1 if none."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    i = open_at
    while i < len(text):
        c = text[i]
        if c in "\"'":
            j = i + 1
            while j < len(text) and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
            continue
        if text.startswith("//", i):
            i = text.find("\n", i)
            if i < 0:
                return -1
            continue
        if text.startswith("/*", i):
            i = text.find("*/", i + 2)
            if i < 0:
                return -1
            i += 2
            continue
        if c in pairs:
            stack.append(pairs[c])
        elif c in ")]}":
            if not stack or stack.pop() != c:
                return -1
            if not stack:
                return i
        i += 1
    return -1


def split_params(inner):
    parts, depth, start = [], 0, 0
    for i, c in enumerate(inner):
        if c in "([{<":
            depth += 1
        elif c in ")]}>":
            depth -= 1
        elif c == "," and depth == 0:
            parts.append((start, i))
            start = i + 1
    parts.append((start, len(inner)))
    return parts


def param_name(text):
    text = text.split("=")[0]
    text = re.sub(r"\[[^\]]*\]", "", text)
    words = WORD.findall(text)
    return words[-1] if len(words) >= 2 else None


def find_sites(path, language):
    """Documented functions whose comment documents exactly their parameters, in order."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    sites = []
    for m in DOC_COMMENT.finditer(text):
        comment = m.group(1)
        names = documented_names(comment)
        if not names or len(set(names)) != len(names):
            continue
        after = m.end()
        rest = text[after:]
        head = re.match(r"[ \t]*\n?", rest)
        start = after + head.end()
        if text[start:start + 1] in ("", "\n", "#", "}"):
            continue
        # The declaration: up to its first ";" or "{" outside brackets.
        end, depth = start, 0
        while end < len(text) and end - start < 4000:
            c = text[end]
            if c in "([":
                depth += 1
            elif c in ")]":
                depth -= 1
            elif c in ";{" and depth == 0:
                break
            end += 1
        declaration = text[start:end]
        groups = []
        for g in re.finditer(r"\(", declaration):
            close = matching(declaration, g.start())
            if close < 0:
                continue
            inner = declaration[g.start() + 1:close]
            params = [(a, b, param_name(inner[a:b])) for a, b in split_params(inner)]
            if [p[2] for p in params] == names:
                groups.append((start + g.start() + 1, inner, params))
        if len(groups) != 1:
            continue
        body = None
        if end < len(text) and text[end] == "{":
            close = matching(text, end)
            if close < 0:
                continue
            body = (end, close + 1)
        sites.append({"comment": (m.start(1), m.end(1)), "names": names, "open": groups[0][0],
                      "inner": groups[0][1], "params": groups[0][2], "body": body})
    return text, sites


def plant(text, site, change, language, number):
    """The text with one change planted at the site, and the finding it should give."""
    inner, params, names = site["inner"], site["params"], site["names"]
    base = site["open"]
    comment_line = text.count("\n", 0, site["comment"][0]) + 1
    if change == "rename":
        k = random.randrange(len(params))
        a, b, old = params[k]
        new = "%sPlanted%d" % (old, number)
        piece = inner[a:b]
        at = [m for m in re.finditer(r"\b%s\b" % re.escape(old), piece)][-1]
        start, stop = base + a + at.start(), base + a + at.end()
        out = text[:start] + new + text[stop:]
        if site["body"]:
            b0, b1 = site["body"]
            shift = len(new) - len(old)
            body = re.sub(r"\b%s\b" % re.escape(old), new, out[b0 + shift:b1 + shift])
            out = out[:b0 + shift] + body + out[b1 + shift:]
        return out, ("param-unknown", old)
    if change == "add":
        new = "planted%d" % number
        piece = {"java": "int " + new, "c": "int " + new}.get(language, "int " + new + " = 0")
        at = base + len(inner.rstrip())
        return text[:at] + ", " + piece + text[at:], ("param-undocumented", new)
    # remove: a parameter the body does not use
    body = text[site["body"][0]:site["body"][1]] if site["body"] else ""
    unused = [k for k, (_, _, n) in enumerate(params) if not re.search(r"\b%s\b" % re.escape(n), body)]
    if not unused or len(params) < 2:
        return None, None
    k = random.choice(unused)
    a, b, old = params[k]
    if k + 1 < len(params):
        start, stop = base + a, base + params[k + 1][0]
    else:
        start, stop = base + params[k - 1][1], base + b
    return text[:start] + text[stop:], ("param-unknown", old)


def compile_status(path, language, original):
    if language == "java":
        classes = os.path.join(os.path.dirname(os.path.dirname(path)), ".javac")
        os.makedirs(classes, exist_ok=True)
        command = ["javac", "-XDshould-stop.ifNoError=PARSE", "-XDshould-stop.ifError=PARSE", "-d", classes, path]
    elif language == "d":
        command = ["gdc", "-fsyntax-only", path]
    else:
        command = ["clang", *clang_flags(original), "-Wno-everything", path]
    result = subprocess.run(command, capture_output=True, text=True, errors="replace")
    return result.returncode == 0


def planted_changes(render, roots, out, count, jobs):
    random.seed(planted_changes.seed)
    folder = os.path.join(out, "planted")
    shutil.rmtree(folder, ignore_errors=True)
    candidates = []
    for language, root in roots:
        for path in walk(root):
            candidates.append((language, root, path))
    random.shuffle(candidates)
    planted = []
    changes = ["rename", "add", "remove"]
    for language, root, path in candidates:
        if len(planted) >= count:
            break
        text, sites = find_sites(path, language)
        if not sites:
            continue
        site = random.choice(sites)
        change = changes[len(planted) % 3]
        new, expected = plant(text, site, change, language, len(planted))
        if new is None:
            continue
        copy = os.path.join(folder, language, os.path.relpath(path, root))
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        with open(copy, "w", encoding="latin-1") as f:
            f.write(new)
        first = new.count("\n", 0, site["comment"][0]) + 1
        last = new.count("\n", 0, site["comment"][1]) + 1
        planted.append({"file": copy, "original": path, "language": language, "change": change,
                        "rule": expected[0], "name": expected[1], "lines": [first, last]})

    def reported(findings, p):
        return any(os.path.normpath(f["file"]) == p["file"] and f["rule"] == p["rule"] and
                   "'%s'" % p["name"] in f["message"] and p["lines"][0] <= f["line"] <= p["lines"][1]
                   for f in findings)

    before, _ = check_json(render, [folder], jobs)
    before_by_file = collections.defaultdict(list)
    for f in before:
        before_by_file[os.path.normpath(f["file"])].append(f)
    found = [p for p in planted if reported(before_by_file[p["file"]], p)]

    with ThreadPoolExecutor(jobs) as pool:
        compiled_before = list(pool.map(lambda p: compile_status(p["file"], p["language"], p["original"]), planted))
    texts_before = {p["file"]: open(p["file"], "rb").read() for p in planted}
    fix = subprocess.run([render, "check", "--fix", "--jobs", str(jobs), folder], capture_output=True)
    after, _ = check_json(render, [folder], jobs)
    after_by_file = collections.defaultdict(list)
    for f in after:
        after_by_file[os.path.normpath(f["file"])].append(f)
    remaining = [p for p in planted if reported(after_by_file[p["file"]], p)]
    with ThreadPoolExecutor(jobs) as pool:
        compiled_after = list(pool.map(lambda p: compile_status(p["file"], p["language"], p["original"]), planted))

    # Minimal: --fix changes only lines of documentation comments, and at the planted comment the
    # line of the change (two for a reordering).
    diff_sizes = collections.Counter()
    outside = []
    for p in planted:
        a = texts_before[p["file"]].decode("latin-1")
        b = open(p["file"], "rb").read().decode("latin-1")
        spans = [(a.count("\n", 0, m.start(1)), a.count("\n", 0, m.end(1))) for m in DOC_COMMENT.finditer(a)]
        inside = lambda line: any(first <= line <= last for first, last in spans)  # 0-based lines
        a_lines, b_lines = a.split("\n"), b.split("\n")
        at_site = 0
        for tag, i1, i2, j1, j2 in difflib.SequenceMatcher(None, a_lines, b_lines, autojunk=False).get_opcodes():
            if tag == "equal":
                continue
            touched = range(i1, i2) if i2 > i1 else [i1 - 1, i1]
            if not all(inside(line) for line in touched if 0 <= line < len(a_lines)) and i2 > i1:
                outside.append("%s:%d" % (p["file"], i1 + 1))
            elif i2 == i1 and not any(inside(line) for line in touched):
                outside.append("%s:%d" % (p["file"], i1 + 1))
            if p["lines"][0] - 1 <= i1 <= p["lines"][1]:
                at_site += max(i2 - i1, j2 - j1)
        diff_sizes[(p["change"], at_site)] += 1
    with open(os.path.join(out, "check-planted.jsonl"), "w") as f:
        for p, c0, c1 in zip(planted, compiled_before, compiled_after):
            p = dict(p, found=p in found, remaining=p in remaining, compiled_before=c0, compiled_after=c1)
            f.write(json.dumps(p) + "\n")
    return {
        "planted": planted, "found": found, "remaining": remaining, "diff_sizes": diff_sizes,
        "outside": outside, "fix_status": fix.returncode, "fix_err": fix.stderr.decode(errors="replace"),
        "compiled_before": sum(compiled_before), "compiled_after": sum(compiled_after),
        "compile_changed": [p["file"] for p, a, b in zip(planted, compiled_before, compiled_after) if a != b],
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--planted", type=int, default=300)
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--clang-files", type=int, default=0, help="clang on a sample of this many files (0: all)")
    parser.add_argument("--skip-clang", action="store_true")
    parser.add_argument("--skip-bench", action="store_true")
    parser.add_argument("--skip-planted", action="store_true")
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    render = os.path.abspath(args.render)
    roots = [("cpp", QT), ("cpp", LLVM), ("cpp", LLVM_C), ("cpp", ICU), ("d", d_imports()),
             ("java", unpack_jdk(out))]
    paths = [root for _, root in roots]
    files = [f for root in paths for f in walk(root)]
    sizes = collections.Counter()
    for language, root in roots:
        for f in walk(root):
            sizes[language] += os.path.getsize(f)
    total = sum(sizes.values())
    report = ["# remarkist-render check on a real tree", "",
              "Qt 6 headers, LLVM 14 and ICU headers (C and C++), Phobos and druntime (D), the JDK's "
              "%s (Java): %d files, %.1f MB (%s)." % (", ".join(JAVA_MODULES), len(files), total / 1e6,
                                                        ", ".join("%s %.1f MB" % (k, v / 1e6)
                                                                  for k, v in sorted(sizes.items()))), ""]
    cores = os.cpu_count()
    if not args.skip_bench:
        time_cat(files)  # into the page cache
        cat, cat_cpu, processes = time_cat(files)
        one, one_cpu = best_of(3, [render, "check", "--jobs", "1", *paths])
        every, every_cpu = best_of(3, [render, "check", "--jobs", str(cores), *paths])
        joined = os.path.join(out, "all-bytes")
        with open(joined, "wb") as sink:
            for f in files:
                with open(f, "rb") as source:
                    shutil.copyfileobj(source, sink)
        best_of(1, ["cat", joined])
        floor, floor_cpu = best_of(3, ["cat", joined])
        os.remove(joined)
        load = os.getloadavg()[0]
        report += ["## Speed", "",
                   "Best of three runs with the files in the page cache; processor time is user and system "
                   "time, which other work on the machine (load average %.1f on %d cores) affects less than "
                   "the wall time." % (load, cores), "",
                   "| run | wall s | MB/s | processor s | wall against cat | processor against cat |",
                   "|---|---|---|---|---|---|",
                   "| cat, %d process%s | %.3f | %.0f | %.3f | 1 | 1 |" % (
                       processes, "es" if processes > 1 else "", cat, total / 1e6 / cat, cat_cpu),
                   "| check, 1 job | %.3f | %.0f | %.3f | %.2f× | %.2f× |" % (
                       one, total / 1e6 / one, one_cpu, one / cat, one_cpu / cat_cpu),
                   "| check, %d jobs | %.3f | %.0f | %.3f | %.2f× | %.2f× |" % (
                       cores, every, total / 1e6 / every, every_cpu, every / cat, every_cpu / cat_cpu),
                   "| cat of the same bytes as one file | %.3f | %.0f | %.3f | %.2f× | %.2f× |" % (
                       floor, total / 1e6 / floor, floor_cpu, floor / cat, floor_cpu / cat_cpu),
                   "", "Speed-up from 1 to %d jobs: %.2f× (wall)." % (cores, one / every), ""]
    c_files = [f for root in (QT, LLVM, LLVM_C, ICU) for f in walk(root)]
    if not args.skip_clang:
        sample = c_files
        if args.clang_files:
            sample = sorted(random.Random(args.seed).sample(c_files, min(args.clang_files, len(c_files))))
        warnings, clang_wall, clang_cpu, clean = run_clang(sample, cores, os.path.join(out, "check-clang-cache.json"))
        clang_findings = {(f, l, classify(m), m) for f, l, m in warnings if classify(m)}
        ours, ours_cpu = best_of(3, [render, "check", "--jobs", str(cores), *sample])
        c_size = sum(os.path.getsize(f) for f in sample)
        report += ["## Against clang -fsyntax-only -Wdocumentation", "",
                   "%d C and C++ headers (%.1f MB), each one translation unit, %d jobs; %d of them compile "
                   "without errors on their own." % (len(sample), c_size / 1e6, cores, clean), "",
                   "| run | wall s | processor s |", "|---|---|---|",
                   "| clang | %.1f | %.1f |" % (clang_wall, clang_cpu), "| check | %.3f | %.3f |" % (ours, ours_cpu),
                   "", "check is %.0f× faster (wall), %.0f× (processor time)." % (clang_wall / ours,
                                                                                clang_cpu / ours_cpu), ""]
        both, missed, extra, theirs, mine = agreement(render, sample, clang_findings, cores, out)
        by_rule = collections.Counter(k[2] for k in theirs)
        found_by_rule = collections.Counter(k[2] for k in both)
        report += ["### Agreement", "",
                   "| rule | clang's findings | also found by check | check only |", "|---|---|---|---|"]
        for rule in ("param-unknown", "return-void"):
            report.append("| %s | %d | %d | %d |" % (rule, by_rule[rule], found_by_rule[rule],
                                                     sum(1 for k in extra if k[2] == rule)))
        report += ["", "The differences (with the #if lines around each in check-clang.jsonl):", ""]
        report += ["- clang only: %s:%d %s (%s)" % (k[0], k[1], k[2], theirs[k]) for k in missed]
        report += ["- check only: %s:%d %s (%s)" % (k[0], k[1], k[2], mine[k]["message"]) for k in extra]
        report.append("")
    if not args.skip_planted:
        planted_changes.seed = args.seed
        result = planted_changes(render, roots, out, args.planted, cores)
        planted = result["planted"]
        per = collections.Counter((p["language"], p["change"]) for p in planted)
        found = collections.Counter((p["language"], p["change"]) for p in result["found"])
        report += ["## Planted changes", "",
                   "%d documented declarations in copies of the tree's files, one parameter each renamed, "
                   "added or removed." % len(planted), "",
                   "| language | change | planted | reported |", "|---|---|---|---|"]
        for key in sorted(per):
            report.append("| %s | %s | %d | %d |" % (key[0], key[1], per[key], found[key]))
        report += ["", "- recall: %d of %d (%.1f %%)" % (len(result["found"]), len(planted),
                                                         100.0 * len(result["found"]) / max(1, len(planted))),
                   "- after --fix, still reported: %d, of which --fix said it would have to write the comment "
                   "anew: %d" % (len(result["remaining"]), sum(
                       1 for p in result["remaining"]
                       if "%s:%d: comment not fixed" % (p["file"], p["lines"][0]) in result["fix_err"])),
                   "- lines --fix changed at the planted comment (a removed parameter's description may "
                   "run over several lines): %s" % "; ".join(
                       "%s: %d line%s at %d" % (c, k, "" if k == 1 else "s", v)
                       for (c, k), v in sorted(result["diff_sizes"].items())),
                   "- lines --fix changed outside documentation comments: %d%s" % (
                       len(result["outside"]), " (%s)" % ", ".join(result["outside"][:10]) if result["outside"] else ""),
                   "- compiled before --fix: %d, after: %d; changed: %s" % (
                       result["compiled_before"], result["compiled_after"], result["compile_changed"] or "none"),
                   ""]
        if result["fix_err"]:
            report += ["--fix said:", "", "```", result["fix_err"].strip()[:4000], "```", ""]
    with open(os.path.join(out, "check-report.md"), "w") as f:
        f.write("\n".join(report))
    print("\n".join(report))


if __name__ == "__main__":
    main()
