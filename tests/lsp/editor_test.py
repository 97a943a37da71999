#!/usr/bin/env python3
"""Neovim's built-in client (nvim_client.lua) or eglot (eglot_client.el), headless, against
remarkist-lsp: the stale comment's diagnostic seen, its quick fix and "Document this
declaration" applied as a user picks them. The buffer must then be what remarkist-render edit
gives. Arguments: nvim or emacs, remarkist-lsp, remarkist-render."""
import json, os, subprocess, sys, tempfile

EDITOR, LSP, RENDER = sys.argv[1:4]
HERE = os.path.dirname(os.path.abspath(__file__))
WORK = tempfile.mkdtemp(prefix="remarkist-lsp-%s-" % EDITOR)
ENV = dict(os.environ, HOME=WORK, XDG_CONFIG_HOME=WORK + "/config", LC_ALL="C.UTF-8", REMARKIST_LSP=LSP,
           RK_OUT=WORK, RK_FILE=WORK + "/copy.cpp")
# The parameter "from" was renamed to "source" (line 8); "clear" has no comment yet.
SAMPLE = (b"#include <cstddef>\n\n/**\n * Copies a string.\n * @param[in] from the string\n"
          b" * @param[out] to where it goes\n */\nint copy(const char *source, char *to);\n\n"
          b"void clear(char *buffer, std::size_t n);\n")


def edit(text, line, *options):
    answer = subprocess.run([RENDER, "edit", "--line", str(line), "--language", "cpp", *options], input=text,
                            capture_output=True, env=ENV, cwd=WORK, check=True)
    reply = json.loads(answer.stdout)
    lines = text.splitlines(keepends=True)
    return b"".join(lines[:reply["first"] - 1]) + reply["text"].encode() + b"".join(lines[reply["last"]:])


fixed = edit(SAMPLE, 8)
new_line = fixed.splitlines().index(b"void clear(char *buffer, std::size_t n);") + 1
expected = edit(fixed, new_line, "--summary", "Summary.")
with open(ENV["RK_FILE"], "wb") as f:
    f.write(SAMPLE)
ENV.update(RK_STALE="8", RK_NEW=str(new_line))
command = {"nvim": ["nvim", "--headless", "-u", "NONE", "-i", "NONE", "-c", "luafile " + HERE + "/nvim_client.lua"],
           # -q: the site files load the packages Debian installs, elpa-eglot among them.
           "emacs": ["emacs", "--batch", "-q", "-l", HERE + "/eglot_client.el"]}[EDITOR]
run = subprocess.run(command, env=ENV, cwd=WORK, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)


def read(name):
    path = os.path.join(WORK, name)
    return open(path, "rb").read() if os.path.exists(path) else b"(missing)"


failures = [line for line in read("failures").decode().splitlines() if line]
if read("diagnostics").decode().split() != ["param-unknown", "5", "warning"]:
    failures.append("the diagnostics seen: %r" % read("diagnostics"))
if read("after") != expected:
    failures.append("the buffer:\n%s\nwhere remarkist-render edit gives:\n%s" % (read("after").decode(), expected.decode()))
if failures:
    print("\n".join(failures), "\n--- the editor said:\n", run.stdout.decode(), run.stderr.decode(), file=sys.stderr)
    sys.exit(1)
print("%s: the diagnostic, its quick fix and a new comment as remarkist-render edit gives them" % EDITOR)
