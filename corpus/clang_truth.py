#!/usr/bin/env python3
"""Ground truth for C and C++ declarations from clang's JSON AST and its preprocessor.

    clang_truth.py --language c|cpp [--flag F]... [--tu-dir DIR] HEADER...

Includes every HEADER in one translation unit, dumps its AST as JSON and writes one JSON
object a line for each declaration written in one of the HEADERs themselves:
{"language", "file", "line", "kind", "category", "text", "names", "directions", "types"}.

- Functions ("kind": "function"): "text" is the declaration cut from the header by clang's
  source range; "names" and "types" are clang's parameters (unnamed: "", C variadic: "...");
  "directions" follow from each written type (see direction()).
- Fields, variables, enumerators, typedefs, alias declarations and namespaces ("kind": "class",
  no parameters); "text" runs to the ";" or "," after the range, a namespace's to its "{".
  A field or variable whose written type is a pointer to a function is a "function": clang's
  type gives its parameters' count and types, the header's text their names (the AST keeps no
  names for them).
- Macros, from `clang -E -dD`: a function-like macro is a "function" with its parameters
  ("..." for __VA_ARGS__), an object-like one a "class"; "text" is its line with continuations.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

FUNCTION_KINDS = {
    "FunctionDecl",
    "CXXMethodDecl",
    "CXXConstructorDecl",
    "CXXDestructorDecl",
    "CXXConversionDecl",
    "CXXDeductionGuideDecl",
}
# Declarations whose members are written where they stand. Function bodies are not
# entered: lambdas and local classes are not declarations a user documents.
SCOPE_KINDS = {
    "TranslationUnitDecl",
    "NamespaceDecl",
    "EnumDecl",
    "LinkageSpecDecl",
    "ExportDecl",
    "CXXRecordDecl",
    "RecordDecl",
    "ClassTemplateDecl",
    "ClassTemplatePartialSpecializationDecl",
    "FriendDecl",
}
QUALIFIERS = {
    "const",
    "volatile",
    "restrict",
    "__restrict",
    "__restrict__",
    "_Nonnull",
    "_Nullable",
    "_Null_unspecified",
    "__unaligned",
}
# Identifiers that take a parenthesised argument inside a type: their parentheses are not a
# declarator group.
TYPE_OPERATORS = {
    "decltype",
    "typeof",
    "__typeof",
    "__typeof__",
    "__attribute__",
    "_Atomic",
    "alignas",
    "sizeof",
    "noexcept",
    "throw",
    "__underlying_type",
}
OPEN = {"(": ")", "[": "]", "<": ">", "{": "}"}
# Declarations that document as a class, by the category the report groups them in.
MEMBER_KINDS = {
    "FieldDecl": "field",
    "VarDecl": "variable",
    "EnumConstantDecl": "enumerator",
    "TypedefDecl": "type alias",
    "TypeAliasDecl": "type alias",
    "NamespaceDecl": "namespace",
}
# Templates of them: the first child of a member kind is the template as written.
MEMBER_TEMPLATES = {"VarTemplateDecl", "TypeAliasTemplateDecl"}
TYPE_WORDS = {
    "void", "bool", "char", "short", "int", "long", "float", "double", "signed", "unsigned", "wchar_t",
    "char8_t", "char16_t", "char32_t", "auto", "_Bool", "struct", "union", "enum", "class", "typename",
} | QUALIFIERS


def tokenize(type_text):
    """clang's spelling of a type as tokens: identifiers, '::', '...', '&&' and single marks."""
    tokens, i, n = [], 0, len(type_text)
    while i < n:
        c = type_text[i]
        if c.isspace():
            i += 1
        elif c.isalnum() or c == "_":
            j = i
            while j < n and (type_text[j].isalnum() or type_text[j] == "_"):
                j += 1
            tokens.append(type_text[i:j])
            i = j
        elif type_text.startswith("::", i) or type_text.startswith("&&", i):
            tokens.append(type_text[i : i + 2])
            i += 2
        elif type_text.startswith("...", i):
            tokens.append("...")
            i += 3
        else:
            tokens.append(c)
            i += 1
    return tokens


