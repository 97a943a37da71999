#include "core/read/scan.h"

#include <array>

namespace {

constexpr std::array<std::string_view, 6> ruleNames = {"param-unknown",      "param-undocumented",
                                                       "param-order",        "return-void",
                                                       "direction-by-value", "param-unnamed"};

} // namespace

std::string_view ruleName(Rule rule) {
    return ruleNames[static_cast<std::size_t>(rule)];
}

std::optional<Rule> ruleNamed(std::string_view name) {
    for (Rule rule : allRules)
        if (ruleName(rule) == name)
            return rule;
    return std::nullopt;
}

bool isFixable(Rule rule) {
    return rule != Rule::ReturnVoid && rule != Rule::DirectionByValue;
}

std::vector<Finding> scan(std::string_view, Language) {
    return {};
}

std::vector<Replacement> fixesOf(const std::vector<Finding> &findings) {
    std::vector<Replacement> fixes;
    const CommentSpan *last = nullptr;
    for (const Finding &finding : findings) {
        if (finding.fix.empty() || (last && *last == finding.comment))
            continue;
        last = &finding.comment;
        fixes.insert(fixes.end(), finding.fix.begin(), finding.fix.end());
    }
    return fixes;
}
