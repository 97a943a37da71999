#include "lsp/handlers.h"

#include "core/common/settingrecord.h"
#include "core/read/source.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

using nlohmann::json;

// A new comment needs a summary and a code action cannot ask for one: this one stands in for it,
// for the user to overwrite.
constexpr std::string_view placeholderSummary = "Summary.";

constexpr int warning = 2, snippetKind = 15, snippetFormat = 2, asIs = 1;

json textEdit(const Document &document, std::size_t begin, std::size_t end, std::string text,
              Encoding encoding) {
    return {{"range", document.range(begin, end, encoding)}, {"newText", std::move(text)}};
}

json workspaceEdit(std::string_view uri, json edits) {
    return {{"changes", {{std::string(uri), std::move(edits)}}}};
}

// What remarkist-render edit answers for `line` (1-based), as bytes of the document: nothing
// when there is no declaration there.
struct LineEdit {
    std::size_t begin, end;
    SourceEdit edit;
};
std::optional<LineEdit> editAt(const Document &document, std::size_t line, bool restyle) {
    const auto edit = [&](std::optional<std::string> summary) {
        return editSource(document.text(), line, document.language(), summary, restyle);
    };
    SourceEdit result;
    try {
        result = edit(std::nullopt);
    } catch (const ReadError &) {
        return std::nullopt;
    } catch (const Orvex::Exception &) {
        // No summary to write: a new comment, or one that has none.
        result = edit(std::string(placeholderSummary));
    }
    return LineEdit{document.lineBegin(result.first - 1), document.lineBegin(result.last), std::move(result)};
}

json diagnostic(const Document &document, const Finding &finding, Encoding encoding) {
    return {{"range", document.range(finding.begin, finding.end, encoding)},
            {"severity", warning},
            {"code", ruleName(finding.rule)},
            {"source", "remarkist"},
            {"message", finding.message}};
}

json action(std::string_view title, std::string_view kind, std::string_view uri, json edits) {
    return {{"title", title}, {"kind", kind}, {"edit", workspaceEdit(uri, std::move(edits))}};
}

// Whether a diagnostic the client sent back is this finding's.
bool sentBack(const json &diagnostics, const json &ours) {
    return std::any_of(diagnostics.begin(), diagnostics.end(), [&](const json &sent) {
        return sent.value("code", json()) == ours["code"] && sent.value("range", json()) == ours["range"];
    });
}

// "/**", "/** */", "///", "/++", "/++ +/" with blanks around: the framing typed, else "".
std::string_view typedOpening(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    line.remove_prefix(first);
    line = line.substr(0, line.find_last_not_of(" \t") + 1);
    for (std::string_view opening : {"/**", "///", "/++"}) {
        if (!line.starts_with(opening))
            continue;
        std::string_view rest = line.substr(3);
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
        const std::string_view close = opening == "/**" ? "*/" : opening == "/++" ? "+/" : "";
        if (rest.empty() || (!close.empty() && rest == close))
            return opening;
    }
    return {};
}

// A snippet's literal text: "$", "}" and "\" are escaped.
void appendLiteral(std::string &snippet, std::string_view text) {
    for (char c : text) {
        if (c == '$' || c == '}' || c == '\\')
            snippet += '\\';
        snippet += c;
    }
}

// While it lives, comments in `language` are framed as typed ("/**", "///" or "/++") where the
// language can hold that framing: "///" above a C++ function gives a "///" comment whatever
// framing the settings choose.
class TypedFraming {
public:
    TypedFraming(Language language, std::string_view typed) : m_saved(g_settingRecord.m_languageChoices) {
        const std::size_t style = typed == "/**" ? 0 : typed == "///" ? 1 : 2;
        g_settingRecord.m_languageChoices[language]["CommentStyle"] =
            settingField("CommentStyle").names[style];
    }
    ~TypedFraming() { g_settingRecord.m_languageChoices = std::move(m_saved); }
    TypedFraming(const TypedFraming &) = delete;
    TypedFraming &operator=(const TypedFraming &) = delete;

private:
    std::map<Language, LanguageChoice> m_saved;
};

// The stand-in for tab stop n in the rendered comment; no comment text holds these bytes.
std::string stop(std::size_t n) {
    return "\x01" + std::to_string(n) + "\x02";
}

} // namespace

std::vector<Finding> check(const Document &document) {
    return document.language() ? scan(document.text(), *document.language()) : std::vector<Finding>{};
}

json diagnostics(const Document &document, const std::vector<Finding> &findings, Encoding encoding) {
    json list = json::array();
    for (const Finding &finding : findings)
        list.push_back(diagnostic(document, finding, encoding));
    return list;
}

