#pragma once

#include "core/common/language.h"
#include "core/read/declaration.h"
#include "core/read/update.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a documentation comment can get wrong about the declaration under it.
enum class Rule : std::uint8_t {
    ParamUnknown,      // documents a parameter the declaration does not have (renamed or removed)
    ParamUndocumented, // documents some parameters, but not this one
    ParamOrder,        // documents the parameters in another order than the declaration's
    ReturnVoid,        // describes a return value of a void function, a constructor or a destructor
    DirectionByValue,  // [out] or [in,out] on a parameter passed by value
    ParamUnnamed,      // a parameter line with no name
};

inline constexpr Rule allRules[] = {Rule::ParamUnknown, Rule::ParamUndocumented, Rule::ParamOrder,
                                    Rule::ReturnVoid,   Rule::DirectionByValue,  Rule::ParamUnnamed};

// ruleName(Rule::ParamUnknown) gives "param-unknown"; ruleNamed gives it back, nothing for other names.
std::string_view ruleName(Rule rule);
std::optional<Rule> ruleNamed(std::string_view name);

// Whether the in-place update repairs it: every rule but return-void and direction-by-value, where
// what the author meant is unclear.
bool isFixable(Rule rule);

struct Finding {
    Rule rule = Rule::ParamUnknown;
    // "parameter 'len' is not in the declaration (renamed to 'size'?)"
    std::string message;
    // 1-based; the column counts bytes.
    std::size_t line = 0, column = 0;
    // The bytes it is about: a parameter's name, a nameless parameter command, a return command.
    std::size_t begin = 0, end = 0;
    // The comment it was found in.
    CommentSpan comment;
    // For a fixable rule: the replacements that bring the whole comment up to date with its
    // declaration, the same for every fixable finding of the comment. Empty for the other rules,
    // and when the comment cannot take the change in place and would have to be written anew
    // (then `restyle` is set).
    std::vector<Replacement> fix;
    bool restyle = false;
};

// Every finding in a source buffer, in buffer order: each documentation comment directly above a
// declaration, checked against it. Findings silenced in the text are left out: the word
// "remarkist-ignore" in the comment or on the declaration's first line silences all of the
// comment's, "remarkist-ignore(param-order,return-void)" those rules only. A comment that documents
// no parameter at all gets no param-undocumented finding. Never throws; bytes that are not UTF-8
// are read like any others.
std::vector<Finding> scan(std::string_view buffer, Language language);

// The replacements that fix `findings` of one buffer together: each comment's once, in buffer
// order, ready for applyReplacements.
std::vector<Replacement> fixesOf(const std::vector<Finding> &findings);
