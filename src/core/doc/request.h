#pragma once

#include "core/common/language.h"
#include "core/doc/format.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class DocumentKind { Function, Class, File };

// One comment to write: what a document page fills in, what remarkist-render reads from JSON,
// and what the readers of declarations and comments give back.
struct DocumentRequest {
    DocumentKind kind = DocumentKind::Function;
    std::optional<std::string> date; // absent: the current date in the DateFormat setting
    // A file comment's own author and copyright lines; absent: the settings'.
    std::optional<std::string> author, copyright;
    std::string summary, comment, note, returns;
    // Written only for a function; a class or file comment leaves them out.
    std::vector<ParamEntry> params;
    std::vector<ExceptionEntry> throws;

    bool operator==(const DocumentRequest &) const = default;
};

// The comment for `request` in the settings in force (g_settingData), its lines joined with
// `separator`: with "\r\n", exactly the text a page puts on the clipboard. Throws
// Orvex::Exception("概要は必ず記述する必要があります。") when the summary is empty.
// With a language, the comment is written so that the language and its documentation checker
// accept it.
std::string renderDocument(const DocumentRequest &request, std::string_view separator = "\r\n",
                           std::optional<Language> language = std::nullopt);
