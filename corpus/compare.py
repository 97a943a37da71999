#!/usr/bin/env python3
"""Measures `remarkist-render read` against the compilers' view of real declarations.

    compare.py --render PATH [--out DIR] [--files corpus/files.txt] [--jobs N]
    compare.py --self-check

Writes DIR/truth-LANGUAGE.jsonl (what the compilers say), DIR/report.md (per language: how many
declarations give the compiler's kind and parameter names, of those how many give the rule's
directions, Java's throws clauses, crashes; the same per category of declaration: functions,
fields, variables, enumerators, type aliases, macros, namespaces, modules, packages, annotation
types, function pointers; then the failing shapes with examples) and DIR/failures.jsonl.
Exit status 0 when every target is met, 1 otherwise.
"""

import argparse
import collections
import concurrent.futures
import fnmatch
import glob
import json
import os
import re
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import clang_truth  # noqa: E402
import gdc_truth  # noqa: E402

LANGUAGES = ["c", "cpp", "d", "java"]
NAMES = {"c": "C", "cpp": "C++", "d": "D", "java": "Java"}
# From openjdk-17-source; the JDK's own link to it needs the full JDK package.
JAVA_SOURCES = "/usr/lib/jvm/openjdk-17/lib/src.zip"
JAVA = "/usr/lib/jvm/default-java/bin/java"
TIMEOUT_SECONDS = 10
EXAMPLES_PER_SHAPE = 2


