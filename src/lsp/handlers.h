#pragma once

#include "core/read/scan.h"
#include "lsp/document.h"

#include <nlohmann/json.hpp>

#include <string_view>
#include <vector>

// The answers the server gives about one open document, each from a few calls into the core.
// A document in a language Remarkist does not read gets none.

// textDocument/codeAction: for the declaration at the range's start, "Document this
// declaration" (no comment yet) or "Update the comment" and "Restyle the comment"; for each
// comment with `findings` (the document's) in the range or in the context's diagnostics, a quick
// fix that carries them. Each action holds its WorkspaceEdit.
nlohmann::json codeActions(const Document &document, std::string_view uri, const nlohmann::json &params,
                           const std::vector<Finding> &findings, Encoding encoding);

// textDocument/completion: when the position's line reads "/**", "///" or "/++" (and at most the
// comment's end) directly above a declaration, the whole comment as a snippet, with tab stops on
// the summary and on each description; else no items.
nlohmann::json completion(const Document &document, const nlohmann::json &position, Encoding encoding);

// What the check finds in the document.
std::vector<Finding> check(const Document &document);

// textDocument/publishDiagnostics's list: one warning per finding, its rule as the code.
nlohmann::json diagnostics(const Document &document, const std::vector<Finding> &findings, Encoding encoding);
