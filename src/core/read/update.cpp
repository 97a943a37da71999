#include "core/read/update.h"

#include "core/common/settingdata.h"
#include "core/read/comment.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

using View = std::string_view;
constexpr std::size_t npos = View::npos;

// Where the lines of a comment stand in its buffer. Only the comment's own bytes are looked at,
// so a buffer with many comments costs each comment its own length.
class Geometry {
public:
    Geometry(View buffer, const CommentSpan &comment, bool lineComment)
        : m_buffer(buffer), m_comment(comment), m_lineComment(lineComment) {}

    std::size_t at(View part) const { return static_cast<std::size_t>(part.data() - m_buffer.data()); }
    std::size_t lineBegin(std::size_t at) const {
        const std::size_t lf = at == 0 ? npos : m_buffer.rfind('\n', at - 1);
        return lf == npos ? 0 : lf + 1;
    }
    // Past the line break of the line that holds `at`, or the end of the buffer.
    std::size_t lineEnd(std::size_t at) const {
        const std::size_t lf = m_buffer.find('\n', at);
        return lf == npos ? m_buffer.size() : lf + 1;
    }
    std::size_t lineNumber(std::size_t at) const {
        return m_comment.firstLine + static_cast<std::size_t>(std::count(
                                         m_buffer.begin() + static_cast<std::ptrdiff_t>(m_comment.begin),
                                         m_buffer.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    }
    Place place(View head, View firstLine, View lastLine) const {
        const std::size_t h = at(head);
        return {lineNumber(h), h - lineBegin(h) + 1, lineBegin(at(firstLine)), lineEnd(at(lastLine))};
    }
    // Whether the whole lines from `first` to `last` hold nothing of the comment's opener or
    // closer, so that they can go or get a neighbour.
    bool ownLines(View first, View last) const {
        return m_lineComment ||
               (lineBegin(at(first)) > m_comment.begin && lineEnd(at(last)) <= m_comment.end);
    }
    View buffer() const { return m_buffer; }

private:
    View m_buffer;
    CommentSpan m_comment;
    bool m_lineComment;
};

bool isBlank(View s) {
    return s.find_first_not_of(" \t\r\f\v") == npos;
}
View trimRight(View s) {
    const std::size_t end = s.find_last_not_of(" \t\r\f\v");
    return end == npos ? View() : s.substr(0, end + 1);
}

// The whole lines of an entry, as they stand.
struct Slot {
    const CommentEntry *entry;
    std::size_t begin, end;
};

class Updater {
public:
    Updater(View buffer, const CommentSpan &span, const DocumentRequest &declaration,
            std::optional<Language> language)
        : m_layout(layoutComment(buffer.substr(span.begin, span.end - span.begin))),
          m_geometry(buffer, span, m_layout.lineComment), m_declaration(declaration), m_language(language) {}

    CommentUpdate run() {
        if (m_layout.request.kind == DocumentKind::File)
            return {}; // it documents the file, not the declaration after it
        for (const CommentEntry &entry : m_layout.entries)
            if (entry.kind == CommentEntry::Kind::Param)
                m_params.push_back(&entry);
        for (const ParamEntry &param : m_declaration.params)
            if (!param.name.empty())
                m_declared.push_back(&param);
        match();
        placeParams();
        addThrows();
        if (m_update.restyle)
            m_update.replacements.clear();
        std::stable_sort(m_update.replacements.begin(), m_update.replacements.end(),
                         [](const Replacement &a, const Replacement &b) {
                             return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
                         });
        return std::move(m_update);
    }

private:
    Slot slotOf(const CommentEntry &entry) const {
        const View first = m_layout.lines[entry.first], last = m_layout.lines[entry.last - 1];
        if (!m_geometry.ownLines(first, last))
            return {&entry, npos, npos};
        return {&entry, m_geometry.lineBegin(m_geometry.at(first)), m_geometry.lineEnd(m_geometry.at(last))};
    }

    // Which declared parameter each parameter line documents: its name's, or, for a name the
    // declaration no longer has, the new name at the same place between two names both know.
    void match() {
        std::vector<View> documented, declared;
        for (const CommentEntry *entry : m_params)
            documented.push_back(entry->name);
        for (const ParamEntry *param : m_declared)
            declared.emplace_back(param->name);
        m_target = matchParameters(documented, declared);
        m_documented.assign(m_declared.size(), false);
        for (std::size_t target : m_target)
            if (target != npos)
                m_documented[target] = true;
    }

    void placeParams() {
        std::vector<Slot> kept;
        std::vector<std::size_t> order; // declared index of each kept slot
        for (std::size_t i = 0; i < m_params.size(); ++i) {
            const CommentEntry &entry = *m_params[i];
            const Slot slot = slotOf(entry);
            const std::size_t target = m_target[i];
            const bool duplicate = target == npos && declaredName(entry.name);
            if (duplicate)
                continue; // a second line for a name: left as it is
            if (target == npos) {
                if (!entry.name.empty())
                    m_update.dropped.emplace_back(entry.name);
                remove(slot);
                continue;
            }
            const std::string &name = m_declared[target]->name;
            if (entry.name != name)
                rename(entry, name);
            kept.push_back(slot);
            order.push_back(target);
        }
        const bool inOrder = std::is_sorted(order.begin(), order.end());
        if (!inOrder && reorder(kept, order))
            return;
        for (std::size_t k = 0; k < m_declared.size(); ++k) {
            if (m_documented[k])
                continue;
            // After the nearest documented parameter before it, else before the first one.
            std::size_t best = npos;
            for (std::size_t s = 0; s < kept.size(); ++s)
                if (order[s] < k && (best == npos || order[s] > order[best]))
                    best = s;
            const Slot *slot = best != npos ? &kept[best] : kept.empty() ? nullptr : &kept.front();
            const CommentEntry *model = slot ? slot->entry : nullptr;
            const std::size_t at = !slot ? npos : best != npos ? slot->end : slot->begin;
            if (slot && at == npos) {
                m_update.restyle = true;
                return;
            }
            if (model)
                m_update.replacements.push_back({at, at, paramLine(*model, *m_declared[k])});
            else
                addFirstParam(*m_declared[k]);
        }
    }

    // The name changes; spaces after it grow or shrink so that the text after them keeps its
    // column.
    void rename(const CommentEntry &entry, const std::string &name) {
        const View buffer = m_geometry.buffer();
        const std::size_t at = m_geometry.at(entry.name), end = at + entry.name.size();
        const std::size_t text = std::min(buffer.find_first_not_of(' ', end), buffer.size());
        // Aligned: spaces that make a column, or continuation lines that stand in the column.
        const bool continued = entry.last - entry.first > 1;
        const bool aligned = (text - end >= 2 || (continued && text > end)) && buffer[text] != '\n' &&
                             buffer[text] != '\r' && buffer[text] != '\t';
        if (!aligned) {
            m_update.replacements.push_back({at, end, name});
            return;
        }
        const std::size_t column = entry.name.size() + (text - end);
        m_update.replacements.push_back(
            {at, text, name + std::string(column > name.size() ? column - name.size() : 1, ' ')});
    }

    bool declaredName(View name) const {
        return std::any_of(m_declared.begin(), m_declared.end(),
                           [&](const ParamEntry *param) { return param->name == name; });
    }

    void remove(const Slot &slot) {
        if (slot.begin == npos) {
            m_update.restyle = true;
            return;
        }
        m_update.replacements.push_back({slot.begin, slot.end, {}});
        // DDoc's "Params:" goes with its last row.
        if (m_layout.paramsSection && m_params.size() == 1) {
            const View header = m_layout.lines[*m_layout.paramsSection];
            if (m_geometry.ownLines(header, header)) {
                const std::size_t begin = m_geometry.lineBegin(m_geometry.at(header));
                if (m_geometry.lineEnd(begin) == slot.begin)
                    m_update.replacements.back().begin = begin;
            }
        }
    }

    // Parameter lines out of the declaration's order, one block after another with nothing but
    // them between: written again in its order, each line as it was.
    bool reorder(const std::vector<Slot> &kept, const std::vector<std::size_t> &order) {
        std::vector<Slot> all;
        for (const CommentEntry *entry : m_params)
            all.push_back(slotOf(*entry));
        for (std::size_t s = 0; s < all.size(); ++s)
            if (all[s].begin == npos || (s > 0 && all[s].begin != all[s - 1].end))
                return false;
        std::vector<std::size_t> byDeclared(kept.size());
        for (std::size_t s = 0; s < kept.size(); ++s)
            byDeclared[s] = s;
        std::sort(byDeclared.begin(), byDeclared.end(),
                  [&](std::size_t a, std::size_t b) { return order[a] < order[b]; });
        std::string text;
        std::size_t next = 0;
        const View buffer = m_geometry.buffer();
        for (std::size_t k = 0; k < m_declared.size(); ++k) {
            if (next < byDeclared.size() && order[byDeclared[next]] == k) {
                const Slot &slot = kept[byDeclared[next++]];
                text += renamed(slot);
            } else if (!m_documented[k]) {
                text += paramLine(*kept.front().entry, *m_declared[k]);
            }
        }
        // The renames and removals inside the block are part of the new text.
        const std::size_t begin = all.front().begin, end = all.back().end;
        std::erase_if(m_update.replacements,
                      [&](const Replacement &r) { return r.begin >= begin && r.end <= end; });
        if (text != buffer.substr(begin, end - begin))
            m_update.replacements.push_back({begin, end, std::move(text)});
        return true;
    }

    std::string renamed(const Slot &slot) const {
        const View buffer = m_geometry.buffer();
        std::string text(buffer.substr(slot.begin, slot.end - slot.begin));
        for (const Replacement &r : m_update.replacements)
            if (r.begin >= slot.begin && r.end <= slot.end && r.begin != r.end)
                return std::string(buffer.substr(slot.begin, r.begin - slot.begin)) + r.text +
                       std::string(buffer.substr(r.end, slot.end - r.end));
        return text;
    }

    // The line break of the line that holds `at`: CR LF or LF.
    View lineBreak(std::size_t at) const {
        const View buffer = m_geometry.buffer();
        const std::size_t end = m_geometry.lineEnd(at);
        return end >= 2 && buffer[end - 1] == '\n' && buffer[end - 2] == '\r' ? "\r\n" : "\n";
    }

    // How the comment writes directions: "in,out" or "inout", and whether it writes them at all.
    bool writesDirections() const {
        if (m_language == Language::Java)
            return false;
        return std::any_of(m_params.begin(), m_params.end(),
                           [](const CommentEntry *entry) { return !entry->direction.empty(); });
    }
    std::string direction(const std::string &guessed) const {
        if (guessed != "inout")
            return guessed;
        const bool joined = std::any_of(m_params.begin(), m_params.end(), [](const CommentEntry *entry) {
            return entry->direction == "inout";
        });
        return joined && m_language != Language::C && m_language != Language::Cpp ? "inout" : "in,out";
    }

    // A line for a new parameter, laid out as the model's line: its lead, command and direction,
    // and the name in the model's name column.
    std::string paramLine(const CommentEntry &model, const ParamEntry &param) const {
        const View head = m_layout.lines[model.first];
        const std::size_t headAt = m_geometry.at(head);
        const std::size_t lineBegin = m_geometry.lineBegin(headAt);
        const View buffer = m_geometry.buffer();
        const std::size_t nameAt = model.name.empty() ? npos : m_geometry.at(model.name);
        std::string line(buffer.substr(lineBegin, (model.command.empty() ? nameAt : headAt) - lineBegin));
        if (model.command.empty()) { // a DDoc row: "name = text"
            line += param.name;
            const std::size_t equals = buffer.find('=', nameAt + model.name.size());
            const View gap = buffer.substr(nameAt + model.name.size(), equals - nameAt - model.name.size());
            line += padding(gap, model.name.size(), param.name.size());
            line += '=';
        } else {
            line += model.command;
            if (writesDirections())
                line += "[" + direction(param.direction) + "]";
            const std::size_t headEnd = model.direction.empty()
                                            ? headAt + model.command.size()
                                            : buffer.find(']', m_geometry.at(model.direction)) + 1;
            const View gap = nameAt == npos ? View(" ") : buffer.substr(headEnd, nameAt - headEnd);
            line += padding(gap, headEnd - headAt, line.size() - (headAt - lineBegin));
            line += param.name;
        }
        line += lineBreak(headAt);
        return line;
    }

    // The blanks after a new part of `width` bytes that keep the model's column: the model had
    // `gap` after `modelWidth` bytes. Tabs are kept as they were.
    static std::string padding(View gap, std::size_t modelWidth, std::size_t width) {
        if (gap.empty())
            return " ";
        if (gap.find('\t') != npos)
            return std::string(gap);
        const std::size_t column = modelWidth + gap.size();
        return std::string(column > width ? column - width : 1, ' ');
    }

    // The lead of the comment's lines, " * " or "/// ": from a line of text that stands on a line
    // of its own.
    std::optional<std::string> lead() const {
        for (View line : m_layout.lines)
            if (!isBlank(line) && m_geometry.ownLines(line, line)) {
                const std::size_t at = m_geometry.at(line);
                return std::string(
                    m_geometry.buffer().substr(m_geometry.lineBegin(at), at - m_geometry.lineBegin(at)));
            }
        return std::nullopt;
    }

    // Where lines go that belong after the text: before the first return, exception or closing
    // command, else after the last line of text, with a blank line before them.
    std::optional<std::pair<std::size_t, bool>> tail() const {
        const auto &lines = m_layout.lines;
        if (m_layout.tagsFrom < lines.size()) {
            const View line = lines[m_layout.tagsFrom];
            if (!m_geometry.ownLines(line, line))
                return std::nullopt;
            return std::pair{m_geometry.lineBegin(m_geometry.at(line)), false};
        }
        std::size_t last = lines.size();
        while (last > 0 && isBlank(lines[last - 1]))
            --last;
        if (last == 0 || !m_geometry.ownLines(lines[last - 1], lines[last - 1]))
            return std::nullopt;
        return std::pair{m_geometry.lineEnd(m_geometry.at(lines[last - 1])), true};
    }

    char syntax() const {
        if (m_layout.command)
            return m_layout.command;
        if (m_layout.ddoc)
            return 'D';
        const SettingData::DocumentStyle style = g_settingData.documentStyle();
        if (style == SettingData::DocumentStyle::DoxygenBS && m_language != Language::Java)
            return '\\';
        if (style == SettingData::DocumentStyle::DoxygenAT || m_language != Language::D)
            return '@';
        return 'D';
    }

    // The first parameter line of a comment that has none, where the settings' layout puts it.
    void addFirstParam(const ParamEntry &param) {
        const std::optional<std::string> lead = this->lead();
        const auto place = tail();
        if (!lead || !place) {
            m_update.restyle = true;
            return;
        }
        const View br = lineBreak(place->first > 0 ? place->first - 1 : 0);
        std::string text;
        if (!m_firstParamAdded && place->second)
            text += std::string(trimRight(*lead)) + std::string(br);
        const char command = syntax();
        if (command == 'D') {
            if (!m_firstParamAdded)
                text += *lead + "Params:" + std::string(br);
            text += *lead + "    " + param.name + " =" + std::string(br);
        } else {
            text += *lead + command + "param";
            if (m_language != Language::Java)
                text += "[" + direction(param.direction) + "]";
            text += " " + param.name + std::string(br);
        }
        if (m_firstParamAdded)
            m_update.replacements.back().text += text;
        else
            m_update.replacements.push_back({place->first, place->first, std::move(text)});
        m_firstParamAdded = true;
    }

    // An exception the declaration has and the comment lacks: a line after the comment's last
    // exception, return or parameter line, in its style. DDoc has no line for a type alone.
    void addThrows() {
        std::unordered_set<std::string_view> known;
        const CommentEntry *model = nullptr, *after = nullptr;
        for (const CommentEntry &entry : m_layout.entries) {
            if (entry.kind == CommentEntry::Kind::Throw) {
                known.insert(entry.name);
                model = &entry;
            }
            if (!entry.command.empty() || entry.kind != CommentEntry::Kind::Return)
                after = &entry;
        }
        for (const ExceptionEntry &entry : m_layout.request.throws)
            known.insert(entry.type);
        std::string text;
        for (const ExceptionEntry &entry : m_declaration.throws) {
            if (known.contains(entry.type))
                continue;
            if (model && model->command.empty())
                return;
            const CommentEntry *base = model ? model : after;
            const std::optional<std::string> lead = this->lead();
            if (!lead || (base && base->command.empty())) {
                if (!base || base->command.empty())
                    return;
            }
            const View head = base ? m_layout.lines[base->first] : View();
            const View br = base ? lineBreak(m_geometry.at(head)) : View("\n");
            if (model) {
                const std::size_t headAt = m_geometry.at(head);
                const std::size_t nameAt = m_geometry.at(model->name);
                text += std::string(m_geometry.buffer().substr(m_geometry.lineBegin(headAt),
                                                               nameAt - m_geometry.lineBegin(headAt)));
                text += entry.type;
            } else if (lead && syntax() != 'D') {
                text += *lead + syntax() + "throws " + entry.type;
            } else {
                return;
            }
            text += br;
        }
        if (text.empty())
            return;
        const CommentEntry *base = model ? model : after;
        if (!base) {
            m_update.restyle = true;
            return;
        }
        const Slot slot = slotOf(*base);
        if (slot.end == npos) {
            m_update.restyle = true;
            return;
        }
        m_update.replacements.push_back({slot.end, slot.end, std::move(text)});
    }

    CommentLayout m_layout;
    Geometry m_geometry;
    const DocumentRequest &m_declaration;
    std::optional<Language> m_language;
    std::vector<const CommentEntry *> m_params;
    std::vector<const ParamEntry *> m_declared;
    std::vector<std::size_t> m_target; // per parameter line: the declared parameter, or npos
    std::vector<bool> m_documented;    // per declared parameter: it has a line
    bool m_firstParamAdded = false;
    CommentUpdate m_update;
};

} // namespace

std::vector<std::size_t> matchParameters(const std::vector<std::string_view> &documented,
                                         const std::vector<std::string_view> &declared) {
    std::unordered_map<View, std::size_t> declaredAt;
    for (std::size_t k = 0; k < declared.size(); ++k)
        if (!declared[k].empty())
            declaredAt.emplace(declared[k], k);
    std::vector<std::size_t> target(documented.size(), npos);
    std::vector<bool> taken(declared.size());
    std::unordered_set<View> seen;
    for (std::size_t i = 0; i < documented.size(); ++i) {
        const auto found = declaredAt.find(documented[i]);
        if (!documented[i].empty() && seen.insert(documented[i]).second && found != declaredAt.end()) {
            target[i] = found->second;
            taken[found->second] = true;
        }
    }
    const auto unknown = [&](std::size_t i) {
        return target[i] == npos && !documented[i].empty() && !declaredAt.contains(documented[i]);
    };
    const auto missing = [&](std::size_t k) { return !taken[k] && !declared[k].empty(); };
    const auto pair = [&](const std::vector<std::size_t> &gone, const std::vector<std::size_t> &come) {
        if (gone.size() != come.size())
            return;
        for (std::size_t n = 0; n < gone.size(); ++n) {
            target[gone[n]] = come[n];
            taken[come[n]] = true;
        }
    };
    // Between two names both know, as many names gone as new ones are renames, in order.
    std::size_t fromLine = 0, fromDeclared = 0;
    for (std::size_t i = 0; i <= documented.size(); ++i) {
        if (i < documented.size() && target[i] == npos)
            continue;
        const std::size_t toDeclared = i < documented.size() ? target[i] : declared.size();
        if (toDeclared >= fromDeclared) {
            std::vector<std::size_t> gone, come;
            for (std::size_t k = fromLine; k < i; ++k)
                if (unknown(k))
                    gone.push_back(k);
            for (std::size_t k = fromDeclared; k < toDeclared; ++k)
                if (missing(k))
                    come.push_back(k);
            pair(gone, come);
            fromDeclared = toDeclared + 1;
        }
        fromLine = i + 1;
    }
    // A name gone where a new one stands at the same place: a rename next to an addition.
    for (std::size_t i = 0; i < documented.size(); ++i)
        if (unknown(i) && i < declared.size() && missing(i))
            pair({i}, {i});
    return target;
}

std::string applyReplacements(std::string_view buffer, const std::vector<Replacement> &replacements) {
    std::string out;
    out.reserve(buffer.size());
    std::size_t at = 0;
    for (const Replacement &r : replacements) {
        out.append(buffer.substr(at, r.begin - at)).append(r.text);
        at = r.end;
    }
    out.append(buffer.substr(at));
    return out;
}

CommentOutline outlineComment(std::string_view buffer, const CommentSpan &comment) {
    CommentOutline outline;
    try {
        const CommentLayout layout = layoutComment(buffer.substr(comment.begin, comment.end - comment.begin));
        const Geometry geometry(buffer, comment, layout.lineComment);
        for (const CommentEntry &entry : layout.entries) {
            const View head = entry.command.empty() ? entry.name : entry.command;
            const Place place = geometry.place(head, layout.lines[entry.first], layout.lines[entry.last - 1]);
            if (entry.kind == CommentEntry::Kind::Return) {
                outline.returns.push_back(place);
                continue;
            }
            if (entry.kind != CommentEntry::Kind::Param)
                continue;
            std::size_t nameAt = geometry.at(entry.name);
            if (entry.name.empty()) // after the command and its direction
                nameAt = entry.direction.empty() ? geometry.at(entry.command) + entry.command.size()
                                                 : buffer.find(']', geometry.at(entry.direction)) + 1;
            outline.params.push_back({std::string(entry.name), std::string(entry.direction), place, nameAt,
                                      nameAt + entry.name.size()});
        }
    } catch (const std::exception &) {
        return {};
    }
    return outline;
}

namespace {

// A block comment whose opener or closer shares a line with its text ("/** Text. */", "text */"),
// laid out with both on lines of their own, so that lines can be added or taken away:
// "    /** Text. */" gives "    /**\n     * Text.\n     */". The comment's lines, from the start
// of its first to past its last, and where the comment lies in them. Nothing for a comment with
// code before it on its line, or one of "///" lines.
struct Opened {
    std::string text;
    CommentSpan span;
};

std::optional<Opened> openUp(View buffer, const CommentSpan &comment) {
    const View whole = buffer.substr(comment.begin, comment.end - comment.begin);
    if (!whole.starts_with("/*") && !whole.starts_with("/+"))
        return std::nullopt;
    const std::size_t lineBegin = comment.begin == 0 ? 0 : buffer.rfind('\n', comment.begin - 1) + 1;
    const View indent = buffer.substr(lineBegin, comment.begin - lineBegin);
    if (!isBlank(indent))
        return std::nullopt;
    const char mark = whole[1];
    const std::size_t textFrom =
        whole.find_first_not_of(mark, 2) == 2 && whole[2] == '!' ? 3 : whole.find_first_not_of(mark, 2);
    const View opener = whole.substr(0, textFrom == npos ? 2 : textFrom);
    const View inner = whole.substr(opener.size(), whole.size() - opener.size() - 2);
    const std::string lead = std::string(indent) + ' ' + mark;
    const std::size_t lineEnd = buffer.find('\n', comment.end);
    const std::string br = lineEnd != npos && lineEnd > 0 && buffer[lineEnd - 1] == '\r' ? "\r\n" : "\n";
    // Text on the opener's line moves only from a comment of one line.
    const bool oneLine = inner.find('\n') == npos;
    std::string text = std::string(indent) + std::string(opener) + (oneLine ? br : "");
    std::size_t lines = oneLine ? 1 : 0;
    std::size_t at = 0;
    for (bool first = true; at <= inner.size(); first = false) {
        const std::size_t lf = inner.find('\n', at);
        View line = inner.substr(at, lf == npos ? npos : lf - at);
        at = lf == npos ? inner.size() + 1 : lf + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const View bare = trimRight(line);
        if (first && !oneLine) {
            text += std::string(line) + br;
            ++lines;
        } else if (first) {
            const std::size_t from = bare.find_first_not_of(" \t");
            if (from != npos) {
                text += lead + " " + std::string(bare.substr(from)) + br;
                ++lines;
            }
        } else if (!isBlank(bare) || lf != npos) {
            text += std::string(bare) + br;
            ++lines;
        }
    }
    text += lead + "/";
    const std::size_t end = text.size();
    text += buffer.substr(comment.end, lineEnd == npos ? npos : lineEnd + 1 - comment.end);
    return Opened{text, {indent.size(), end, 1, lines + 1}};
}

} // namespace

CommentUpdate updateComment(std::string_view buffer, const CommentSpan &comment,
                            const DocumentRequest &declaration, std::optional<Language> language) {
    try {
        CommentUpdate update = Updater(buffer, comment, declaration, language).run();
        if (!update.restyle)
            return update;
        // Lines to add or take away where the opener or closer stands: open the comment up.
        const std::optional<Opened> opened = openUp(buffer, comment);
        if (!opened)
            return update;
        CommentUpdate inner = Updater(opened->text, opened->span, declaration, language).run();
        if (inner.restyle)
            return update;
        const std::size_t begin = comment.begin == 0 ? 0 : buffer.rfind('\n', comment.begin - 1) + 1;
        const std::size_t lf = buffer.find('\n', comment.end);
        const std::size_t end = lf == npos ? buffer.size() : lf + 1;
        inner.replacements = {{begin, end, applyReplacements(opened->text, inner.replacements)}};
        return inner;
    } catch (const std::exception &) {
        return {{}, {}, true};
    }
}
