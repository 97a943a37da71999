#!/usr/bin/env python3
"""Measures `remarkist-render edit` on real hand-written documentation comments.

    comments.py --render PATH [--out DIR] [--jobs N] [--per-language N] [--per-file N]
                [--language L]... [--limit N]

Finds doc comments (/**, /*!, ///, //!, /++) that stand directly above a declaration in sources
Debian ships (glibc, SQLite, clang's intrinsic headers and the kernel's UAPI headers for C;
libstdc++ and QtCore for C++; Phobos and druntime for D; java.base for Java). Each pair that
`read` accepts becomes a small buffer, on which it checks:

- words: every word of the comment is still there after `edit` and after `edit --restyle`,
  except the lines of a parameter the declaration does not have (named in "dropped");
- idempotence: `edit` on its own output returns the same lines, with and without --restyle;
- planted changes: after one `edit` (the baseline), a parameter renamed, added or removed in the
  declaration changes only the lines that change requires;
- crashes: an exit status other than 0 and 1, a sanitizer report, or a timeout.

Writes DIR/comments.md and DIR/comments-failures.jsonl (every failure with its buffer and the
outputs) and prints the failures grouped by shape. Exit status 0 when every target is met.
"""

import argparse
import collections
import concurrent.futures
import difflib
import fnmatch
import glob
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import zipfile
import zlib

LANGUAGES = ["c", "cpp", "d", "java"]
NAMES = {"c": "C", "cpp": "C++", "d": "D", "java": "Java"}
JAVA_SOURCES = "/usr/lib/jvm/openjdk-17/lib/src.zip"
TIMEOUT_SECONDS = 10
EXAMPLES_PER_SHAPE = 3
DECLARATION_LINES = 60  # a declaration longer than this is cut there (read then rejects it)
BODY_LINES = 40  # a body that closes within this many lines is kept, otherwise cut to "{ }"

# (language, pattern): "package:NAME" for the headers a Debian package installs, C and C++ paths,
# D paths relative to gdc's import folder, Java entries of src.zip. glibc and SQLite hold few doc
# comments of their own, so C takes clang's intrinsic headers (`///` with \param) and the kernel's
# UAPI headers (kernel-doc) too, and C++ takes libstdc++ beside QtCore (Qt documents in its .cpp
# files); all come with the packages `./dev corpus` installs.
SOURCES = [
    ("c", "package:libc6-dev"),
    ("c", "package:libsqlite3-dev"),
    ("c", "/usr/lib/llvm-14/lib/clang/14.0.6/include/*.h"),
    ("c", "package:linux-libc-dev"),
    ("cpp", "package:libstdc++-12-dev"),
    ("cpp", "/usr/include/x86_64-linux-gnu/qt6/QtCore/*.h"),
    ("d", "std/*.d"),
    ("d", "std/*/*.d"),
    ("d", "core/*.d"),
    ("d", "core/stdc/*.d"),
    ("d", "core/sync/*.d"),
    ("d", "core/internal/*.d"),
    ("d", "etc/c/*.d"),
    ("java", "java.base/java/lang/*.java"),
    ("java", "java.base/java/lang/*/*.java"),
    ("java", "java.base/java/util/*.java"),
    ("java", "java.base/java/util/*/*.java"),
    ("java", "java.base/java/io/*.java"),
    ("java", "java.base/java/nio/*.java"),
    ("java", "java.base/java/nio/*/*.java"),
    ("java", "java.base/java/net/*.java"),
    ("java", "java.base/java/time/*.java"),
    ("java", "java.base/java/time/*/*.java"),
    ("java", "java.base/java/math/*.java"),
    ("java", "java.base/java/text/*.java"),
]


# ---------------------------------------------------------------------------------------------
# Finding pairs


def source_texts(languages):
    """Yields (language, name, text) for every source file of the chosen languages."""
    d_root = None
    archive = None
    for language, pattern in SOURCES:
        if language not in languages:
            continue
        if pattern.startswith("package:"):
            listed = subprocess.run(["dpkg", "-L", pattern[len("package:"):]], capture_output=True, text=True,
                                    check=True).stdout.split("\n")
            paths = [p for p in listed if p.startswith("/usr/include/") and os.path.isfile(p)
                     and not os.path.islink(p) and (language == "cpp" or p.endswith(".h"))]
            for path in sorted(paths):
                with open(path, "rb") as f:
                    yield language, path, f.read().decode("utf-8", "replace")
        elif language in ("c", "cpp"):
            for path in sorted(glob.glob(pattern)):
                if os.path.isfile(path):
                    with open(path, "rb") as f:
                        yield language, path, f.read().decode("utf-8", "replace")
        elif language == "d":
            if d_root is None:
                d_root = subprocess.run(["gdc", "-print-file-name=include/d"], capture_output=True,
                                        text=True, check=True).stdout.strip()
            for path in sorted(glob.glob(os.path.join(d_root, pattern))):
                with open(path, "rb") as f:
                    yield language, path, f.read().decode("utf-8", "replace")
        else:
            if archive is None:
                archive = zipfile.ZipFile(JAVA_SOURCES)
                entries = archive.namelist()
            parts = pattern.split("/")
            for entry in sorted(entries):
                names = entry.split("/")
                if len(names) == len(parts) and all(fnmatch.fnmatchcase(n, p) for n, p in zip(names, parts)):
                    yield language, JAVA_SOURCES + "!/" + entry, archive.read(entry).decode("utf-8", "replace")


SPECIAL = re.compile(r"[\"'/`]")


def skip_string(text, i, language):
    """Index after the string or character literal that starts at i."""
    quote = text[i]
    if language == "java" and text.startswith('"""', i):
        end = text.find('"""', i + 3)
        return len(text) if end < 0 else end + 3
    if quote == "`":  # D's wysiwyg string
        end = text.find("`", i + 1)
        return len(text) if end < 0 else end + 1
    if quote == "'" and language in ("c", "cpp") and i > 0 and text[i - 1].isalnum():
        return i + 1  # a digit separator, 1'000
    j = i + 1
    while j < len(text):
        c = text[j]
        if c == "\\":
            j += 2
            continue
        if c == quote:
            return j + 1
        if c == "\n" and quote == "'":
            return j  # an apostrophe in a macro or a stray one: not a literal
        j += 1
    return len(text)


