#!/usr/bin/env python3
"""Drives remarkist-lsp through whole sessions as a client would, and checks every edit it
offers against what remarkist-render edit gives for the same text, byte for byte.
Arguments: the remarkist-lsp and remarkist-render programs."""
import json, os, re, select, struct, subprocess, sys, tempfile

LSP, RENDER = sys.argv[1:3]
WORK = tempfile.mkdtemp(prefix="remarkist-lsp-")
ENV = dict(os.environ, HOME=WORK, XDG_CONFIG_HOME=WORK + "/config", LC_ALL="C.UTF-8")
failures = 0


def check(ok, what):
    global failures
    if not ok:
        failures += 1
        print("FAIL", what, file=sys.stderr)


def settings_file(name, **leaves):
    """A setting.dat whose root holds these leaves, as the desktop program writes it."""
    data = b"\xaf\x34\x00\x12\x00\x99\x16\xff\x00\x01" + struct.pack("<Q", len(leaves))
    for key, value in leaves.items():
        data += struct.pack("<Q", len(key)) + key.encode() + b"\x02" + struct.pack("<Q", len(value)) + value.encode()
    path = os.path.join(WORK, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


DOXYGEN = settings_file("doxygen.dat", CommentStyle="/**_*/", DocumentStyle="@", SpacingStyle="Space")
BACKSLASH = settings_file("backslash.dat", CommentStyle="/**_*/", DocumentStyle="\\", SpacingStyle="Space")


class Client:
    def __init__(self, encodings=None, options=None, initialize=True):
        self.proc = subprocess.Popen([LSP], stdin=subprocess.PIPE, stdout=subprocess.PIPE, cwd=WORK, env=ENV)
        self.buffer, self.ids, self.notes = b"", 0, []
        self.encoding = "utf-16"
        if initialize:
            general = {"positionEncodings": encodings} if encodings else {}
            reply = self.request("initialize", {"processId": os.getpid(), "rootUri": None,
                                                "capabilities": {"general": general},
                                                "initializationOptions": options})
            self.encoding = reply["result"]["capabilities"]["positionEncoding"]
            self.notify("initialized", {})

    def write(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    @staticmethod
    def frame(message):
        body = json.dumps(message).encode()
        return b"Content-Length: %d\r\n\r\n" % len(body) + body

    def notify(self, method, params):
        self.write(self.frame({"jsonrpc": "2.0", "method": method, "params": params}))

    def send(self, method, params=None):
        self.ids += 1
        self.write(self.frame({"jsonrpc": "2.0", "id": self.ids, "method": method, "params": params}))
        return self.ids

    def receive(self):
        while True:
            head, sep, rest = self.buffer.partition(b"\r\n\r\n")
            if sep:
                length = int(re.search(rb"Content-Length: (\d+)", head).group(1))
                if len(rest) >= length:
                    self.buffer = rest[length:]
                    return json.loads(rest[:length])
            ready, _, _ = select.select([self.proc.stdout], [], [], 30)
            chunk = os.read(self.proc.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                raise RuntimeError("the server sent nothing more")
            self.buffer += chunk

    def response(self, id):
        while True:
            message = self.receive()
            if message.get("id") == id and "method" not in message:
                return message
            self.notes.append(message)

    def request(self, method, params=None):
        return self.response(self.send(method, params))

    def note(self, method, accept=lambda params: True):
        for i, note in enumerate(self.notes):
            if note.get("method") == method and accept(note["params"]):
                return self.notes.pop(i)["params"]
        while True:
            message = self.receive()
            if message.get("method") == method and accept(message["params"]):
                return message["params"]
            self.notes.append(message)

    def offset(self, text, position):
        lines = text.split(b"\n")
        if position["line"] >= len(lines):
            return len(text)
        start = sum(len(l) + 1 for l in lines[:position["line"]])
        line = lines[position["line"]].rstrip(b"\r")
        if self.encoding == "utf-8":
            return start + min(position["character"], len(line))
        units, at = 0, 0
        for char in line.decode():
            if units >= position["character"]:
                break
            units += 2 if ord(char) > 0xFFFF else 1
            at += len(char.encode())
        return start + at

    def apply(self, text, edits):
        spans = sorted(((self.offset(text, e["range"]["start"]), self.offset(text, e["range"]["end"]), e["newText"])
                        for e in edits), reverse=True)
        for begin, end, new in spans:
            text = text[:begin] + new.encode() + text[end:]
        return text

    def end(self, shutdown=True):
        if shutdown:
            check(self.request("shutdown").get("result", "x") is None, "shutdown answers null")
        self.notify("exit", None)
        return self.proc.wait(timeout=30)


def edit(text, line, language, *options):
    """The buffer after remarkist-render edit's replacement, as the editor plugins apply it."""
    answer = subprocess.run([RENDER, "edit", "--line", str(line), "--language", language, *options],
                            input=text, capture_output=True, env=ENV, cwd=WORK, check=True)
    reply = json.loads(answer.stdout)
    lines = text.splitlines(keepends=True)
    return b"".join(lines[:reply["first"] - 1]) + reply["text"].encode() + b"".join(lines[reply["last"]:])


def actions(client, uri, line, diagnostics=()):
    reply = client.request("textDocument/codeAction", {
        "textDocument": {"uri": uri}, "range": {"start": {"line": line - 1, "character": 0},
                                                "end": {"line": line - 1, "character": 0}},
        "context": {"diagnostics": list(diagnostics)}})
    return {a["title"]: a for a in reply["result"]}


def applied(client, text, uri, action):
    return client.apply(text, action["edit"]["changes"][uri])


# Each language: a declaration without a comment (line of the declaration), and one whose comment
# went stale (line of its declaration, the parameter to rename and its new name).
SOURCES = {
    "c": (b"#include <stddef.h>\n\n/* gr\xc3\xb6\xc3\x9fe \xf0\x9d\x84\x9e */ size_t copy(char *to, const char *from, size_t n);\n\n"
          b"/**\n * Fills a buffer.\n * @param[out] buf the buffer\n * @param[in] c the byte\n */\n"
          b"void fill(char *buf /* \xf0\x9d\x84\x9e */, int c);\n", 3, 10, b"c", b"byte"),
    "cpp": (b"namespace io {\n\n    int copy(const Record *from, Record *to) noexcept;\n\n"
            b"    /**\n     * Writes records.\n     * @param[in] records what to write\n     * @param[in] n how many\n"
            b"     * @return the count written\n     */\n    int write(const Record *records /* gr\xc3\xb6\xc3\x9fe */, std::size_t n);\n}\n", 3, 11,
            b"n", b"count"),
    "d": (b"module m;\n\nint copy(ref int[] to, const int[] from);\n\n/++\n + Scales a value.\n +\n + Params:\n"
          b" +   value = what to scale\n +   factor = by how much\n +/\nint scale(int value /* \xc3\x9f */, int factor);\n", 3, 12,
          b"factor", b"by"),
    "java": (b"class A {\n    // \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80\n    public int read(byte[] buffer, int offset) throws IOException {\n"
             b"        return 0;\n    }\n\n    /**\n     * Skips bytes.\n     * @param count how many\n     * @return the bytes skipped\n"
             b"     */\n    public long skip(/* \xf0\x9f\x98\x80 */ long count) { return 0; }\n}\n", 3, 12, b"count", b"n"),
}
EXT = {"c": "c", "cpp": "cpp", "d": "d", "java": "java"}


def session(encodings, options, settings):
    client = Client(encodings, options)
    extra = ["--settings", settings] if settings else []
    for language, (text, new_line, stale_line, old, new) in SOURCES.items():
        uri = "file://%s/sample.%s" % (WORK, EXT[language])
        where = "%s (%s)" % (language, client.encoding)
        client.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": language, "version": 1,
                                                                "text": text.decode()}})
        client.note("textDocument/publishDiagnostics", lambda p: p["uri"] == uri)

        offered = actions(client, uri, new_line)
        check(list(offered) == ["Document this declaration"], "%s: actions without a comment: %s" % (where, list(offered)))
        if "Document this declaration" in offered:
            got = applied(client, text, uri, offered["Document this declaration"])
            check(got == edit(text, new_line, language, "--summary", "Summary.", *extra), where + ": a new comment")

        # The parameter renamed in the declaration, by an incremental change on a line that
        # holds characters of more than one UTF-16 unit or byte.
        decl = text.splitlines(keepends=True)[stale_line - 1]
        column = decl.rindex(old)
        units = len(decl[:column].decode().encode("utf-16-le")) // 2 if client.encoding == "utf-16" else column
        change = {"range": {"start": {"line": stale_line - 1, "character": units},
                            "end": {"line": stale_line - 1, "character": units + len(old)}}, "text": new.decode()}
        text = client.apply(text, [dict(change, newText=change["text"])])
        client.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 2}, "contentChanges": [change]})
        found = client.note("textDocument/publishDiagnostics", lambda p: p["uri"] == uri and p.get("version") == 2)
        diagnostics = found["diagnostics"]
        check("param-unknown" in [d["code"] for d in diagnostics] and {d["severity"] for d in diagnostics} == {2},
              "%s: diagnostics after the rename: %s" % (where, diagnostics))

        offered = actions(client, uri, stale_line, diagnostics)
        titles = [(t, a["kind"]) for t, a in offered.items()]
        check(titles == [("Update the comment", "quickfix"), ("Restyle the comment", "refactor.rewrite")],
              "%s: actions on a stale comment: %s" % (where, titles))
        for title, options in (("Update the comment", ()), ("Restyle the comment", ("--restyle",))):
            if title in offered:
                check(applied(client, text, uri, offered[title]) == edit(text, stale_line, language, *options, *extra),
                      "%s: %s" % (where, title))
        if "Update the comment" in offered:
            fix = offered["Update the comment"]
            check(fix.get("diagnostics") == diagnostics, where + ": the quick fix carries the diagnostic")
            # The fix sent back as changes, last first, leaves nothing to report.
            edits = sorted(fix["edit"]["changes"][uri], key=lambda e: (e["range"]["start"]["line"],
                                                                      e["range"]["start"]["character"]), reverse=True)
            client.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 3}, "contentChanges": [
                {"range": e["range"], "text": e["newText"]} for e in edits]})
            text = client.apply(text, fix["edit"]["changes"][uri])
            after = client.note("textDocument/publishDiagnostics", lambda p: p["uri"] == uri and p.get("version") == 3)
            check(after["diagnostics"] == [], "%s: diagnostics after the fix: %s" % (where, after["diagnostics"]))
            check(actions(client, uri, stale_line) .keys() <= {"Restyle the comment"}, where + ": nothing left to update")

        # "/**" typed on a new line above the declaration without a comment.
        typed = {"c": "/**", "cpp": "///", "d": "/++", "java": "/**"}[language]
        indent = re.match(rb"[ \t]*", text.splitlines()[new_line - 1]).group().decode()
        client.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 4}, "contentChanges": [
            {"range": {"start": {"line": new_line - 1, "character": 0}, "end": {"line": new_line - 1, "character": 0}},
             "text": indent + typed + "\n"}]})
        reply = client.request("textDocument/completion", {"textDocument": {"uri": uri},
                                                          "position": {"line": new_line - 1, "character": len(indent) + 3}})
        items = reply["result"]["items"]
        check(len(items) == 1 and items[0]["insertTextFormat"] == 2, "%s: one snippet after %s: %s" % (where, typed, items))
        if items:
            stops = [int(n) for n in re.findall(r"\$\{(\d+)\}", items[0]["textEdit"]["newText"])]
            params = {"c": 3, "cpp": 2, "d": 2, "java": 2}[language]
            check(stops == list(range(1, params + 3 + (language == "java"))),
                  "%s: tab stops on the summary, %d parameters and the return value: %s" % (where, params, stops))
        client.notify("textDocument/didClose", {"textDocument": {"uri": uri}})
        cleared = client.note("textDocument/publishDiagnostics", lambda p: p["uri"] == uri and "version" not in p)
        check(cleared["diagnostics"] == [], where + ": closing clears the diagnostics")
    return client