def top_level(tokens):
    """Yields (index, token) of the tokens outside any bracket pair."""
    depth = 0
    for i, t in enumerate(tokens):
        if t in OPEN:
            if depth == 0:
                yield i, t
            depth += 1
        elif t in (")", "]", ">", "}"):
            depth = max(depth - 1, 0)
            if depth == 0:
                yield i, t
        elif depth == 0:
            yield i, t


def matching(tokens, i):
    """Index of the bracket that closes tokens[i]."""
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j] in OPEN:
            depth += 1
        elif tokens[j] in (")", "]", ">", "}"):
            depth -= 1
            if depth == 0:
                return j
    return len(tokens) - 1


def declarator_ops(tokens):
    """The pointer, reference and member-pointer marks at the top level, in written order, each
    with the qualifiers written after it: [("*", {"const"}), ("&", set())]. ("::*" is a pointer to
    member.) The tokens before the first mark are the base type."""
    ops, base_end = [], None
    items = list(top_level(tokens))
    for k, (i, t) in enumerate(items):
        if t in ("*", "&", "&&", "^"):
            op = t
            if t == "*" and k > 0 and items[k - 1][1] == "::":
                op = "::*"
            ops.append([op, set()])
            if base_end is None:
                base_end = i
        elif t in QUALIFIERS and ops:
            ops[-1][1].add(t)
    return ops, tokens[: base_end if base_end is not None else len(tokens)]


def is_const(ops_before, base):
    """Whether the type made of `base` and the marks `ops_before` is itself const."""
    if ops_before:
        return "const" in ops_before[-1][1]
    return any(t == "const" for _, t in top_level(base))


def direction(type_text):
    """The direction a C or C++ parameter of this written type gets:
    'in' for a value, a pointer/reference/array to const, T&&, a function pointer or reference
    and a pointer to member; 'inout' for T& and a pointer or array to non-const.

    direction("const char **") gives "inout"; direction("const char *const *") gives "in".
    """
    tokens = tokenize(type_text)
    if tokens and tokens[-1] == "...":
        tokens.pop()
    group = declarator_group(tokens)
    if group is not None:
        start, end = group
        inner_ops, _ = declarator_ops(tokens[start + 1 : end])
        suffix = tokens[end + 1 : end + 2]
        base = tokens[:start]
        if not inner_ops:
            return "in"
        op = inner_ops[-1][0]
        if op in ("&&", "::*"):
            return "in"
        if len(inner_ops) == 1 and suffix == ["("]:
            return "in"  # a function pointer or reference
        if len(inner_ops) == 1:  # a pointer or reference to an array: its elements decide
            outer_ops, outer_base = declarator_ops(base)
            return "in" if is_const(outer_ops, outer_base) else "inout"
        return "in" if "const" in inner_ops[-2][1] else "inout"
    # An array written as such ("int [3]") is a pointer to its element type.
    items = list(top_level(tokens))
    if items and items[-1][1] == "]":
        open_index = max(i for i, t in items if t == "[")
        ops, base = declarator_ops(tokens[:open_index])
        return "in" if is_const(ops, base) else "inout"
    ops, base = declarator_ops(tokens)
    if not ops:
        return "in"
    op = ops[-1][0]
    if op in ("&&", "::*", "^"):
        return "in"
    return "in" if is_const(ops[:-1], base) else "inout"


def declarator_group(tokens):
    """(open, close) of a parenthesised declarator such as the "(*)" in "int (*)(int)" or the
    "(&)" in "int (&)[3]", or None."""
    items = list(top_level(tokens))
    for k, (i, t) in enumerate(items):
        if t != "(":
            continue
        if k > 0 and items[k - 1][1] in TYPE_OPERATORS:
            continue
        close = matching(tokens, i)
        inner = tokens[i + 1 : close]
        after = tokens[close + 1 : close + 2]
        if after in (["("], ["["]) and any(t in ("*", "&", "&&", "^") for _, t in top_level(inner)):
            return i, close
    return None


def split_top(tokens, separator=","):
    """tokens split at the separators outside brackets."""
    parts, current, depth = [], [], 0
    for t in tokens:
        if t in OPEN:
            depth += 1
        elif t in (")", "]", ">", "}"):
            depth = max(depth - 1, 0)
        if t == separator and depth == 0:
            parts.append(current)
            current = []
        else:
            current.append(t)
    parts.append(current)
    return parts


