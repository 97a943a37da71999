#!/usr/bin/env python3
"""Ground truth for D declarations from gdc's JSON description of modules.

    gdc_truth.py [--json-dir DIR] MODULE.d...

Runs `gdc -fsyntax-only -X` over the modules and writes one JSON object a line for each
function, constructor and destructor the compiler lists: {"language": "d", "file", "line",
"kind": "function", "category", "text", "names", "directions", "types"}. The compiler gives the
names, storage classes and types; "text" is the declaration cut from the source around the
name's position, from the token after the previous `;`, `{`, `}` or attribute label up to the
end of its body or `;`.

Also, as "kind": "class" with no parameters: every variable, enum member and alias the compiler
lists (an enum member's text runs from the previous "," or "{" to its own "," or the "}"), and
the module's own `module` line.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

FUNCTION_KINDS = {"function", "constructor", "destructor", "postblit"}
MEMBER_KINDS = {"variable": "variable", "enum member": "enumerator", "alias": "type alias"}
# Conditions that stand before a declaration without being part of it.
CONDITIONS = {"version", "debug", "static", "else"}
CONTRACT_WORDS = {"in", "out", "do", "body"}
# "(const char* format, scope const ...)"; "int[] rest...)" is typesafe and named.
STORAGE_WORDS = {"scope", "const", "in", "return", "shared", "immutable", "inout", "ref"}
C_VARIADIC = re.compile(r"[(,]\s*(?:(?:%s)\s+)*\.\.\.\s*\)" % "|".join(STORAGE_WORDS))


def direction(param):
    """The direction of one parameter from its storage classes and type: "out" for `out`,
    "inout" for `ref` and `auto ref` unless the referred type is const, immutable or inout,
    "in" otherwise. A deco starting with x, y or Ng is const, immutable or inout."""
    storage = param.get("storageClass", [])
    if "out" in storage:
        return "out"
    if "ref" not in storage:
        return "in"
    if any(s in storage for s in ("in", "const", "immutable", "inout")):
        return "in"
    deco = param.get("deco")
    if deco is not None:
        return "in" if deco.startswith(("x", "y", "Ng")) else "inout"
    return "in" if whole_type_is_const(param.get("type", "")) else "inout"


def whole_type_is_const(type_text):
    """Whether a written D type is itself const: "const(char)" and "const int" are, while
    "const(char)[]" is a mutable slice of const characters."""
    t = type_text.strip()
    for word in ("const", "immutable", "inout", "shared const", "const shared"):
        if t.startswith(word + "("):
            close = closing_paren(t, len(word))
            return close == len(t) - 1
        if t.startswith(word + " "):
            return True
    return False


def closing_paren(text, open_index):
    depth = 0
    for i in range(open_index, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def tokens(source):
    """D tokens as (start, end) byte offsets, without comments; strings and character literals
    are one token each."""
    out, i, n = [], 0, len(source)
    while i < n:
        c = source[i]
        if c in " \t\r\n\f\v":
            i += 1
        elif source.startswith("//", i):
            j = source.find("\n", i)
            i = n if j < 0 else j + 1
        elif source.startswith("/*", i):
            j = source.find("*/", i + 2)
            i = n if j < 0 else j + 2
        elif source.startswith("/+", i):
            i = skip_nested_comment(source, i)
        elif starts_literal(source, i):
            j = skip_literal(source, i)
            out.append((i, j))
            i = j
        elif c.isalnum() or c == "_" or ord(c) > 127:
            j = i
            while j < n and (source[j].isalnum() or source[j] == "_" or ord(source[j]) > 127):
                j += 1
            out.append((i, j))
            i = j
        elif source.startswith("...", i):
            out.append((i, i + 3))
            i += 3
        else:
            out.append((i, i + 1))
            i += 1
    return out


def starts_literal(source, i):
    """Whether a string or character literal starts at i: "..", `..`, '.', r"..", x"..", q"..",
    q{..}."""
    c, following = source[i], source[i + 1 : i + 2]
    return c in "\"`'" or (c in "rx" and following == '"') or (c == "q" and following in ('"', "{"))


def skip_nested_comment(source, i):
    depth, n = 0, len(source)
    while i < n:
        if source.startswith("/+", i):
            depth += 1
            i += 2
        elif source.startswith("+/", i):
            depth -= 1
            i += 2
            if depth == 0:
                return i
        else:
            i += 1
    return n


def skip_literal(source, i):
    """The end of the string or character literal starting at i, with its suffix."""
    n = len(source)
    c = source[i]
    if c == "q" and source[i + 1] == "{":
        depth, j = 0, i + 1
        while j < n:
            if source[j] == "{":
                depth += 1
            elif source[j] == "}":
                depth -= 1
                if depth == 0:
                    return j + 1
            j += 1
        return n
    if c == "q":  # q"(...)", q"[...]", q"IDENT ... IDENT"
        opener = source[i + 2]
        closer = {"(": ")", "[": "]", "{": "}", "<": ">"}.get(opener)
        if closer:
            depth, j = 0, i + 2
            while j < n:
                if source[j] == opener:
                    depth += 1
                elif source[j] == closer:
                    depth -= 1
                    if depth == 0:
                        return j + 2
                j += 1
            return n
        if opener.isalpha() or opener == "_":
            m = re.match(r"[A-Za-z_]\w*", source[i + 2 :])
            ident = m.group(0)
            j = source.find("\n" + ident + '"', i)
            return n if j < 0 else j + len(ident) + 2
        j = source.find(opener + '"', i + 3)
        return n if j < 0 else j + 2
    raw = c in "r`"
    quote = "`" if c == "`" else ("'" if c == "'" else '"')
    j = i + (1 if c in "\"`'" else 2)
    while j < n:
        if source[j] == "\\" and not raw:
            j += 2
            continue
        if source[j] == quote:
            j += 1
            while j < n and source[j] in "cwd":  # string postfix
                j += 1
            return j
        j += 1
    return n


class Module:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        # Offsets are bytes: the compiler counts columns in bytes.
        self.text = self.data.decode("latin-1")
        self.tokens = tokens(self.text)
        self.starts = {s: k for k, (s, _) in enumerate(self.tokens)}
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", self.text)]

    def offset(self, line, column):
        if line < 1 or line > len(self.line_starts):
            return None
        return self.line_starts[line - 1] + column - 1

    def token(self, k):
        s, e = self.tokens[k]
        return self.text[s:e]

    def start_of(self, k):
        """Index of the first token of the declaration whose name is token k."""
        depth = 0
        j = k - 1
        while j >= 0:
            t = self.token(j)
            if t in (")", "]"):
                depth += 1
            elif t in ("(", "["):
                depth -= 1
                if depth < 0:
                    break
            elif depth == 0 and t in (";", "{", "}", ":"):
                break
            j -= 1
        j += 1
        # Skip `version (X)`, `debug`, `static if (...)`, `else` written before it.
        while j < k and self.token(j) in CONDITIONS:
            j += 1
            if self.token(j) == "if":
                j += 1
            if j < k and self.token(j) == "(":
                j = self.closing(j) + 1
        return j

    def closing(self, k):
        depth = 0
        for j in range(k, len(self.tokens)):
            t = self.token(j)
            if t in ("(", "[", "{"):
                depth += 1
            elif t in (")", "]", "}"):
                depth -= 1
                if depth == 0:
                    return j
        return len(self.tokens) - 1

    def end_of(self, k):
        """Index of the last token of the declaration whose name is token k: its `;` or the `}`
        closing its body, after any contracts."""
        j = k + 1
        while j < len(self.tokens):
            t = self.token(j)
            if t in ("(", "["):
                j = self.closing(j) + 1
            elif t == ";":
                return j
            elif t == "{":
                j = self.closing(j)
                if j + 1 < len(self.tokens) and self.token(j + 1) in CONTRACT_WORDS:
                    j += 1
                    continue
                return j
            else:
                j += 1
        return len(self.tokens) - 1

    def c_variadic(self, k):
        """Whether the first parameter list after token k ends in a bare "...": the compiler
        lists the named parameters only, and says "..." only in a signature it does not always
        give."""
        j = k + 1
        while j < len(self.tokens) and self.token(j) != "(":
            j += 1
        if j >= len(self.tokens):
            return False
        close = self.closing(j)
        i = close - 1
        if i <= j or self.token(i) != "...":
            return False
        i -= 1
        while i > j and self.token(i) in STORAGE_WORDS:
            i -= 1
        return self.token(i) in (",", "(")

    def enum_member(self, k):
        """(text, line) of the enum member named at token k: from after the previous "," or "{" to
        its "," or the "}"."""
        first = k
        while first > 0 and self.token(first - 1) not in (",", "{"):
            first -= 1
            if self.token(first) == ")":  # deprecated("...") before it
                depth = 0
                while first > 0:
                    t = self.token(first)
                    depth += t == ")"
                    depth -= t == "("
                    if depth == 0:
                        break
                    first -= 1
        last = k
        while last + 1 < len(self.tokens) and self.token(last) not in (",", "}"):
            t = self.token(last + 1)
            last = self.closing(last + 1) if t in ("(", "[", "{") else last + 1
        begin, end = self.tokens[first][0], self.tokens[last][1]
        return self.data[begin:end].decode("utf-8", "replace"), self.text.count("\n", 0, begin) + 1

    def module_line(self):
        """(text, line) of the `module a.b;` declaration, or None."""
        for k in range(len(self.tokens)):
            if self.token(k) == "module":
                first = k
                while first > 0 and self.token(first - 1) not in (";", "}"):
                    first -= 1
                last = k
                while last < len(self.tokens) and self.token(last) != ";":
                    last += 1
                if last == len(self.tokens):
                    return None
                begin, end = self.tokens[first][0], self.tokens[last][1]
                return self.data[begin:end].decode("utf-8", "replace"), self.text.count("\n", 0, begin) + 1
            if self.token(k) not in ("@", "(", ")") and not self.token(k)[0].isalpha() and not self.token(k).startswith('"'):
                return None
        return None

    def declaration(self, member):
        """(text, line, name token) of a listed function, or None when its name is not written at
        the listed place (a declaration made by a mixin)."""
        pos = self.offset(member.get("line", 0), member.get("char", 0))
        k = self.starts.get(pos)
        if k is None:
            return None
        name = member.get("name", "")
        expected = "~" if name.startswith("~") else name
        if self.token(k) == "alias" and member.get("kind") == "alias":
            expected = "alias"  # "alias T = int;" is listed at its keyword
        if self.token(k) != expected:
            return None
        first, last = self.start_of(k), self.end_of(k)
        begin, end = self.tokens[first][0], self.tokens[last][1]
        if "endline" in member:
            body_end = self.offset(member["endline"], member.get("endchar", 0))
            if body_end is not None and self.text[body_end : body_end + 1] == "}":
                end = body_end + 1
        text = self.data[begin:end].decode("utf-8", "replace")
        return text, self.text.count("\n", 0, begin) + 1, k


def functions(member):
    """The listed functions, constructors and destructors, at any depth."""
    # Unit tests and invariants are listed as functions named "__unittest_L12_C3".
    if member.get("kind") in FUNCTION_KINDS and not member.get("name", "").startswith("__"):
        yield member
    for child in member.get("members", []):
        yield from functions(child)


def members(member):
    """The listed variables, enum members and aliases, at any depth."""
    if member.get("kind") in MEMBER_KINDS and not member.get("name", "").startswith("__"):
        yield member
    for child in member.get("members", []):
        yield from members(child)


def c_variadic(member, source, name_token):
    signature = member.get("originalType") or member.get("type")
    if signature:
        return bool(C_VARIADIC.search(signature))
    return source.c_variadic(name_token)


def write_class(path, text, line, name, category):
    record = {"language": "d", "file": path, "line": line, "name": name, "kind": "class", "category": category,
              "text": text, "names": [], "directions": [], "types": []}
    sys.stdout.write(json.dumps(record) + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--json-dir", default=None)
    ap.add_argument("modules", nargs="+")
    args = ap.parse_args()
    json_dir = args.json_dir or tempfile.mkdtemp()
    out = os.path.join(json_dir, "corpus-d.json")
    run = subprocess.run(["gdc", "-fsyntax-only", "-X", "-Xf" + out] + args.modules, stderr=subprocess.PIPE)
    if run.returncode != 0:
        sys.stderr.write(run.stderr.decode("utf-8", "replace"))
        sys.exit("gdc_truth: gdc failed")
    with open(out) as f:
        described = json.load(f)
    os.remove(out)
    dropped = 0
    for module in described:
        path = os.path.realpath(module["file"])
        source = Module(path)
        for member in functions(module):
            found = source.declaration(member)
            if found is None:
                dropped += 1
                continue
            params = member.get("parameters", [])
            names = [p.get("name", "") for p in params]
            types = [" ".join(p.get("storageClass", []) + [p.get("type") or p.get("deco", "")]) for p in params]
            directions = [direction(p) for p in params]
            if c_variadic(member, source, found[2]):
                names.append("...")
                types.append("...")
                directions.append("in")
            record = {
                "language": "d",
                "file": path,
                "line": found[1],
                "name": member.get("name", ""),
                "kind": "function",
                "category": "function",
                "text": found[0],
                "names": names,
                "directions": directions,
                "types": types,
            }
            sys.stdout.write(json.dumps(record) + "\n")
        for member in members(module):
            if member["kind"] == "enum member":
                k = source.starts.get(source.offset(member.get("line", 0), member.get("char", 0)))
                while k is not None and k + 1 < len(source.tokens) and source.token(k) != member["name"]:
                    # listed at its attributes: "deprecated("...") c", "@disable d"
                    if source.token(k) not in ("deprecated", "@") and not source.token(k)[0].isalpha():
                        break
                    k = source.closing(k + 1) + 1 if source.token(k + 1) == "(" else k + 1
                found = source.enum_member(k) if k is not None and source.token(k) == member["name"] else None
            else:
                found = source.declaration(member)
            if found is None:
                dropped += 1
                continue
            write_class(path, found[0], found[1], member["name"], MEMBER_KINDS[member["kind"]])
        line = source.module_line()
        if line:
            write_class(path, line[0], line[1], module.get("name", ""), "module")
    if dropped:
        sys.stderr.write("gdc_truth: %d declarations not written where listed (mixins), left out\n" % dropped)


if __name__ == "__main__":
    main()
