#!/usr/bin/env python3
"""Comments Remarkist writes for real declarations, checked by each language's own tools.

For every language and every cell of framing x syntax x spacing x boxes, set once for all
languages and once as the language's own choice (all languages then hold other settings), and for
the first-start settings (no setting.dat), `remarkist-render edit` documents the declarations of a
small source file. The cells' files are joined into one file per language, which must compile and
leave the language's documentation checker silent:

  C, C++  clang -fsyntax-only -Wdocumentation -Wdocumentation-unknown-command; Doxygen's XML names
          every parameter with its direction
  Java    javac; javadoc -Xdoclint:all,-missing
  D       gdc -fsyntax-only -fdoc -Wall

Each message is charged to the cell whose lines it names. Prints one line per language and cell
kind, and every message; exits 1 when a cell fails, 77 when a tool is missing.

    matrix.py --render PATH [--sample N] [--keep DIR]
"""

import argparse
import concurrent.futures
import itertools
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# Each language's source: declarations with an old comment that gives the descriptions, so that
# what comes out is a finished comment. {N} makes the names of one cell its own; the line that
# holds "@@" is a declaration for edit to document. The expected directions are those Doxygen must
# read.
SOURCES = {
    "c": (
        ".c",
        "#include <stddef.h>\n",
        """
/**
 * Old.
 *
 * Copies at most n bytes.
 *
 * @note The target is not terminated.
 * @param[inout] to the target
 * @param[in] from the source
 * @param[in] n how many bytes at most
 * @param[out] written the bytes copied
 * @retval 0 success
 * @retval -1 the target is too small
 */
int copy_{N}(char *to, const char *from, size_t n, int *written); /* @@ */

/**
 * Old.
 *
 * @note Owned by its creator.
 */
struct buffer_{N} { /* @@ */
    char *data;
    size_t size;
};
""",
        {"copy_{N}": {"to": "inout", "from": "in", "n": "in", "written": "out"}},
    ),
    "cpp": (
        ".cpp",
        "#include <cstddef>\n#include <stdexcept>\n#include <string>\n",
        """
namespace cell_{N} {

/**
 * Old.
 *
 * Reads numbers.
 */
class Parser { /* @@ */
public:
    /**
     * Old.
     *
     * @param[in] text the text to read
     * @param[out] end where reading stopped
     * @param[in] base the radix
     * @return the value read
     * @throw std::invalid_argument the text holds no number
     */
    long parse(const std::string &text, std::size_t &end, int base = 10) const; // @@
};

/**
 * Old.
 *
 * @note Slow on large inputs.
 * @param[inout] to the target
 * @param[in] from the source
 * @param[in] n how many bytes at most
 * @retval 0 success
 * @retval -1 the target is too small
 */
int copy(char *to, const char *from, std::size_t n); // @@

} // namespace cell_{N}
""",
        {"parse": {"text": "in", "end": "out", "base": "in"}, "copy": {"to": "inout", "from": "in", "n": "in"}},
    ),
    "java": (
        ".java",
        "package cells;\n\nimport java.io.IOException;\n\npublic class Cells {\n",
        """
    /**
     * Old.
     *
     * Reads from a stream.
     *
     * @note Not thread-safe.
     */
    public static class Reader{N} { // @@
        /**
         * Old.
         *
         * @param buffer where the bytes go
         * @param offset where in the buffer to start
         * @retval -1 the end of the stream
         * @retval 0 nothing was read
         * @throws IOException the stream failed
         */
        public int read(byte[] buffer, int offset) throws IOException { // @@
            return 0;
        }

        /**
         * Old.
         *
         * @return how many bytes can be read
         *         without blocking
         */
        public int available() { // @@
            return 0;
        }
    }
""",
        {},
    ),
    "d": (
        ".d",
        "module cells;\n",
        """
/**
 * Old.
 *
 * Copies at most n bytes.
 *
 * @note The target grows as needed.
 * @param[in] from the source
 * @param[inout] to the target
 * @param[out] written the bytes copied
 * @retval 0 success
 * @retval -1 the source was empty
 * @throw Exception the target cannot grow
 */
int copy{N}(const(char)[] from, ref char[] to, out size_t written) { // @@
    written = 0;
    return 0;
}

/**
 * Old.
 *
 * Reads numbers.
 */
class Parser{N} { // @@
    /**
     * Old.
     *
     * @param text the text to read
     * @param end where reading stopped
     * @return the value read
     */
    long parse(string text, ref size_t end) { // @@
        return 0;
    }
}
""",
        {},
    ),
}
TAILS = {"java": "}\n"}