def function_pointer(type_text):
    """The parameter types of a pointer (or reference) to a function as clang writes its type,
    "int (*)(const char *, int)" giving ["const char *", "int"]; None for any other type."""
    tokens = tokenize(type_text)
    group = declarator_group(tokens)
    if group is None or tokens[group[1] + 1 : group[1] + 2] != ["("]:
        return None
    # A pointer to a function that returns a function pointer, "void (*(*)(int))(void)": the
    # innermost declarator's parameters are the pointer's.
    while True:
        inner = tokens[group[0] + 1 : group[1]]
        nested = declarator_group(inner)
        if nested is None or inner[nested[1] + 1 : nested[1] + 2] != ["("]:
            break
        tokens, group = inner, nested
    start = group[1] + 1
    params = tokens[start + 1 : matching(tokens, start)]
    if not params or params == ["void"]:
        return []
    return [" ".join(p) for p in split_top(params)]


def strip_comments(text):
    out, i = [], 0
    while i < len(text):
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = len(text) if j < 0 else j + 2
            out.append(" ")
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = len(text) if j < 0 else j
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def written_names(text):
    """The parameter names of the function pointer declared by a variable's text,
    "int (*xOpen)(sqlite3_vfs *, const char *zName, int flags)" giving ["", "zName", "flags"]: the
    last word of each parameter when a type comes before it."""
    tokens = tokenize(strip_comments(text).split("=", 1)[0])
    group = declarator_group(tokens)
    if group is None:
        return None
    while True:
        inner = tokens[group[0] + 1 : group[1]]
        nested = declarator_group(inner)
        if nested is None or inner[nested[1] + 1 : nested[1] + 2] != ["("]:
            break
        tokens, group = inner, nested
    start = group[1] + 1
    params = tokens[start + 1 : matching(tokens, start)]
    if not params or params == ["void"]:
        return []
    names = []
    for p in split_top(params):
        while p and p[-1] == "]":
            p = p[: max(i for i, t in enumerate(p) if t == "[")]
        inner = declarator_group(p)
        if inner is not None:  # a function pointer parameter: its name is inside
            words = [t for t in p[inner[0] + 1 : inner[1]] if t[0].isalpha() or t[0] == "_"]
            names.append(words[-1] if words and words[-1] not in QUALIFIERS else "")
        elif p == ["..."]:
            names.append("...")
        else:
            last = p[-1] if p else ""
            typed = [t for t in p[:-1] if t not in QUALIFIERS]
            named = (last[:1].isalpha() or last[:1] == "_") and last not in TYPE_WORDS and typed and p[-2] != "::"
            names.append(last if named else "")
    return names