def tool_output(command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


def corpus_files(list_path):
    """{language: [path or archive entry]} from the list, patterns expanded."""
    files = collections.defaultdict(list)
    d_root = None
    java_entries = None
    with open(list_path) as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            language, pattern = line.split(None, 1)
            if language in ("c", "cpp"):
                found = sorted(glob.glob(pattern))
            elif language == "d":
                d_root = d_root or tool_output(["gdc", "-print-file-name=include/d"])
                found = sorted(glob.glob(os.path.join(d_root, pattern)))
            elif language == "java":
                if java_entries is None:
                    with zipfile.ZipFile(JAVA_SOURCES) as z:
                        java_entries = z.namelist()
                found = sorted(e for e in java_entries if same_folder_match(e, pattern))
            else:
                sys.exit("compare: %s: unknown language %r" % (list_path, language))
            if not found:
                sys.exit("compare: %s: nothing matches %s %s" % (list_path, language, pattern))
            files[language].extend(found)
    return files


def same_folder_match(path, pattern):
    """fnmatch where * and ? do not cross a slash."""
    parts, pattern_parts = path.split("/"), pattern.split("/")
    return len(parts) == len(pattern_parts) and all(fnmatch.fnmatchcase(p, q) for p, q in zip(parts, pattern_parts))


def ground_truth(language, files, out_dir):
    """Runs the language's extractor; returns the path of its JSONL."""
    out_path = os.path.join(out_dir, "truth-%s.jsonl" % language)
    if language in ("c", "cpp"):
        flags = ["-D_GNU_SOURCE"] if language == "c" else ["-fPIC"] + tool_output(["pkg-config", "--cflags", "Qt6Core"]).split()
        command = [sys.executable, os.path.join(HERE, "clang_truth.py"), "--language", language, "--tu-dir", out_dir]
        command += ["--flag=" + f for f in flags] + files
    elif language == "d":
        command = [sys.executable, os.path.join(HERE, "gdc_truth.py"), "--json-dir", out_dir] + files
    else:
        command = [JAVA, os.path.join(HERE, "JavaTruth.java"), JAVA_SOURCES] + files
    with open(out_path + ".tmp", "w") as out:
        subprocess.run(command, check=True, stdout=out)
    os.replace(out_path + ".tmp", out_path)
    return out_path


def read_jsonl(path):
    with open(path) as f:
        return [json.loads(line) for line in f if line.strip()]


def reader_present(render):
    run = subprocess.run([render, "read", "--language", "c"], input=b"int f(int a);\n", capture_output=True)
    return run.returncode == 0


class Sources:
    """Source files by the names the extractors give them, Java's inside the JDK's archive."""

    def __init__(self):
        self.lines_of = {}

    def lines(self, name):
        if name not in self.lines_of:
            if "!/" in name:
                archive, entry = name.split("!/", 1)
                with zipfile.ZipFile(archive) as z:
                    data = z.read(entry)
            else:
                with open(name, "rb") as f:
                    data = f.read()
            self.lines_of[name] = data.decode("utf-8", "replace").split("\n")
        return self.lines_of[name]


def comment_above(record, sources):
    """The comment lines right above a declaration (with blank lines between), or "". An editor
    sends a declaration with its comment as often as without."""
    lines = sources.lines(record["file"])
    first = record["line"] - 1
    if not 0 <= first < len(lines) or lines[first].strip() != record["text"].split("\n")[0].strip():
        return ""  # the declaration shares its first line with something else
    top = first
    while top > 0:
        above = lines[top - 1].strip()
        if not above or above.startswith("//"):
            top -= 1
        elif above.endswith(("*/", "+/")):
            opener = "/*" if above.endswith("*/") else "/+"
            k = top - 1
            while k >= 0 and opener not in lines[k]:
                k -= 1
            if k < 0 or not lines[k].strip().startswith(opener):
                break
            top = k
        else:
            break
    block = lines[top:first]
    while block and not block[0].strip():
        block.pop(0)
    return "\n".join(block) + "\n" if block else ""


def add_comments_above(truths):
    """Every second declaration that has a comment above it is read with that comment."""
    sources = Sources()
    for records in truths.values():
        for i, record in enumerate(records):
            comment = comment_above(record, sources) if i % 2 else ""
            record["comment_above"] = bool(comment)
            record["text"] = comment + record["text"]


def run_reader(render, record):
    """What the reader gives for one declaration: exit status, output and diagnostics."""
    command = [render, "read", "--language", record["language"]]
    try:
        run = subprocess.run(command, input=record["text"].encode("utf-8"), capture_output=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return {"status": "timeout", "stdout": "", "stderr": ""}
    return {
        "status": run.returncode,
        "stdout": run.stdout.decode("utf-8", "replace"),
        "stderr": run.stderr.decode("utf-8", "replace"),
    }


def crashed(result):
    if result["status"] not in (0, 1):
        return True
    return "Sanitizer" in result["stderr"] or "runtime error:" in result["stderr"]


def judge(record, result):
    """The outcome of one declaration: which checks pass, and the reader's answer."""
    got = None
    if result["status"] == 0:
        try:
            got = json.loads(result["stdout"])
        except ValueError:
            got = None
    outcome = {"crash": crashed(result), "read": got is not None}
    params = got.get("params", []) if got else []
    got_names = [p.get("name") for p in params]
    got_directions = [p.get("direction") for p in params]
    got_throws = [t.get("type") for t in got.get("throws", [])] if got else []
    outcome["got"] = {"kind": got.get("kind") if got else None, "names": got_names, "directions": got_directions, "throws": got_throws}
    outcome["kind_ok"] = bool(got) and got.get("kind") == record.get("kind", "function")
    outcome["names_ok"] = outcome["kind_ok"] and got_names == record["names"]
    outcome["directions_ok"] = outcome["names_ok"] and got_directions == record["directions"]
    expected_throws = record.get("throws", [])
    if record.get("comment_above"):
        # The exceptions the comment documents (@throws) join those of the clause.
        outcome["throws_ok"] = bool(got) and all(t in got_throws for t in expected_throws)
    else:
        outcome["throws_ok"] = bool(got) and got_throws == expected_throws
    return outcome


KEYWORDS = {
    "const", "volatile", "restrict", "unsigned", "signed", "char", "short", "int", "long", "float",
    "double", "void", "bool", "struct", "union", "enum", "class", "typename", "auto", "ref", "out",
    "in", "scope", "return", "lazy", "inout", "immutable", "shared", "...",
}


def type_shape(type_text):
    """A written type with its names replaced: "const QList<int> &" gives "const T<…> &"."""
    shape, depth = [], 0
    for t in clang_truth.tokenize(type_text):
        if t == "<":
            if depth == 0:
                shape.append("<…>")
            depth += 1
            continue
        if t == ">" and depth:
            depth -= 1
            continue
        if depth:
            continue
        if re.match(r"\w", t) and t not in KEYWORDS:
            t = "T"
        if t == "T" and len(shape) >= 2 and shape[-1] == "::" and shape[-2] in ("T", "T<…>"):
            shape.pop()
            continue
        shape.append(t)
    text = " ".join(shape).replace("T <…>", "T<…>")
    text = re.sub(r"([(\[])\s+", r"\1", text)
    return re.sub(r"\s+([)\]])", r"\1", text).replace(" :: ", "::")


# What stands out in a declaration the reader could not read; the first that matches names its
# group: (languages, label, pattern).
TEXT_FEATURES = [
    ("d", "pragma(...) before it", r"^\s*pragma\s*\("),
    ("d", "package(x) protection", r"^\s*package\s*\("),
    ("d", "package protection", r"^\s*package\b"),
    ("d", "a template instance X!(...) or X!Y as return type", r"^\s*(?:[@\w]+\s+)*\.?\w+\s*!\s*[\w(\"]"),
    ("d", "storage classes before a C-style ...", r"\b(?:scope|const)\s+\.\.\.\s*\)"),
    ("d", "a comma after the last parameter", r",\s*\)"),
    ("d", "a contract before the body", r"\)\s*(?:in|out)\b"),
    ("c cpp", "preprocessor lines inside", r"(?m)^\s*#"),
    ("cpp", "a reference or pointer to an array, T (&a)[N]", r"\(\s*[&*]\s*\w+\s*\)\s*\["),
    ("c cpp", "a function pointer parameter", r"\(\s*\*\s*\w*\s*\)\s*\("),
    ("cpp", "a template head", r"^\s*template\s*<"),
    ("cpp", "an operator", r"\boperator\b"),
    ("java", "a name that is a C++ keyword", r"\b(?:delete|new|template|operator|union|struct|auto|register|typename|friend|virtual)\s*\("),
    ("java", "an annotation with arguments", r"@\w+\s*\("),
    ("java", "a generic method", r"^\s*(?:@\w+\s+)*(?:\w+\s+)*<"),
]


def text_feature(record):
    for languages, label, pattern in TEXT_FEATURES:
        if record["language"] in languages.split() and re.search(pattern, record["text"]):
            return label
    return "other"


def failure_shape(record, outcome, result):
    """The group a failing declaration belongs to, for the report."""
    if outcome["crash"]:
        return "crash (exit %s): %s" % (result["status"], text_feature(record))
    if not outcome["read"]:
        return "not read: %s" % text_feature(record)
    if not outcome["kind_ok"]:
        return "kind %r instead of %s (%s): %s" % (outcome["got"]["kind"], record.get("kind", "function"), category(record), text_feature(record))
    expected, got = record["names"], outcome["got"]["names"]
    if expected != got:
        for i, name in enumerate(expected):
            if i >= len(got):
                return "names: parameter missing, of type %s" % type_shape(record["types"][i])
            if got[i] != name:
                return "names: wrong name for type %s" % type_shape(record["types"][i])
        return "names: extra parameter read"
    if not outcome["directions_ok"]:
        for i, direction in enumerate(record["directions"]):
            if outcome["got"]["directions"][i] != direction:
                return "direction: %s for %s" % (outcome["got"]["directions"][i], type_shape(record["types"][i]))
    return "throws differ"


def category(record):
    return record.get("category", "function")


def failed(record, outcome):
    return (
        outcome["crash"]
        or not outcome["names_ok"]
        or not outcome["directions_ok"]
        or not outcome["kind_ok"]
        or (record["language"] == "java" and not outcome["throws_ok"])
    )


def percent(part, whole):
    return 100.0 * part / whole if whole else 100.0


def summarize(language, records, outcomes, label=None):
    total = len(records)
    names_ok = sum(o["names_ok"] for o in outcomes)
    summary = {
        "language": language,
        "label": label or NAMES[language],
        "declarations": total,
        "files": len({r["file"] for r in records}),
        "names": percent(names_ok, total),
        "directions": percent(sum(o["directions_ok"] for o in outcomes), names_ok),
        "kind": percent(sum(o["kind_ok"] for o in outcomes), total),
        "throws": percent(sum(o["throws_ok"] for o in outcomes), total) if language == "java" else None,
        "crashes": sum(o["crash"] for o in outcomes),
        "commented": sum(r["comment_above"] for r in records),
        "commented_names": percent(sum(o["names_ok"] for r, o in zip(records, outcomes) if r["comment_above"]), sum(r["comment_above"] for r in records)),
    }
    summary["met"] = (
        summary["names"] >= 99.0
        and summary["directions"] == 100.0
        and summary["crashes"] == 0
        and (summary["throws"] is None or summary["throws"] == 100.0)
    )
    return summary


def summary_table(summaries, first_column="language"):
    lines = [
        "| %s | files | declarations | kind and names exact | directions (of those) | kind exact | throws exact | crashes | targets | read with the comment above: count, names exact |" % first_column,
        "|---|---:|---:|---:|---:|---:|---:|---:|---|---:|",
    ]
    for s in summaries:
        throws = "%.2f %%" % s["throws"] if s["throws"] is not None else "–"
        lines.append(
            "| %s | %d | %d | %.2f %% | %.2f %% | %.2f %% | %s | %d | %s | %d, %.2f %% |"
            % (s["label"], s["files"], s["declarations"], s["names"], s["directions"], s["kind"], throws, s["crashes"], "met" if s["met"] else "missed", s["commented"], s["commented_names"])
        )
    return "\n".join(lines)


def fenced(text, limit=1200):
    if len(text) > limit:
        text = text[:limit] + "\n…"
    return "```\n" + text.replace("```", "`\u200b``") + "\n```"


def write_report(out_dir, summaries, by_category, failures):
    lines = ["# The declaration reader against the compilers", ""]
    lines += [summary_table(summaries), ""]
    lines += ["Per category of declaration:", "", summary_table(by_category, "language: category"), ""]
    lines += [
        "Targets: at least 99 % of declarations give the compiler's kind and parameter names, all of those the",
        "rule's directions, every Java throws clause exactly, no crash. Every second declaration with a",
        "comment above it is read with that comment; there the exceptions the comment documents may join",
        "those of the throws clause. All failures are in failures.jsonl.",
        "",
    ]
    for language in LANGUAGES:
        mine = [f for f in failures if f["language"] == language]
        if not mine:
            continue
        lines += ["## %s: %d failing declarations" % (NAMES[language], len(mine)), ""]
        groups = collections.defaultdict(list)
        for f in mine:
            groups[f["shape"]].append(f)
        for shape, members in sorted(groups.items(), key=lambda kv: (-len(kv[1]), kv[0])):
            lines += ["### %s (%d)" % (shape, len(members)), ""]
            for f in members[:EXAMPLES_PER_SHAPE]:
                lines.append("%s:%d" % (f["file"], f["line"]))
                lines.append(fenced(f["text"]))
                lines.append("- expected names %s, directions %s%s" % (json.dumps(f["expected"]["names"]), json.dumps(f["expected"]["directions"]), throws_text(f["expected"])))
                if f["got"]["kind"] is None:
                    lines.append("- got exit %s: %s" % (f["status"], f["stderr"].strip()[:300]))
                elif f["stderr"].strip():
                    lines.append("- stderr: %s" % f["stderr"].strip()[:300])
                else:
                    lines.append("- got kind %s, names %s, directions %s%s" % (f["got"]["kind"], json.dumps(f["got"]["names"]), json.dumps(f["got"]["directions"]), throws_text(f["got"])))
                lines.append("")
    with open(os.path.join(out_dir, "report.md"), "w") as out:
        out.write("\n".join(lines) + "\n")
    with open(os.path.join(out_dir, "failures.jsonl"), "w") as out:
        for f in failures:
            out.write(json.dumps(f) + "\n")


def throws_text(answer):
    return ", throws %s" % json.dumps(answer["throws"]) if answer.get("throws") else ""


def measure(render, truths, jobs):
    summaries, by_category, failures = [], [], []
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for language in LANGUAGES:
            records = truths.get(language, [])
            if not records:
                continue
            results = list(pool.map(lambda r: run_reader(render, r), records))
            outcomes = [judge(r, res) for r, res in zip(records, results)]
            summaries.append(summarize(language, records, outcomes))
            for name in sorted({category(r) for r in records}, key=lambda c: (c != "function", c)):
                pairs = [(r, o) for r, o in zip(records, outcomes) if category(r) == name]
                by_category.append(summarize(language, [r for r, _ in pairs], [o for _, o in pairs], "%s: %s" % (NAMES[language], name)))
            for record, outcome, result in zip(records, outcomes, results):
                if failed(record, outcome):
                    failures.append(
                        {
                            "language": language,
                            "file": record["file"],
                            "line": record["line"],
                            "comment_above": record["comment_above"],
                            "category": category(record),
                            "shape": failure_shape(record, outcome, result),
                            "text": record["text"],
                            "expected": {"names": record["names"], "directions": record["directions"], "types": record["types"], "throws": record.get("throws", [])},
                            "got": outcome["got"],
                            "status": result["status"],
                            "stderr": result["stderr"],
                        }
                    )
    return summaries, by_category, failures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--render", help="the remarkist-render to measure")
    ap.add_argument("--out", default="build/corpus")
    ap.add_argument("--files", default=os.path.join(HERE, "files.txt"))
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--self-check", action="store_true", help="check the ground truth on small files with known answers")
    args = ap.parse_args()
    if args.self_check:
        import self_check

        sys.exit(self_check.main(args.out))
    if not args.render:
        ap.error("--render is required")
    os.makedirs(args.out, exist_ok=True)
    files = corpus_files(args.files)
    truths = {}
    for language in LANGUAGES:
        path = ground_truth(language, files[language], args.out)
        truths[language] = read_jsonl(path)
        print("compare: %s: %d declarations from %d files -> %s" % (NAMES[language], len(truths[language]), len(files[language]), path))
    if not reader_present(args.render):
        print("compare: %s has no working `read` command yet: ground truth written, nothing measured" % args.render)
        return 1
    add_comments_above(truths)
    summaries, by_category, failures = measure(args.render, truths, args.jobs)
    write_report(args.out, summaries, by_category, failures)
    print(summary_table(summaries))
    print(summary_table(by_category, "language: category"))
    print("compare: report in %s, failures in %s" % (os.path.join(args.out, "report.md"), os.path.join(args.out, "failures.jsonl")))
    return 0 if all(s["met"] for s in summaries) else 1


if __name__ == "__main__":
    sys.exit(main())