FRAMINGS = {0: "/**", 1: "///", 2: "/++"}
SYNTAXES = {0: "\\cmd", 1: "@cmd", 2: "DDoc"}
SPACINGS = {0: "tab", 1: "space", 2: "tab+space"}
BOXES = {(False, False): "no box", (True, False): "head", (False, True): "foot", (True, True): "head+foot"}
DATE_FORMAT = "%Y4%/%M2%/%D2%(%W[日,月,火,水,木,金,土]%)[%H2%:%MI2%:%S2%]"


def setting_file(root):
    """setting.dat bytes for a tree of branches (dicts) and leaves (strings)."""

    def text(s):
        b = s.encode()
        return struct.pack("<Q", len(b)) + b

    def node(value):
        if isinstance(value, dict):
            return b"\x01" + struct.pack("<Q", len(value)) + b"".join(text(k) + node(v) for k, v in value.items())
        return b"\x02" + text(value) if value else b"\x00"

    return bytes([0xAF, 0x34, 0x00, 0x12, 0x00, 0x99, 0x16, 0xFF, 0]) + node(root)


def stored(comment, syntax, spacing, head, foot):
    return {
        "CommentStyle": ["/**_*/", "///_", "/++_+/"][comment],
        "DocumentStyle": ["\\", "@", "DDoc"][syntax],
        "SpacingStyle": ["Tab", "Space", "TabSpace"][spacing],
        "SpacingSize": "4",
        "BoxingHeadStyle": "true" if head else "false",
        "BoxingFootStyle": "true" if foot else "false",
        "BoxingSize": "60",
    }


class Cell:
    def __init__(self, kind, combo=None):
        self.kind = kind  # "first start", "all languages", "own choice"
        self.combo = combo
        self.messages = []
        self.compiled = True

    def name(self):
        if not self.combo:
            return self.kind
        comment, syntax, spacing, head, foot = self.combo
        return "%s, %s %s %s %s" % (
            self.kind, FRAMINGS[comment], SYNTAXES[syntax], SPACINGS[spacing], BOXES[(head, foot)])


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def write_settings(cell, language, path, render):
    """The cell's settings in setting.dat at path; none for the first start."""
    if cell.kind == "first start":
        return None
    comment, syntax, spacing, head, foot = cell.combo
    if cell.kind == "all languages":
        root = stored(comment, syntax, spacing, head, foot)
    else:
        # All languages hold something else in every setting; the language chooses the cell.
        root = stored((comment + 1) % 3, (syntax + 2) % 3, (spacing + 1) % 3, not head, not foot)
    root.update({"DateFormat": DATE_FORMAT, "Copyright": "", "Author": ""})
    with open(path, "wb") as f:
        f.write(setting_file(root))
    if cell.kind == "own choice":
        sets = []
        for key, value in (("CommentStyle", comment), ("DocumentStyle", syntax), ("SpacingStyle", spacing),
                           ("BoxingHeadStyle", "true" if head else "false"),
                           ("BoxingFootStyle", "true" if foot else "false"), ("BoxingSize", 60)):
            sets += ["--set", "%s=%s" % (key, value)]
        done = run([render, "settings", "--settings", path, "--language", language] + sets)
        if done.returncode != 0:
            raise RuntimeError("settings --set failed: " + done.stderr)
    return path