class Walker:
    """Walks the dump in written order, keeping the file of the last location written: the dump
    names a file only where it changes."""

    def __init__(self, wanted_files):
        self.wanted = {os.path.realpath(f) for f in wanted_files}
        self.real = {}
        self.last_file = None
        self.found = []
        self.made_by_macros = 0
        self.sources = {}

    def real_path(self, name):
        if name not in self.real:
            self.real[name] = os.path.realpath(name)
        return self.real[name]

    def bare(self, loc):
        """Updates the current file from a location without macro parts; returns its file."""
        if "file" in loc:
            self.last_file = loc["file"]
        return self.last_file

    def location(self, loc):
        """(file, offset, tokLen, from_macro) of a location as the user wrote it (a macro's
        expansion point), after updating the current file from all its parts."""
        if not loc:
            return None
        if "spellingLoc" in loc or "expansionLoc" in loc:
            if "spellingLoc" in loc:
                self.bare(loc["spellingLoc"])
            exp = loc.get("expansionLoc", {})
            f = self.bare(exp)
            if "offset" not in exp:
                return None
            return f, exp["offset"], exp.get("tokLen", 0), True
        f = self.bare(loc)
        if "offset" not in loc:
            return None
        return f, loc["offset"], loc.get("tokLen", 0), False

    def skip(self, value):
        """Reads past a subtree only to follow its file changes."""
        if isinstance(value, dict):
            for k, v in value.items():
                if k == "includedFrom":
                    continue
                if k == "file":
                    self.last_file = v
                elif isinstance(v, (dict, list)):
                    self.skip(v)
        elif isinstance(value, list):
            for v in value:
                self.skip(v)

    def node_locations(self, node):
        """(loc, begin, end) of a node, reading them in the order the dump wrote them."""
        loc = self.location(node.get("loc"))
        rng = node.get("range", {})
        begin = self.location(rng.get("begin"))
        end = self.location(rng.get("end"))
        return loc, begin, end

    def walk(self, node, template_head=None):
        kind = node.get("kind")
        loc, begin, end = self.node_locations(node)
        inner = node.get("inner", [])
        skipped = (
            node.get("isImplicit")
            or kind == "ClassTemplateSpecializationDecl"
            or (kind == "CXXRecordDecl" and node.get("isLambda"))
        )
        if kind in FUNCTION_KINDS and not skipped:
            self.function(node, loc, template_head or begin, end, inner)
            return
        if kind in MEMBER_KINDS and not skipped:
            self.member(node, kind, loc, template_head or begin, end)
            if kind != "NamespaceDecl":
                return
        if kind in MEMBER_TEMPLATES and not skipped:
            templated = True
            for child in inner:
                if templated and child.get("kind") in MEMBER_KINDS:
                    templated = False
                    self.walk(child, begin)
                else:
                    self.skip(child)
            return
        if kind == "FunctionTemplateDecl" and not skipped:
            # The first function inside is the template as written; the others are its
            # instantiations.
            templated = True
            for child in inner:
                if templated and child.get("kind") in FUNCTION_KINDS:
                    templated = False
                    self.walk(child, begin)
                else:
                    self.skip(child)
            return
        if kind in SCOPE_KINDS and not skipped:
            for k, v in node.items():
                if k == "inner":
                    for child in v:
                        self.walk(child)
                elif k not in ("loc", "range") and isinstance(v, (dict, list)):
                    self.skip(v)
            return
        for k, v in node.items():
            if k not in ("loc", "range") and isinstance(v, (dict, list)):
                self.skip(v)

    def function(self, node, loc, begin, end, inner):
        params = []
        for k, v in node.items():
            if k == "inner":
                for child in v:
                    if child.get("kind") == "ParmVarDecl":
                        _, param_begin, param_end = self.node_locations(child)
                        params.append((child, param_begin, param_end))
                        child = {key: val for key, val in child.items() if key not in ("loc", "range")}
                    self.skip(child)
            elif k not in ("loc", "range") and isinstance(v, (dict, list)):
                self.skip(v)
        if not (loc and begin and end):
            return
        path = self.real_path(begin[0])
        if path not in self.wanted or self.real_path(end[0]) != path:
            return
        if loc[3]:
            self.made_by_macros += 1  # not written as a declaration in the header
            return
        names = [p.get("name", "") for p, _, _ in params]
        types = [self.written_type(path, *param) for param in params]
        directions = [direction(t) for t in types]
        if node.get("variadic"):
            names.append("...")
            types.append("...")
            directions.append("in")
        text, line = self.cut(path, begin[1], end[1] + end[2], end[3])
        self.found.append(
            {
                "file": path,
                "line": line,
                "name": node.get("name", ""),
                "kind": "function",
                "category": "function",
                "text": text,
                "names": names,
                "directions": directions,
                "types": types,
            }
        )

    def member(self, node, kind, loc, begin, end):
        """A field, variable, enumerator, type alias or namespace; its children are read past."""
        for k, v in node.items():
            if k not in ("loc", "range", "inner") and isinstance(v, (dict, list)):
                self.skip(v)
        if kind != "NamespaceDecl":
            self.skip(node.get("inner", []))
        if not (loc and begin and end) or not node.get("name"):
            return  # an anonymous namespace, union or bit field
        path = self.real_path(begin[0])
        if path not in self.wanted or self.real_path(end[0]) != path:
            return
        if loc[3] or begin[3]:
            self.made_by_macros += 1
            return
        if kind == "NamespaceDecl":
            data = self.source(path)
            brace = data.find(b"{", loc[1])
            text, line = self.cut(path, begin[1], brace + 1, False)
        else:
            text, line = self.cut(path, begin[1], end[1] + end[2], end[3])
            text += self.terminator(path, end[1] + end[2], kind)
        record = {"file": path, "line": line, "name": node["name"], "kind": "class", "category": MEMBER_KINDS[kind],
                  "text": text, "names": [], "directions": [], "types": []}
        shown = node.get("type", {}).get("qualType", "")
        types = function_pointer(shown) if kind in ("FieldDecl", "VarDecl") else None
        if types is not None:
            names = written_names(text)
            if names is None or len(names) != len(types):
                return  # the text does not show the parameters clang counts
            record.update(kind="function", category="function pointer", names=names, types=types,
                          directions=[direction(t) for t in types])
        self.found.append(record)

    def terminator(self, path, offset, kind):
        """The ";" or "," that ends a declaration after its range (a last enumerator's "}"), with
        what stands between as it is written there: blanks, comments, preprocessor lines and
        attribute macros ("long int __align __LOCK_ALIGNMENT;")."""
        data = self.source(path)
        ends = b";,}" if kind == "EnumConstantDecl" else b";,"
        j = offset
        while j < len(data):
            c = data[j : j + 1]
            if c.isspace():
                j += 1
            elif data.startswith(b"/*", j):
                k = data.find(b"*/", j + 2)
                j = len(data) if k < 0 else k + 2
            elif data.startswith(b"//", j) or (c == b"#" and not data[data.rfind(b"\n", 0, j) + 1 : j].strip()):
                while j < len(data) and (data[j : j + 1] != b"\n" or data[j - 1 : j] == b"\\"):
                    j += 1
            elif re.match(rb"(?:__\w+|[A-Z_][A-Z0-9_]*)\b", data[j : j + 64]):
                j += re.match(rb"\w+", data[j : j + 64]).end()
                k = j
                while k < len(data) and data[k : k + 1].isspace():
                    k += 1
                if data[k : k + 1] == b"(":
                    depth = 0
                    while k < len(data):
                        depth += {b"(": 1, b")": -1}.get(data[k : k + 1], 0)
                        k += 1
                        if depth == 0:
                            break
                    j = k
            elif c in ends:
                return data[offset : j + 1].decode("utf-8", "replace")
            else:
                return ""
        return ""

    def written_type(self, path, param, begin, end):
        """The parameter's type as written. clang shows an array or function parameter as the
        pointer it decays to, which the rule treats alike, except where a typedef name was
        written: "va_list ap" is shown as "struct __va_list_tag *" and returned as "va_list"."""
        shown = param.get("type", {})
        qual = shown.get("qualType", "")
        if shown.get("desugaredQualType") != qual or not (begin and end) or self.real_path(begin[0]) != path:
            return qual
        written = self.source(path)[begin[1] : end[1] + end[2]].decode("utf-8", "replace")
        written = written.split("=", 1)[0]
        if "[" in written or "(" in written:
            return qual
        name = param.get("name", "")
        if name and written.rstrip().endswith(name):
            written = written.rstrip()[: -len(name)]
        return " ".join(written.split())

    def source(self, path):
        if path not in self.sources:
            with open(path, "rb") as f:
                self.sources[path] = f.read()
        return self.sources[path]

    def cut(self, path, begin, end, end_in_macro):
        """The text from begin to end; a function-like macro at the end keeps its arguments
        ("__nonnull ((1))")."""
        data = self.source(path)
        if end_in_macro:
            j = end
            while j < len(data) and data[j : j + 1].isspace():
                j += 1
            if data[j : j + 1] == b"(":
                depth = 0
                while j < len(data):
                    if data[j : j + 1] == b"(":
                        depth += 1
                    elif data[j : j + 1] == b")":
                        depth -= 1
                        if depth == 0:
                            end = j + 1
                            break
                    j += 1
        # Words the range leaves out before the declaration on its line, such as an export macro
        # that expands to nothing or an attribute ("SQLITE_API int f(void)").
        line_start = data.rfind(b"\n", 0, begin) + 1
        prefix = data[line_start:begin]
        if prefix.strip() and not any(c in prefix for c in b";{}#/,") and b":" not in prefix.replace(b"::", b""):
            begin = line_start + len(prefix) - len(prefix.lstrip())
        line = data.count(b"\n", 0, begin) + 1
        return data[begin:end].decode("utf-8", "replace"), line