# The protocol's default positions and the first-start settings, then UTF-8 with a settings file
# named at start and another named by a configuration change.
check(session(None, None, None).end() == 0, "shutdown and exit end with 0")
client = session(["utf-8", "utf-16"], {"remarkist.settings": "~/doxygen.dat"}, DOXYGEN)
check(client.encoding == "utf-8", "UTF-8 when the client offers it")
client.notify("workspace/didChangeConfiguration", {"settings": {"remarkist": {"settings": BACKSLASH}}})
uri = "file://%s/again.c" % WORK
text, line = SOURCES["c"][0], SOURCES["c"][1]
client.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "c", "version": 1, "text": text.decode()}})
offered = actions(client, uri, line)
check(applied(client, text, uri, offered["Document this declaration"]) ==
      edit(text, line, "c", "--summary", "Summary.", "--settings", BACKSLASH), "settings from didChangeConfiguration")

# What a client may get wrong: each gets the protocol's error, and the server goes on.
def error_code(reply):
    return reply.get("error", {}).get("code")

inner = client.frame({"jsonrpc": "2.0", "method": "$/unknown"})
bad = [
    (b"Content-Length: 5\r\n\r\n{oops", -32700),
    (b"Content-Length: %d\r\n\r\n" % (len(inner) + 10) + inner, -32700),
    (client.frame({"jsonrpc": "2.0", "id": 901, "method": "x"})[:-5] + b"\r\n", -32700),
    (b"Content-Type: x\r\n\r\n{}", -32700),
    (client.frame([1, 2]), -32600),
]
for raw, code in bad:
    client.write(raw)
    reply = client.request("textDocument/codeAction", {"textDocument": {"uri": uri}, "range": {
        "start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 0}}})
    check("result" in reply, "a request after %r is answered: %s" % (raw[:40], reply))
check([error_code(m) for m in client.notes if "error" in m][:len(bad)] == [c for _, c in bad],
      "errors for bad frames: %s" % [m for m in client.notes if "error" in m])
client.notes = [n for n in client.notes if "error" not in n]
client.notify("textDocument/unknownNotification", {})
check(error_code(client.request("textDocument/unknown", {})) == -32601, "an unknown method")
check(error_code(client.request("textDocument/completion", {"textDocument": {"uri": "file:///nowhere.c"},
                                                            "position": {"line": 0, "character": 0}})) == -32602,
      "a document that is not open")
check(error_code(client.request("textDocument/codeAction", {"textDocument": {"uri": uri}})) == -32602, "no range")
# A request and its cancellation in one write: the request is answered as cancelled.
cancelled = client.ids + 1
client.write(client.frame({"jsonrpc": "2.0", "id": cancelled, "method": "textDocument/codeAction", "params": {}}) +
             client.frame({"jsonrpc": "2.0", "method": "$/cancelRequest", "params": {"id": cancelled}}))
client.ids += 1
check(error_code(client.response(cancelled)) == -32800, "a cancelled request")
check(client.end() == 0, "shutdown and exit end with 0 after errors")

alone = Client(initialize=False)
check(error_code(alone.request("textDocument/completion", {})) == -32002, "a request before initialize")
check(alone.end(shutdown=False) == 1, "exit without shutdown ends with 1")

print("%d failures" % failures if failures else "all checks pass")
sys.exit(1 if failures else 0)