def skip_nested(text, i):
    """Index after the D /+ +/ comment that starts at i."""
    depth, j = 0, i
    while j < len(text):
        if text.startswith("/+", j):
            depth += 1
            j += 2
        elif text.startswith("+/", j):
            depth -= 1
            j += 2
            if depth == 0:
                return j
        else:
            j += 1
    return len(text)


def doc_comments(text, language):
    """Yields (start, end) offsets of the doc comments that begin a line; `///` and `//!` runs
    are one comment."""
    i = 0
    n = len(text)
    while True:
        m = SPECIAL.search(text, i)
        if not m:
            return
        i = m.start()
        c = text[i]
        if c in "\"'" or (c == "`" and language == "d"):
            i = skip_string(text, i, language)
            continue
        if c == "`":
            i += 1
            continue
        nxt = text[i + 1:i + 2]
        line_start = text.rfind("\n", 0, i) + 1
        at_line_start = not text[line_start:i].strip()
        if nxt == "/":
            end = text.find("\n", i)
            end = n if end < 0 else end
            opener = text[i:i + 3]
            if at_line_start and opener in ("///", "//!") and text[i + 3:i + 4] not in ("/", "<"):
                # the run: following lines that are the same kind of comment
                while end < n:
                    following = text.find("\n", end + 1)
                    following = n if following < 0 else following
                    line = text[end + 1:following].lstrip()
                    if line.startswith(opener) and line[3:4] not in ("/", "<"):
                        end = following
                    else:
                        break
                yield i, end
            i = end
            continue
        if nxt == "*":
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            opener = text[i:i + 3]
            if at_line_start and opener in ("/**", "/*!") and text[i + 3:i + 4] not in ("*", "/", "<"):
                yield i, end
            i = end
            continue
        if nxt == "+" and language == "d":
            end = skip_nested(text, i)
            if at_line_start and text[i:i + 3] == "/++" and text[i + 3:i + 4] not in ("+", "/", "<"):
                yield i, end
            i = end
            continue
        i += 1


def declaration_end(text, start, language):
    """(end offset, cut): where the declaration that starts at `start` ends, and whether its
    body was cut. Ends at `;` or a closing body at bracket depth 0, at a `,` or `}` that closes
    an enclosing list (an enum member), or after DECLARATION_LINES lines."""
    if text[start:start + 1] == "#":  # a macro, with its continuation lines
        j = start
        while True:
            end = text.find("\n", j)
            if end < 0:
                return len(text), False
            if not text[j:end].rstrip().endswith("\\"):
                return end, False
            j = end + 1
    depth = 0
    i = start
    seen_paren = seen_angle = False
    limit_line = text.count("\n", 0, start) + DECLARATION_LINES
    line_count = text.count("\n", 0, start)
    while i < len(text):
        c = text[i]
        if c == "\n":
            line_count += 1
            if line_count >= limit_line:
                return i, False
            i += 1
            continue
        if c in "\"'" or (c == "`" and language == "d"):
            i = skip_string(text, i, language)
            continue
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = len(text) if end < 0 else end
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = len(text) if end < 0 else end + 2
            continue
        if language == "d" and text.startswith("/+", i):
            i = skip_nested(text, i)
            continue
        if c in "([":
            depth += 1
            seen_paren = seen_paren or c == "("
        elif c in ")]":
            depth -= 1
        elif c == "<":
            seen_angle = True
        elif depth == 0 and c == ";":
            return i + 1, False
        elif depth == 0 and c == "}":
            return i, False  # the end of the enclosing enum or class
        elif depth == 0 and c == "," and not seen_paren and not seen_angle:
            return i + 1, False
        elif depth == 0 and c == "{":
            return body_end(text, i, language)
        i += 1
    return len(text), False


def body_end(text, i, language):
    """The end of the body that opens at i, or (i + 1, True) when it is too long to keep."""
    depth = 0
    last_line = text.count("\n", 0, i) + BODY_LINES
    line = text.count("\n", 0, i)
    j = i
    while j < len(text):
        c = text[j]
        if c == "\n":
            line += 1
            if line > last_line:
                break
        elif c in "\"'" or (c == "`" and language == "d"):
            j = skip_string(text, j, language)
            continue
        elif text.startswith("//", j):
            end = text.find("\n", j)
            j = len(text) if end < 0 else end
            continue
        elif text.startswith("/*", j):
            end = text.find("*/", j + 2)
            j = len(text) if end < 0 else end + 2
            continue
        elif language == "d" and text.startswith("/+", j):
            j = skip_nested(text, j)
            continue
        elif c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                return j + 1, False
        j += 1
    return i + 1, True


def find_pairs(language, name, text):
    """Yields candidate pairs {language, file, line, comment, declaration} of one file."""
    for start, end in doc_comments(text, language):
        line_start = text.rfind("\n", 0, start) + 1
        rest_end = text.find("\n", end)
        rest_end = len(text) if rest_end < 0 else rest_end
        if text[end:rest_end].strip():
            continue  # code after the comment on its line: not a comment above a declaration
        if rest_end >= len(text):
            continue
        decl_start_line = rest_end + 1
        decl_line_end = text.find("\n", decl_start_line)
        decl_line_end = len(text) if decl_line_end < 0 else decl_line_end
        first = text[decl_start_line:decl_line_end]
        stripped = first.strip()
        if not stripped or stripped.startswith(("//", "/*", "/+", "*", "}")):
            continue  # not directly above a declaration
        decl_start = decl_start_line + len(first) - len(first.lstrip())
        decl_end, cut = declaration_end(text, decl_start, language)
        line_end = text.find("\n", decl_end)
        line_end = len(text) if line_end < 0 else line_end
        if cut:
            head = text[decl_start_line:decl_end]
            indent = first[:len(first) - len(first.lstrip())]
            declaration = head + "\n" + indent + "}"
        else:
            declaration = text[decl_start_line:max(decl_end, decl_start)]
            if not text[decl_end:line_end].strip().startswith(("/*", "//")):
                declaration = text[decl_start_line:line_end] if decl_end <= line_end else declaration
        comment = text[line_start:rest_end]
        yield {
            "language": language,
            "file": name,
            "line": text.count("\n", 0, decl_start_line) + 1,
            "comment": comment.rstrip() + "\n",
            "declaration": declaration.rstrip() + "\n",
        }