def document(render, language, text, settings):
    """text with every declaration marked "@@" documented by edit, from the last one up."""
    lines = text.split("\n")
    marked = [i + 1 for i, line in enumerate(lines) if "@@" in line]
    for line in reversed(marked):
        args = [render, "edit", "--language", language, "--line", str(line), "--summary", "Does its work."]
        if settings:
            args += ["--settings", settings]
        done = run(args, input="\n".join(lines))
        if done.returncode != 0:
            raise RuntimeError("edit failed at line %d: %s" % (line, done.stderr))
        answer = json.loads(done.stdout)
        new = answer["text"].split("\n")[:-1]
        lines[answer["first"] - 1:answer["last"]] = new
    return "\n".join(lines)


def cells(sample):
    if not sample:
        combos = list(itertools.product(range(3), range(3), range(3), (False, True), (False, True)))
        return ([Cell("first start")] + [Cell("all languages", c) for c in combos] +
                [Cell("own choice", c) for c in combos])
    # Cells that between them take every framing, syntax, spacing and box on both sides of the
    # choice: with 3, (0,0,0), (1,1,1), (2,2,2) for all languages and (0,1,2), (1,2,0), (2,0,1)
    # as the language's own.
    same = [(k % 3, k % 3, k % 3, k % 2 == 1, k // 2 % 2 == 1) for k in range(sample)]
    shifted = [(k % 3, (k + 1) % 3, (k + 2) % 3, k % 2 == 0, (k + 1) // 2 % 2 == 0) for k in range(sample)]
    return [Cell("first start")] + [Cell("all languages", c) for c in same] + [Cell("own choice", c) for c in shifted]


def charge(cells_with_lines, line, message):
    for first, last, cell in cells_with_lines:
        if first <= line <= last:
            cell.messages.append(message)
            return cell
    return None


def check_c_family(language, path, spans, tools, work):
    lang = "c" if language == "c" else "c++"
    args = [tools["clang"], "-fsyntax-only", "-x", lang, "-Wdocumentation", "-Wdocumentation-unknown-command",
            "-fno-color-diagnostics", "-ferror-limit=0", path]
    if language == "cpp":
        args.insert(2, "-std=c++17")
    done = run(args)
    for m in re.finditer(r"^.*?:(\d+):\d+: (error|warning): (.*)$", done.stderr, re.M):
        cell = charge(spans, int(m.group(1)), m.group(0))
        if cell and m.group(2) == "error":
            cell.compiled = False
    check_doxygen(language, path, spans, tools, work)


def check_doxygen(language, path, spans, tools, work):
    out = os.path.join(work, "doxygen-" + language)
    with open(os.path.join(work, "Doxyfile-" + language), "w") as f:
        f.write("INPUT = %s\nOUTPUT_DIRECTORY = %s\nGENERATE_HTML = NO\nGENERATE_LATEX = NO\n"
                "GENERATE_XML = YES\nQUIET = YES\nWARNINGS = NO\nJAVADOC_BANNER = YES\nEXTRACT_ALL = YES\n"
                % (path, out))
    done = run([tools["doxygen"], os.path.join(work, "Doxyfile-" + language)])
    if done.returncode != 0:
        raise RuntimeError("doxygen failed: " + done.stderr)
    expected = SOURCES[language][3]
    seen = {}
    for name in os.listdir(os.path.join(out, "xml")):
        if not name.endswith(".xml") or name == "index.xml":
            continue
        for member in ET.parse(os.path.join(out, "xml", name)).iter("memberdef"):
            if member.get("kind") != "function":
                continue
            line = int(member.find("location").get("line"))
            plain = re.sub(r"_?\d+$", "", member.findtext("name"))
            for key, params in expected.items():
                if key.replace("_{N}", "") != plain:
                    continue
                read = {}
                for item in member.iter("parametername"):
                    read[item.text] = item.get("direction")
                seen[line] = True
                for param, direction in params.items():
                    if read.get(param) != direction:
                        charge(spans, line, "%s:%d: doxygen: %s reads parameter %s with direction %s, not %s"
                               % (path, line, plain, param, read.get(param), direction))
    for first, last, cell in spans:
        if not any(first <= line <= last for line in seen):
            cell.messages.append("doxygen: no documented function found in lines %d-%d" % (first, last))


def check_java(path, spans, tools, work):
    classes = os.path.join(work, "classes")
    # Every message counts, not only the first hundred.
    done = run([tools["javac"], "-Xmaxerrs", "100000", "-Xmaxwarns", "100000", "-d", classes, path])
    for m in re.finditer(r"^.*?:(\d+): (error|warning): (.*)$", done.stderr, re.M):
        cell = charge(spans, int(m.group(1)), m.group(0))
        if cell and m.group(2) == "error":
            cell.compiled = False
    done = run([tools["javadoc"], "-Xdoclint:all,-missing", "-Xmaxerrs", "100000", "-Xmaxwarns", "100000", "-quiet",
                "-d", os.path.join(work, "javadoc"), path])
    for m in re.finditer(r"^.*?:(\d+): (error|warning): (.*)$", done.stderr, re.M):
        charge(spans, int(m.group(1)), m.group(0))


def check_d(path, spans, tools, work):
    done = run([tools["gdc"], "-fsyntax-only", "-fdoc", "-fdoc-dir=" + os.path.join(work, "ddoc"), "-Wall",
                "-fdiagnostics-color=never", path])
    for m in re.finditer(r"^.*?:(\d+):\d+: (error|warning): (.*)$", done.stderr, re.M):
        cell = charge(spans, int(m.group(1)), m.group(0))
        if cell and m.group(2) == "error":
            cell.compiled = False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--render", required=True)
    parser.add_argument("--sample", type=int, default=0, help="cells per side of the choice (0: all)")
    parser.add_argument("--keep", help="leave the generated files in this folder")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    options = parser.parse_args()

    tools = {name: shutil.which(name) for name in ("clang", "doxygen", "javac", "javadoc", "gdc")}
    missing = [name for name, path in tools.items() if not path]
    if missing:
        print("checkers: skipped, missing " + ", ".join(missing))
        return 77

    work = options.keep or tempfile.mkdtemp(prefix="remarkist-checkers.")
    os.makedirs(work, exist_ok=True)
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")  # a first start: no setting.dat
    failed = 0
    try:
        for language, (suffix, head, body, _) in SOURCES.items():
            grid = cells(options.sample)

            def one(index):
                cell = grid[index]
                settings = write_settings(cell, language, os.path.join(work, "%s-%d.dat" % (language, index)),
                                          options.render)
                text = document(options.render, language, body.replace("{N}", str(index)), settings)
                return text

            with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
                texts = list(pool.map(one, range(len(grid))))
            source, spans = head, []
            for cell, text in zip(grid, texts):
                first = source.count("\n") + 1
                source += text
                spans.append((first, source.count("\n") + 1, cell))
            source += TAILS.get(language, "")
            path = os.path.join(work, ("Cells" if language == "java" else "cells") + suffix)
            with open(path, "w") as f:
                f.write(source)

            if language in ("c", "cpp"):
                check_c_family(language, path, spans, tools, work)
            elif language == "java":
                check_java(path, spans, tools, work)
            else:
                check_d(path, spans, tools, work)

            for kind in ("first start", "all languages", "own choice"):
                group = [cell for cell in grid if cell.kind == kind]
                compiled = sum(cell.compiled for cell in group)
                messages = sum(len(cell.messages) for cell in group)
                print("%-5s %-14s %3d cells  compiled %5.1f %%  checker messages %d"
                      % (language, kind, len(group), 100.0 * compiled / len(group), messages))
            for cell in grid:
                if cell.messages or not cell.compiled:
                    failed += 1
                    print("  FAIL %s %s" % (language, cell.name()))
                    for message in cell.messages:
                        print("    " + message)
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (sum(len(cells(options.sample)) for _ in SOURCES) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