json codeActions(const Document &document, std::string_view uri, const json &params,
                 const std::vector<Finding> &findings, Encoding encoding) {
    json actions = json::array();
    if (!document.language())
        return actions;
    const std::size_t first = params.at("range").at("start").at("line").get<std::size_t>() + 1;
    const std::size_t last = params.at("range").at("end").at("line").get<std::size_t>() + 1;
    const json context = params.value("context", json::object());
    // Neovim 0.7 sends one kind as a string rather than a list.
    json only = context.value("only", json());
    if (only.is_string())
        only = json::array({only});
    const auto wanted = [&](std::string_view kind) {
        return !only.is_array() || std::any_of(only.begin(), only.end(), [&](const json &prefix) {
            const std::string &name = prefix.get_ref<const std::string &>();
            return kind == name || (kind.starts_with(name) && kind[name.size()] == '.');
        });
    };

    // Quick fixes: one per comment with findings here, carrying their diagnostics.
    std::vector<std::size_t> fixedComments;
    const json sent = context.value("diagnostics", json::array());
    for (auto begin = findings.begin(); begin != findings.end() && wanted("quickfix");) {
        const CommentSpan comment = begin->comment;
        const auto end =
            std::find_if(begin, findings.end(), [&](const Finding &f) { return f.comment != comment; });
        json carried = json::array();
        bool here = comment.firstLine <= last && first <= comment.lastLine + 1;
        std::vector<Replacement> fix;
        bool restyle = false;
        for (auto finding = begin; finding != end; ++finding) {
            if (!isFixable(finding->rule))
                continue;
            json ours = diagnostic(document, *finding, encoding);
            here = here || sentBack(sent, ours);
            carried.push_back(std::move(ours));
            if (fix.empty())
                fix = finding->fix;
            restyle = restyle || finding->restyle;
        }
        begin = end;
        json edits = json::array();
        for (const Replacement &r : fix)
            edits.push_back(textEdit(document, r.begin, r.end, r.text, encoding));
        if (fix.empty() && restyle)
            if (const std::optional<LineEdit> edit = editAt(document, comment.firstLine, true))
                edits.push_back(textEdit(document, edit->begin, edit->end, edit->edit.text, encoding));
        if (!here || carried.empty() || edits.empty())
            continue;
        json fixAction = action("Update the comment", "quickfix", uri, std::move(edits));
        fixAction["diagnostics"] = std::move(carried);
        fixAction["isPreferred"] = true;
        actions.push_back(std::move(fixAction));
        fixedComments.push_back(comment.firstLine);
    }

    // The declaration at the cursor: a new comment, or its comment updated or restyled.
    const auto changes = [&](const LineEdit &edit) {
        return std::string_view(document.text()).substr(edit.begin, edit.end - edit.begin) != edit.edit.text;
    };
    if (!wanted("refactor.rewrite"))
        return actions;
    const std::optional<LineEdit> update = editAt(document, first, false);
    if (!update)
        return actions;
    const auto edits = [&](const LineEdit &edit) {
        return json::array({textEdit(document, edit.begin, edit.end, edit.edit.text, encoding)});
    };
    if (update->edit.last + 1 == update->edit.first) {
        actions.push_back(action("Document this declaration", "refactor.rewrite", uri, edits(*update)));
        return actions;
    }
    const bool fixed =
        std::find(fixedComments.begin(), fixedComments.end(), update->edit.first) != fixedComments.end();
    if (!fixed && changes(*update))
        actions.push_back(action("Update the comment", "refactor.rewrite", uri, edits(*update)));
    if (const std::optional<LineEdit> restyled = editAt(document, first, true);
        restyled && changes(*restyled))
        actions.push_back(action("Restyle the comment", "refactor.rewrite", uri, edits(*restyled)));
    return actions;
}

json completion(const Document &document, const json &position, Encoding encoding) {
    json result = {{"isIncomplete", false}, {"items", json::array()}};
    const std::size_t line = position.at("line").get<std::size_t>();
    const std::string_view typed = typedOpening(document.line(line));
    if (!document.language() || typed.empty())
        return result;

    // The typed line is blanked out, so that an open "/**" swallows nothing below it.
    std::string text = document.text();
    const std::size_t lineBegin = document.lineBegin(line);
    std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(lineBegin), document.line(line).size(), ' ');
    const std::vector<Declaration> declarations = findDeclarations(text, *document.language());
    const auto below = std::find_if(declarations.begin(), declarations.end(),
                                    [&](const Declaration &d) { return d.firstLine == line + 2; });
    if (below == declarations.end())
        return result;

    // Rendered with stand-ins for the texts the user fills in, then turned into tab stops.
    DocumentRequest request = below->request;
    std::size_t stops = 0;
    request.summary = stop(++stops);
    std::erase_if(request.params, [](const ParamEntry &param) { return param.name.empty(); });
    for (ParamEntry &param : request.params)
        param.description = stop(++stops);
    if (request.kind == DocumentKind::Function && below->returnsValue)
        request.returns = stop(++stops);
    for (ExceptionEntry &entry : request.throws)
        entry.description = stop(++stops);
    const std::string rendered = [&] {
        const TypedFraming framing(*document.language(), typed);
        return renderDocument(request, "\n", document.language());
    }();

    const std::string_view declarationLine = document.line(line + 1);
    const std::string_view indent = declarationLine.substr(0, declarationLine.find_first_not_of(" \t"));
    std::string snippet;
    for (std::size_t at = 0; at < rendered.size();) {
        const std::size_t special = rendered.find_first_of("\x01\n", at);
        appendLiteral(snippet, std::string_view(rendered).substr(at, special - at));
        if (special == std::string::npos)
            break;
        if (rendered[special] == '\n') {
            snippet.append(document.lineEnding()).append(indent);
            at = special + 1;
        } else {
            const std::size_t close = rendered.find('\x02', special);
            snippet += "${" + rendered.substr(special + 1, close - special - 1) + "}";
            at = close + 1;
        }
    }
    const std::string_view lineText = document.line(line);
    const std::size_t column = lineText.find_first_not_of(" \t");
    const std::size_t cursor = std::max(document.offset(position, encoding), lineBegin + column);
    result["items"].push_back({
        {"label", "Document this declaration"},
        {"kind", snippetKind},
        {"detail", std::string(typed) + " the whole comment"},
        {"filterText", document.text().substr(lineBegin + column, cursor - lineBegin - column)},
        {"insertTextFormat", snippetFormat},
        {"insertTextMode", asIs},
        {"textEdit", textEdit(document, lineBegin + column, lineBegin + lineText.size(), snippet, encoding)},
    });
    return result;
}