def collect(languages, per_file, per_language, seed):
    """The candidates per language: unique comment+declaration texts, at most per_file from one
    file, then a sample of per_language."""
    chosen = {language: [] for language in languages}
    files = collections.Counter()
    for language, name, text in source_texts(languages):
        seen_here = []
        for pair in find_pairs(language, name, text):
            seen_here.append(pair)
        if not seen_here:
            continue
        files[language] += 1
        rng = random.Random("%s:%s" % (seed, name))
        if len(seen_here) > per_file:
            seen_here = rng.sample(seen_here, per_file)
        chosen[language].extend(seen_here)
    result = {}
    for language in languages:
        unique = {}
        for pair in chosen[language]:
            unique.setdefault(pair["comment"] + pair["declaration"], pair)
        pairs = list(unique.values())
        rng = random.Random("%s:%s" % (seed, language))
        if len(pairs) > per_language:
            pairs = rng.sample(pairs, per_language)
        pairs.sort(key=lambda p: (p["file"], p["line"]))
        result[language] = pairs
    return result, files


# ---------------------------------------------------------------------------------------------
# Words and parameter lines of a comment

MARK_LINE = re.compile(r"^\s*(?:/\*\*|/\*!|///|//!|/\+\+|/\+|/\*|\*(?!/)|\+(?!/))?")


def content(line):
    """A comment line without its marks: `   *  @param x  text */` gives `@param x  text`."""
    body = MARK_LINE.sub("", line, count=1)
    body = re.sub(r"\s*(?:\*+/|\++/)\s*$", "", body)
    return body.strip()


def words(lines):
    """The words of comment lines: runs of non-blank characters, the comment marks *, / and +
    taken off their ends; tokens that are only marks are no words."""
    result = collections.Counter()
    for line in lines:
        for token in content(line).split():
            token = token.strip("*/+")
            if token:
                result[token] += 1
    return result


# What a restyle may rewrite: the commands and section headings Remarkist writes itself (the
# syntax and directions follow the settings), and DDoc's `=` between a name and its text.
MARKUP = re.compile(r"^(?:[@\\](?:brief|short|param|return|returns|result|retval|throws?|exception|note)"
                    r"(?:\[[a-z, ]*\])?|\[(?:in|out|inout|in,out|in, out)\]|Params:|Returns:|Throws:|Note:|=)$")


def prose_words(lines):
    result = words(lines)
    for token in list(result):
        if MARKUP.match(token):
            del result[token]
    return result


def param_tag_name(line):
    """The parameter a comment line documents (`@param[in] x`, `\\param x`, `x = text` in DDoc,
    a `///` Javadoc line too), or None."""
    text = content(line)
    m = re.match(r"^[@\\]param(?:\s*\[[^\]]*\])?\s+(?:\[[^\]]*\]\s+)?([A-Za-z_$][\w$]*|\.\.\.)", text)
    if m:
        return m.group(1)
    m = re.match(r"^(?:Params:\s+)?([A-Za-z_]\w*)\s+=(?:\s|$)", text)
    if m:
        return m.group(1)
    return None


def starts_block(text):
    """Whether a comment line's text starts a new paragraph, tag or DDoc row."""
    return (not text or text[0] in "@\\" or re.match(r"^[A-Z][A-Za-z_]*:(?:\s|$)", text) is not None
            or re.match(r"^[A-Za-z_]\w*\s+=(?:\s|$)", text) is not None)


def param_blocks(lines):
    """{name: [line indices]}: each documented parameter's tag line and continuation lines."""
    blocks = collections.defaultdict(list)
    current = None
    for k, line in enumerate(lines):
        name = param_tag_name(line)
        text = content(line)
        if name is not None:
            current = name
            blocks[name].append(k)
        elif current is not None and not starts_block(text):
            blocks[current].append(k)
        else:
            current = None
    return blocks


# ---------------------------------------------------------------------------------------------
# Running remarkist-render


class Render:
    def __init__(self, path, home):
        self.path = path
        self.home = home
        self.env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))

    def run(self, args, text):
        try:
            run = subprocess.run([self.path] + args, input=text.encode(), capture_output=True,
                                 timeout=TIMEOUT_SECONDS, cwd=self.home, env=self.env)
        except subprocess.TimeoutExpired:
            return {"args": args, "status": "timeout", "stdout": "", "stderr": ""}
        return {"args": args, "status": run.returncode, "stdout": run.stdout.decode("utf-8", "replace"),
                "stderr": run.stderr.decode("utf-8", "replace")}


def crashed(result):
    return (result["status"] not in (0, 1) or "Sanitizer" in result["stderr"]
            or "runtime error:" in result["stderr"])


def apply(lines, answer):
    """The buffer (a list of lines with their ends) after an edit answer."""
    first, last = answer["first"], answer["last"]
    new = answer["text"].splitlines(keepends=True)
    return lines[:first - 1] + new + lines[last:]


class Failure(Exception):
    pass