DEFINE = re.compile(rb"^[ \t]*#[ \t]*define[ \t]+(\w+)")


def macros(command, wanted, sources):
    """The macros the preprocessor defines in the wanted files, from `-E -dD`: its line markers
    tell where each definition stands; the header's own line (with its continuations) is the
    text."""
    run = subprocess.run(command, capture_output=True)
    if run.returncode != 0:
        sys.stderr.write(run.stderr.decode("utf-8", "replace"))
        sys.exit("clang_truth: clang -E failed")
    found, current, line = [], None, 0
    for raw in run.stdout.split(b"\n"):
        marker = re.match(rb'^# (\d+) "(.*)"', raw)
        if marker:
            line = int(marker.group(1))
            current = os.path.realpath(marker.group(2).decode("utf-8", "replace"))
            continue
        if current in wanted:
            m = re.match(rb"^#define (\w+)(\(([^)]*)\))?", raw)
            if m:
                record = macro(current, line, m.group(1).decode(), m.group(3), sources)
                if record:
                    found.append(record)
        line += 1
    return found


def macro(path, hint, name, params, sources):
    """The record of macro `name` defined near line `hint` of `path`."""
    if path not in sources:
        with open(path, "rb") as f:
            sources[path] = f.read().split(b"\n")
    lines = sources[path]
    candidates = [i for i, text in enumerate(lines) if (m := DEFINE.match(text)) and m.group(1).decode() == name]
    if not candidates:
        return None
    first = min(candidates, key=lambda i: abs(i + 1 - hint))
    last = first
    while last + 1 < len(lines) and lines[last].rstrip(b"\r").endswith(b"\\"):
        last += 1
    text = b"\n".join(lines[first : last + 1]).decode("utf-8", "replace")
    record = {"file": path, "line": first + 1, "name": name, "kind": "class", "category": "macro", "text": text,
              "names": [], "directions": [], "types": []}
    if params is not None:
        names = []
        for p in params.decode().split(","):
            p = p.strip()
            if p:
                names.append("..." if p == "..." else p[:-3] if p.endswith("...") else p)
        record.update(kind="function", names=names, directions=["in"] * len(names), types=["macro"] * len(names))
    return record


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--language", choices=["c", "cpp"], required=True)
    ap.add_argument("--flag", action="append", default=[])
    ap.add_argument("--tu-dir", default=None)
    ap.add_argument("headers", nargs="+")
    args = ap.parse_args()

    suffix = ".c" if args.language == "c" else ".cpp"
    tu_dir = args.tu_dir or tempfile.mkdtemp()
    tu = os.path.join(tu_dir, "corpus-" + args.language + suffix)
    with open(tu, "w") as f:
        for h in args.headers:
            f.write('#include "%s"\n' % os.path.abspath(h))
    compiler = ["clang", "-x", "c", "-std=gnu17"] if args.language == "c" else ["clang++", "-x", "c++", "-std=c++17"]
    dump = os.path.join(tu_dir, "corpus-" + args.language + ".ast.json")
    with open(dump, "wb") as out:
        run = subprocess.run(
            compiler + args.flag + ["-fsyntax-only", "-Xclang", "-ast-dump=json", tu],
            stdout=out,
            stderr=subprocess.PIPE,
        )
    if run.returncode != 0:
        sys.stderr.write(run.stderr.decode("utf-8", "replace"))
        sys.exit("clang_truth: clang failed on %s" % tu)
    with open(dump, "rb") as f:
        root = json.load(f)
    os.remove(dump)
    walker = Walker(args.headers)
    sys.setrecursionlimit(100000)
    walker.walk(root)
    walker.found += macros(compiler + args.flag + ["-E", "-dD", tu], walker.wanted, {})
    for record in walker.found:
        record["language"] = args.language
        sys.stdout.write(json.dumps(record) + "\n")
    if walker.made_by_macros:
        sys.stderr.write("clang_truth: %d declarations made by macros, left out\n" % walker.made_by_macros)


if __name__ == "__main__":
    main()