class Checker:
    """Runs every check on one pair; collects failures and counts."""

    def __init__(self, render, pair):
        self.render = render
        self.pair = pair
        self.language = pair["language"]
        self.failures = []
        self.counts = collections.Counter()

    def call(self, args, lines):
        result = self.render.run(args + ["--language", self.language], "".join(lines))
        if crashed(result):
            self.fail("crash", detail=result["stderr"][-2000:] or "exit status %s" % result["status"],
                      shape="crash: %s exit %s" % (args[0], result["status"]), buffer="".join(lines), args=args)
            raise Failure()
        return result

    def edit(self, lines, line, restyle=False):
        args = ["edit", "--line", str(line)] + (["--restyle"] if restyle else [])
        result = self.call(args, lines)
        if result["status"] != 0:
            return None, result
        return json.loads(result["stdout"]), result

    def read_names(self, lines):
        result = self.call(["read"], lines)
        if result["status"] != 0:
            return None
        return [p["name"] for p in json.loads(result["stdout"])["params"]]

    def fail(self, kind, shape, **extra):
        record = {"kind": kind, "shape": shape, "language": self.language, "file": self.pair["file"],
                  "line": self.pair["line"], "declaration_kind": getattr(self, "kind", ""),
                  "comment": self.pair["comment"]}
        record.update(extra)
        self.failures.append(record)

    def check(self):
        try:
            self.check_all()
        except Failure:
            pass
        return {"counts": self.counts, "failures": self.failures}

    def check_all(self):
        comment = self.pair["comment"].splitlines(keepends=True)
        declaration = self.pair["declaration"].splitlines(keepends=True)
        lines = comment + declaration
        line = len(comment) + 1
        # read also accepts a comment alone, so the declaration alone decides what is a pair
        alone = self.call(["read"], declaration)
        if alone["status"] != 0:
            self.counts["rejected"] += 1
            self.counts["rejected: " + rejected_shape(self.pair["declaration"])] += 1
            return
        read = self.call(["read"], lines)
        if read["status"] != 0:
            self.fail("refused", shape="read exits 1 on the comment and its declaration", buffer="".join(lines),
                      stderr=read["stderr"])
            return
        self.counts["pairs"] += 1
        self.kind = json.loads(alone["stdout"])["kind"]
        self.names = [p["name"] for p in json.loads(alone["stdout"])["params"]]
        answer, result = self.edit(lines, line)
        if answer is None:
            if not words(comment):
                self.counts["empty comments"] += 1
                return
            why = re.sub(r"\d+", "N", result["stderr"].strip())[:90]
            member = re.match(r"^\s*[A-Za-z_]\w*\s*(\(.*\))?\s*(=[^;{}]*)?,?\s*(//.*|/\*.*)?$",
                              self.pair["declaration"].split("\n")[0])
            why += " (an enum member)" if member else ""
            self.fail("refused", shape="read accepts the declaration, edit exits 1: " + why, buffer="".join(lines),
                      stderr=result["stderr"])
            return
        once = apply(lines, answer)
        self.check_words(comment, answer, "edit")
        self.check_first_edit(comment, answer)
        self.check_idempotent(once, answer, False)
        restyled, result = self.edit(lines, line, restyle=True)
        if restyled is None:
            why = re.sub(r"\d+", "N", result["stderr"].strip())[:90]
            self.fail("refused", shape="edit works, edit --restyle exits 1: " + why, buffer="".join(lines),
                      stderr=result["stderr"])
        else:
            self.check_words(comment, restyled, "edit --restyle")
            self.check_idempotent(apply(lines, restyled), restyled, True)
        self.plant_changes(once, answer)

    def check_words(self, comment, answer, how):
        before = words(comment) if how == "edit" else prose_words(comment)
        new_lines = answer["text"].splitlines(keepends=True)
        after = words(new_lines) if how == "edit" else prose_words(new_lines)
        lost = before - after
        if not lost:
            return
        # A dropped parameter's lines may go, and with the last of them DDoc's `Params:`; a
        # parameter renamed in the declaration loses its old name.
        allowed = collections.Counter()
        blocks = param_blocks(comment)
        for name in answer["dropped"]:
            allowed += words([comment[k] for k in blocks.get(name, [])])
        if answer["dropped"]:
            allowed["Params:"] += 1
        for name in blocks:
            if name not in self.names:
                allowed[name] += len(blocks[name])
        lost -= allowed
        if lost:
            self.counts["words lost (%s)" % how] += 1
            self.fail("words lost", shape="%s: %s (%s)" % (how, lost_shape(lost, comment), self.kind), how=how, lost=sorted(lost.elements()),
                      buffer=self.pair["comment"] + self.pair["declaration"], output=answer["text"],
                      dropped=answer["dropped"])

    def check_first_edit(self, comment, answer):
        """The first edit brings the comment up to date in place: it may add lines for the
        parameters and exceptions the comment lacks, rename a parameter's line, remove a dropped
        one's lines; every other line stays, and what it adds comes after the comment's text."""
        new_comment = answer["text"].splitlines(keepends=True)
        if new_comment == comment:
            return
        self.counts["first edits that change the comment"] += 1
        blocks = param_blocks(comment)
        dropped = {k for name in answer["dropped"] for k in blocks.get(name, [])}
        text_lines = [k for k, x in enumerate(comment) if content(x) and param_tag_name(x) is None
                      and not content(x).startswith(("@", "\\"))]
        why = None
        ops = difflib.SequenceMatcher(None, comment, new_comment, autojunk=False).get_opcodes()
        gone = collections.Counter(x for tag, i1, i2, j1, j2 in ops if tag != "equal" for x in comment[i1:i2])
        added = collections.Counter(x for tag, i1, i2, j1, j2 in ops if tag != "equal" for x in new_comment[j1:j2])
        had_lines = any(param_tag_name(x) for x in comment)
        for tag, i1, i2, j1, j2 in ops:
            if tag == "equal":
                continue
            if tag == "delete" and all(k in dropped or content(comment[k]) in ("", "Params:") for k in range(i1, i2)):
                continue
            if tag == "insert" and all(param_tag_name(x) or content(x) in ("", "Params:", "Throws:")
                                       or re.match(r"^[@\\](throws?|exception)\s", content(x))
                                       for x in new_comment[j1:j2]):
                if text_lines and i1 <= text_lines[0] and any(param_tag_name(x) for x in new_comment[j1:j2]):
                    why = "parameter lines added before the comment's text"
                    break
                continue
            if tag == "replace" and i2 - i1 == j2 - j1 and all(
                    param_tag_name(comment[k]) and param_tag_name(comment[k]) not in self.names
                    and param_tag_name(new_comment[j1 + k - i1]) in self.names for k in range(i1, i2)):
                continue  # renamed in the declaration
            if any(re.match(r"^[@\\]param\s+<", content(x)) for x in gone):
                why = "Java type parameter lines (@param <T>) dropped as parameters"
            elif gone and not gone - added:
                why = "parameter lines moved into the declaration's order"
            elif not had_lines:
                why = "no parameter lines yet: %s rewritten" % ("the one-line comment" if len(comment) == 1
                                                                else "the comment")
            else:
                why = "lines changed beyond the declaration's needs (%s)" % ops_shape([(tag, i1, i2, j1, j2)])
            break
        if why:
            self.counts["first edit not minimal"] += 1
            self.fail("first edit", shape=why, buffer=self.pair["comment"] + self.pair["declaration"],
                      diff=unified(comment, new_comment), output=answer["text"], dropped=answer["dropped"])

    def check_idempotent(self, once, answer, restyle):
        how = "edit --restyle" if restyle else "edit"
        line = answer["first"] + len(answer["text"].splitlines())
        again, result = self.edit(once, line, restyle)
        if again is None:
            self.counts["non-idempotent (%s)" % how] += 1
            self.fail("non-idempotent", shape="%s: second edit exits 1" % how, how=how, first_output=answer["text"],
                      stderr=result["stderr"])
            return
        twice = apply(once, again)
        if twice != once:
            self.counts["non-idempotent (%s)" % how] += 1
            self.fail("non-idempotent", shape="%s: %s" % (how, change_shape(once, twice, answer)), how=how,
                      first_output=answer["text"], second_output=again["text"],
                      diff=unified(once, twice))

    # Planted changes -------------------------------------------------------------------------

    def plant_changes(self, baseline, answer):
        comment_count = len(answer["text"].splitlines())
        first = answer["first"]
        comment = baseline[:first - 1 + comment_count]
        declaration = baseline[first - 1 + comment_count:]
        line = first + comment_count
        names = self.read_names(declaration)
        if names is None:
            return
        named = [k for k, n in enumerate(names) if n and n != "..."]
        pick = zlib.crc32((self.pair["file"] + str(self.pair["line"])).encode())
        head = declaration_head("".join(declaration), self.language)
        if self.kind != "function":
            return  # classes have no parameters to change
        if named:
            self.plant_rename(comment, declaration, head, names, named[pick % len(named)], line)
            self.plant_remove(comment, declaration, head, names, named[(pick // 7) % len(named)], line)
        self.plant_add(comment, declaration, head, names, line)

    def planted_edit(self, kind, comment, planted, line, names_after):
        """Runs edit on the planted buffer; returns the opcodes of the comment's change, or
        None after a failure."""
        self.counts["planted " + kind] += 1
        buffer = comment + planted
        answer, result = self.edit(buffer, line)
        if answer is None:
            self.fail("planted", shape="%s: edit exits 1" % kind, plant=kind, buffer="".join(buffer),
                      stderr=result["stderr"])
            return None
        after = apply(buffer, answer)
        new_comment = after[:len(after) - len(planted)]
        if after[len(new_comment):] != planted:
            self.fail("planted", shape="%s: the declaration changed" % kind, plant=kind, buffer="".join(buffer),
                      output=answer["text"])
            return None
        return answer, new_comment

    def report_plant(self, kind, why, comment, new_comment, planted, answer, **extra):
        self.counts["non-minimal " + kind] += 1
        self.fail("planted", shape="%s: %s" % (kind, why), plant=kind, buffer="".join(comment + planted),
                  diff=unified(comment, new_comment), output=answer["text"], dropped=answer["dropped"], **extra)

    def plant_rename(self, comment, declaration, head, names, index, line):
        old = names[index]
        taken = set(re.findall(r"[\w$]+", "".join(comment + declaration)))
        new = next((old[:-1] + c for c in "qxzj" if old[:-1] + c != old and old[:-1] + c not in taken), None)
        if new is None:
            return
        expected = names[:index] + [new] + names[index + 1:]
        planted = None
        text = "".join(declaration)
        for m in re.finditer(r"(?<![\w$])%s(?![\w$])" % re.escape(old), text[:head]):
            candidate = (text[:m.start()] + new + text[m.end():]).splitlines(keepends=True)
            if self.read_names(candidate) == expected:
                planted = candidate
                break
        if planted is None:
            self.counts["plant skipped rename"] += 1
            return
        done = self.planted_edit("rename", comment, planted, line, expected)
        if done is None:
            return
        answer, new_comment = done
        ops = [op for op in difflib.SequenceMatcher(None, comment, new_comment, autojunk=False).get_opcodes()
               if op[0] != "equal"]
        if answer["dropped"]:
            return self.report_plant("rename", "dropped %s" % answer["dropped"], comment, new_comment, planted,
                                     answer, old=old, new=new)
        if not ops:
            return self.report_plant("rename", "no line changed", comment, new_comment, planted, answer, old=old,
                                     new=new)
        if len(ops) != 1 or ops[0][0] != "replace" or ops[0][2] - ops[0][1] != 1 or ops[0][4] - ops[0][3] != 1:
            return self.report_plant("rename", "other lines changed (%s)" % ops_shape(ops), comment, new_comment,
                                     planted, answer, old=old, new=new)
        before, after = comment[ops[0][1]], new_comment[ops[0][3]]
        if not any(before[:m.start()] + new + before[m.end():] == after
                   for m in re.finditer(r"(?<![\w$])%s(?![\w$])" % re.escape(old), before)):
            return self.report_plant("rename", "the line changed beyond the name", comment, new_comment, planted,
                                     answer, old=old, new=new)

    def plant_add(self, comment, declaration, head, names, line):
        text = "".join(declaration)
        planted = None
        for open_at, close_at in reversed(paren_groups(text[:head], self.language)):
            inside = text[open_at + 1:close_at]
            if not inside.strip():
                tries = [(text[:open_at + 1] + "int planted" + text[close_at:], names + ["planted"])]
            elif inside.strip() == "void":
                tries = [(text[:open_at + 1] + "int planted" + text[close_at:], ["planted"])]
            else:
                end = open_at + 1 + len(inside.rstrip())
                tries = [(text[:end] + ", int planted" + text[end:], names + ["planted"]),
                         (text[:open_at + 1] + "int planted, " + text[open_at + 1:], ["planted"] + names)]
            for candidate, expected in tries:
                candidate = candidate.splitlines(keepends=True)
                if self.read_names(candidate) == expected:
                    planted = candidate
                    break
            if planted:
                break
        if planted is None:
            self.counts["plant skipped add"] += 1
            return
        had_lines = any(param_tag_name(x) for x in comment)
        done = self.planted_edit("add", comment, planted, line, expected)
        if done is None:
            return
        answer, new_comment = done
        ops = [op for op in difflib.SequenceMatcher(None, comment, new_comment, autojunk=False).get_opcodes()
               if op[0] != "equal"]
        if not ops:
            return self.report_plant("add", "no line added", comment, new_comment, planted, answer)
        if not had_lines:
            # The first parameter line: it goes where the settings' layout puts it, so lines
            # may be added, but none of the comment's own may change or go.
            if any(op[0] != "insert" for op in ops):
                where = "a one-line comment" if len(comment) == 1 else "comment lines"
                return self.report_plant("add", "first parameter line: %s changed (%s)" % (where, ops_shape(ops)),
                                         comment, new_comment, planted, answer)
            return
        if len(ops) != 1 or ops[0][0] != "insert" or ops[0][4] - ops[0][3] != 1:
            return self.report_plant("add", "not one line inserted (%s)" % ops_shape(ops), comment, new_comment,
                                     planted, answer)
        if param_tag_name(new_comment[ops[0][3]]) != "planted":
            return self.report_plant("add", "the inserted line is no parameter line for it", comment, new_comment,
                                     planted, answer)
        position = []
        for x in new_comment:
            name = param_tag_name(x)
            if name in expected and name not in position:
                position.append(name)
        if position != [n for n in expected if n in position]:
            return self.report_plant("add", "parameter lines out of declaration order", comment, new_comment,
                                     planted, answer)

    def plant_remove(self, comment, declaration, head, names, index, line):
        text = "".join(declaration)
        expected = names[:index] + names[index + 1:]
        planted = None
        for open_at, close_at in paren_groups(text[:head], self.language):
            parts = split_commas(text, open_at + 1, close_at)
            if len(parts) != len(names):
                continue
            start, end = parts[index]
            if len(parts) == 1:
                candidate = text[:start] + text[end:]
            elif index + 1 < len(parts):
                candidate = text[:start] + text[parts[index + 1][0]:]
            else:
                candidate = text[:parts[index - 1][1]] + text[end:]
            candidate = candidate.splitlines(keepends=True)
            if self.read_names(candidate) == expected:
                planted = candidate
                break
        if planted is None:
            self.counts["plant skipped remove"] += 1
            return
        name = names[index]
        done = self.planted_edit("remove", comment, planted, line, expected)
        if done is None:
            return
        answer, new_comment = done
        ops = [op for op in difflib.SequenceMatcher(None, comment, new_comment, autojunk=False).get_opcodes()
               if op[0] != "equal"]
        if answer["dropped"] != [name]:
            return self.report_plant("remove", "dropped %s, not [%s]" % (answer["dropped"], name), comment,
                                     new_comment, planted, answer, removed=name)
        if not ops:
            return self.report_plant("remove", "no line removed", comment, new_comment, planted, answer,
                                     removed=name)
        if any(op[0] != "delete" for op in ops):
            return self.report_plant("remove", "lines changed, not only removed (%s)" % ops_shape(ops), comment,
                                     new_comment, planted, answer, removed=name)
        block = set(param_blocks(comment).get(name, []))
        if new_comment == [x for k, x in enumerate(comment) if k not in block]:
            return
        gone = [k for op in ops for k in range(op[1], op[2])]
        # equal lines make the diff ambiguous: compare what went as text
        gone_text = collections.Counter(comment[k] for k in gone)
        block_text = collections.Counter(comment[k] for k in block)
        if block_text - gone_text == collections.Counter() and all(
                content(x) in ("", "Params:") for x in (gone_text - block_text).elements()):
            return
        if not block & set(gone):
            return self.report_plant("remove", "its parameter line stayed", comment, new_comment, planted, answer,
                                     removed=name)
        if len(block) > len(block & set(gone)):
            return self.report_plant("remove", "continuation lines stayed", comment, new_comment, planted, answer,
                                     removed=name)
        others = [k for k in gone if k not in block and content(comment[k]) not in ("", "Params:")]
        if others:
            return self.report_plant("remove", "other lines removed", comment, new_comment, planted, answer,
                                     removed=name)


def declaration_head(text, language):
    """The offset where a declaration's parameters are over: its body or contracts start there."""
    depth = 0
    for i, c in enumerate(text):
        if c in "([":
            depth += 1
        elif c in ")]":
            depth -= 1
        elif depth == 0 and c in "{;":
            return i
    return len(text)


def paren_groups(text, language):
    """(open, close) offsets of the parentheses at bracket depth 0, in order."""
    groups = []
    depth = 0
    open_at = None
    i = 0
    while i < len(text):
        c = text[i]
        if c in "\"'":
            i = skip_string(text, i, language)
            continue
        if text.startswith("/*", i) or text.startswith("//", i):
            end = text.find("*/" if text[i + 1] == "*" else "\n", i + 2)
            i = len(text) if end < 0 else end + 1
            continue
        if c in "([{":
            if depth == 0 and c == "(":
                open_at = i
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0 and c == ")" and open_at is not None:
                groups.append((open_at, i))
                open_at = None
        i += 1
    return groups


def split_commas(text, start, end):
    """(start, end) of each comma-separated part of text[start:end] at bracket depth 0; angle
    brackets count when they follow a name (templates, generics)."""
    parts = []
    depth = angle = 0
    part = start
    i = start
    while i < end:
        c = text[i]
        if c in "\"'":
            i = skip_string(text, i, "cpp")
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "<" and i > 0 and (text[i - 1].isalnum() or text[i - 1] in "_ ") and text[i + 1:i + 2] != "<":
            angle += 1
        elif c == ">" and angle > 0:
            angle -= 1
        elif c == "," and depth == 0 and angle == 0:
            parts.append((part, i))
            part = i + 1
        i += 1
    parts.append((part, end))
    return parts


# ---------------------------------------------------------------------------------------------
# Shapes: what a failure looks like, to group them


def rejected_shape(declaration):
    first = declaration.strip().split("\n", 1)[0]
    word = re.match(r"[#@]?\w*", first).group(0)
    if word.startswith("#"):
        return word
    if word in ("unittest", "version", "debug", "static", "deprecated", "enum", "alias", "typedef", "using",
                "module", "package", "import", "mixin", "template", "__extension__", "extern", "namespace"):
        if word == "static" and re.match(r"static\s+(if|assert|foreach)", first):
            return "static " + first.split()[1].split("(")[0]
        return word
    if "(" not in declaration.split(";")[0]:
        return "no parameter list (variable, field, constant)"
    return "other"


def lost_shape(lost, comment):
    """Where the lost words stood: the sections (`@param <T>`, `Returns:`, text, ...) of their lines."""
    sections = []
    section = "text"
    for line in comment:
        text = content(line)
        m = re.match(r"^([@\\]\w+(?:\s+<\w+>)?)|^([A-Z][A-Za-z_]*:)(?:\s|$)", text)
        if m:
            section = m.group(1) or m.group(2)
            section = re.sub(r"\s+<\w+>", " <T>", section)
        sections.append((section, collections.Counter(t.strip("*/+") for t in text.split())))
    found = set()
    for token in lost:
        holding = [name for name, line_words in sections if line_words[token]]
        found.add(next((name for name in holding if name != "text"), holding[0] if holding else "?"))
    return ", ".join(sorted(found))


def change_shape(once, twice, answer):
    ops = [op for op in difflib.SequenceMatcher(None, once, twice, autojunk=False).get_opcodes() if op[0] != "equal"]
    return ops_shape(ops)


def ops_shape(ops):
    counts = collections.Counter(op[0] for op in ops)
    return ", ".join("%d %s" % (counts[k], k) for k in ("replace", "insert", "delete") if counts[k])


def unified(before, after):
    return "".join(difflib.unified_diff(before, after, "before", "after", n=1))


def comment_syntax(comment):
    """`/** @cmd`, `/// \\cmd`, `/++ DDoc`, ... with the layout when it is not the usual one."""
    lines = comment.rstrip("\n").split("\n")
    layout = []
    if len(lines) == 1:
        layout.append("one line")
    elif content(lines[-1]) and lines[-1].rstrip().endswith(("*/", "+/")):
        layout.append("text on the closing line")
    if re.search(r"^\s*\*\t", comment, re.M):
        layout.append("tab after *")
    first = comment.lstrip()[:3]
    tags = "DDoc" if re.search(r"^\s*(?:[*+]\s*)?(Params|Returns):", comment, re.M) else \
        "\\cmd" if re.search(r"\\(param|brief|return)", comment) else \
        "@cmd" if re.search(r"@(param|brief|return)", comment) else "prose"
    return " ".join([first, tags] + layout)


# ---------------------------------------------------------------------------------------------
# Report

_render = None


def init_worker(render_path):
    global _render
    _render = Render(render_path, tempfile.mkdtemp(prefix="remarkist-comments-"))


def check_pair(pair):
    return Checker(_render, pair).check()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--render", required=True)
    parser.add_argument("--out", default="build/corpus")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--per-language", type=int, default=1000, help="doc comments sampled per language")
    parser.add_argument("--per-file", type=int, default=40, help="doc comments sampled from one file")
    parser.add_argument("--language", action="append", choices=LANGUAGES)
    parser.add_argument("--seed", default="remarkist")
    args = parser.parse_args()
    languages = args.language or LANGUAGES
    render_path = os.path.abspath(args.render)
    if not os.access(render_path, os.X_OK):
        sys.exit("comments: %s: not an executable" % args.render)
    os.makedirs(args.out, exist_ok=True)

    candidates, files = collect(languages, args.per_file, args.per_language, args.seed)
    jobs = max(1, min(args.jobs, 2))
    counts = {language: collections.Counter() for language in languages}
    failures = []
    work = [pair for language in languages for pair in candidates[language]]
    done = 0
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs, initializer=init_worker,
                                                initargs=(render_path,)) as pool:
        for pair, outcome in zip(work, pool.map(check_pair, work, chunksize=8)):
            counts[pair["language"]].update(outcome["counts"])
            counts[pair["language"]]["comments"] += 1
            failures.extend(outcome["failures"])
            done += 1
            if done % 500 == 0:
                print("comments: %d of %d" % (done, len(work)), file=sys.stderr)
    for failure in failures:
        failure["syntax"] = comment_syntax(failure["comment"]) + (
            " " + failure["declaration_kind"] if failure["declaration_kind"] else "")

    with open(os.path.join(args.out, "comments-failures.jsonl"), "w") as f:
        for failure in failures:
            f.write(json.dumps(failure, ensure_ascii=False) + "\n")
    report = write_report(args.out, languages, counts, files, failures)
    print(report)
    met = all(counts[l]["pairs"] and not any(x["language"] == l for x in failures) for l in languages)
    sys.exit(0 if met else 1)


ROWS = [
    ("pairs", "pairs (read accepts)"),
    ("words lost (edit)", "words lost: edit"),
    ("words lost (edit --restyle)", "words lost: restyle"),
    ("first edit not minimal", "first edit changes more than the declaration needs"),
    ("non-idempotent (edit)", "non-idempotent: edit"),
    ("non-idempotent (edit --restyle)", "non-idempotent: restyle"),
    ("planted rename", "planted renames"),
    ("non-minimal rename", "renames, diff not minimal"),
    ("planted add", "planted additions"),
    ("non-minimal add", "additions, diff not minimal"),
    ("planted remove", "planted removals"),
    ("non-minimal remove", "removals, diff not minimal"),
    ("refused", "edit exits 1 on a comment with words"),
    ("crashes", "crashes"),
]


def write_report(out_dir, languages, counts, files, failures):
    by_language = collections.defaultdict(collections.Counter)
    for failure in failures:
        if failure["kind"] == "crash":
            by_language[failure["language"]]["crashes"] += 1
        if failure["kind"] == "refused":
            by_language[failure["language"]]["refused"] += 1
        if failure["kind"] == "planted" and failure["shape"].endswith("edit exits 1"):
            by_language[failure["language"]]["non-minimal " + failure["plant"]] += 1
    for language in languages:
        counts[language].update(by_language[language])

    out = ["# Hand-written comments: `remarkist-render edit` on real code", ""]
    out.append("Doc comments directly above a declaration; each one `read` accepts is a pair. A pair "
               "counts once per row. Re-run: `./dev corpus --comments` (or `python3 corpus/comments.py "
               "--render build/corpus/src/render/remarkist-render`).")
    out.append("")
    out.append("| | " + " | ".join(NAMES[l] for l in languages) + " |")
    out.append("|---|" + "---:|" * len(languages))
    out.append("| source files with doc comments | " + " | ".join(str(files[l]) for l in languages) + " |")
    out.append("| doc comments sampled | " + " | ".join(str(counts[l]["comments"]) for l in languages) + " |")
    out.append("| above something read rejects | " + " | ".join(
        "%d (%s)" % (counts[l]["rejected"], percent(counts[l]["rejected"], counts[l]["comments"]))
        for l in languages) + " |")
    for key, label in ROWS:
        cells = []
        for l in languages:
            value = counts[l][key]
            base = counts[l]["pairs"] if key in ("pairs",) or not key.startswith(("non-minimal", "planted")) \
                else counts[l]["planted " + key.split()[-1]]
            if key == "pairs":
                cells.append(str(value))
            elif key.startswith("planted"):
                skipped = counts[l]["plant skipped " + key.split()[-1]]
                cells.append("%d (%d skipped)" % (value, skipped))
            else:
                cells.append("%d (%s)" % (value, percent(value, base)))
        out.append("| %s | %s |" % (label, " | ".join(cells)))
    out.append("")
    out.append("Targets: 0 words lost outside dropped parameters, 0 non-idempotent edits, 100 % minimal "
               "diffs, 0 crashes. A plant is skipped when no text surgery gives `read` the expected "
               "parameter list.")
    out.append("")
    out.append("## What read rejects (the declaration's first word)")
    out.append("")
    for l in languages:
        shapes = sorted(((k[len("rejected: "):], v) for k, v in counts[l].items() if k.startswith("rejected: ")),
                        key=lambda kv: -kv[1])
        out.append("- %s: %s" % (NAMES[l], ", ".join("%s %d" % kv for kv in shapes) or "none"))
    out.append("")
    out.append("## Failures by shape")
    out.append("")
    groups = collections.defaultdict(list)
    for failure in failures:
        groups[(failure["kind"], failure["shape"])].append(failure)
    for (kind, shape), members in sorted(groups.items(), key=lambda kv: -len(kv[1])):
        per = collections.Counter(NAMES[m["language"]] for m in members)
        syntax = collections.Counter(m["syntax"] for m in members).most_common(3)
        out.append("### %s — %s: %d (%s; %s)" % (kind, shape, len(members),
                                                   ", ".join("%s %d" % kv for kv in sorted(per.items())),
                                                   ", ".join("%s %d" % kv for kv in syntax)))
        out.append("")
        for member in spread(members):
            out.append("%s:%d" % (member["file"], member["line"]))
            out.append("```")
            out.append(example_text(member).rstrip())
            out.append("```")
        out.append("")
    report = "\n".join(out) + "\n"
    with open(os.path.join(out_dir, "comments.md"), "w") as f:
        f.write(report)
    return report


def spread(members):
    """Up to EXAMPLES_PER_SHAPE examples, from different languages and files where possible."""
    chosen, seen = [], set()
    for member in members:
        key = (member["language"], member["file"])
        if key not in seen:
            chosen.append(member)
            seen.add(key)
        if len(chosen) == EXAMPLES_PER_SHAPE:
            break
    return chosen


def example_text(member, limit=1400):
    if member["kind"] == "words lost":
        text = member["comment"] + "--- %s lost %s:\n%s" % (member["how"], " ".join(member["lost"][:12]),
                                                           member["output"])
    elif member["kind"] == "non-idempotent":
        text = member["comment"] + "--- %s twice:\n%s" % (member["how"], member.get("diff") or member.get("stderr", ""))
    elif member["kind"] in ("planted", "first edit"):
        text = member.get("buffer", "") + "--- after edit:\n" + (member.get("diff") or member.get("stderr", ""))
    else:
        text = member.get("buffer", member["comment"]) + "--- " + (member.get("detail") or member.get("stderr", ""))
    return text if len(text) <= limit else text[:limit] + "\n…"


def percent(part, whole):
    return "%.1f %%" % (100.0 * part / whole) if whole else "-"


if __name__ == "__main__":
    main()
