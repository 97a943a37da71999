#include "core/common/settingrecord.h"

#include "core/Orvex/Exception.h"

#include "core/Orvex/System/File.h"
#include "core/common/languagerule.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

CSettingData record;

// The settings a rendering on this thread reads instead of the record (UseSettings).
thread_local const SettingData *t_inForce = nullptr;

// g_settingData: the record, except while a rendering for one language is under way on this thread.
class SettingsInForce final : public SettingData {
public:
    CommentStyle commentStyle() const override { return in().commentStyle(); }
    DocumentStyle documentStyle() const override { return in().documentStyle(); }
    SpacingStyle spacingStyle() const override { return in().spacingStyle(); }
    std::uint32_t spacingSize() const override { return in().spacingSize(); }
    bool boxingHeadStyle() const override { return in().boxingHeadStyle(); }
    bool boxingFootStyle() const override { return in().boxingFootStyle(); }
    std::string dateFormat() const override { return in().dateFormat(); }
    std::string copyright() const override { return in().copyright(); }
    std::string author() const override { return in().author(); }
    std::uint32_t boxingSize() const override { return in().boxingSize(); }

private:
    static const SettingData &in() { return t_inForce ? *t_inForce : record; }
} inForce;

// Value 0 as the first name, 1 as the second, any other value as the third.
template <class Enum> const char *nameOf(Enum value, const std::array<const char *, 3> &names) {
    const auto i = static_cast<std::int32_t>(value);
    return names[i == 0 || i == 1 ? i : 2];
}

// The first name gives 0, the second 1, any other text 2.
template <class Enum> Enum fromName(const std::string &text, const std::array<const char *, 3> &names) {
    if (text == names[0])
        return Enum(0);
    return Enum(text == names[1] ? 1 : 2);
}

using CS = SettingData::CommentStyle;
using DS = SettingData::DocumentStyle;
using SS = SettingData::SpacingStyle;
using R = CSettingData;

const SettingField table[] = {
    {"CommentStyle", &R::m_commentStyle, "/++_+/", {"/**_*/", "///_", "/++_+/"}},
    {"DocumentStyle", &R::m_documentStyle, "DDoc", {"\\", "@", "DDoc"}},
    {"SpacingStyle", &R::m_spacingStyle, "Tab", {"Tab", "Space", "TabSpace"}},
    {"SpacingSize", &R::m_spacingSize, "4", {}, SettingData::minSpacingSize, SettingData::maxSpacingSize},
    {"BoxingHeadStyle", &R::m_boxingHeadStyle, "true"},
    {"BoxingFootStyle", &R::m_boxingFootStyle, "false"},
    {"BoxingSize", &R::m_boxingSize, "100", {}, SettingData::minBoxingSize, SettingData::maxBoxingSize},
    {"DateFormat", &R::m_dateFormat, defaultDateFormat},
    {"Copyright", &R::m_copyright, ""},
    {"Author", &R::m_author, ""},
};

// The value of the leaf directly under the root, or null when the key is absent or holds no leaf.
const std::string *leafAt(const Orvex::TSetting &tree, const std::string &key) {
    const auto &root = tree.root();
    if (!root->isBranch())
        return nullptr;
    const auto child = root->toBranch().find(key);
    return child && child->isLeaf() ? &child->toLeaf() : nullptr;
}

std::int32_t storedPosition(const Orvex::TSetting &tree, const char *key) {
    const std::string *text = leafAt(tree, key);
    return static_cast<std::int32_t>(text ? readSettingNumber(*text) : 0);
}

// The table names the record's members; the values are SettingValues' own, so they read as well
// in a copy of them.
template <class T> T SettingValues::*own(T CSettingData::*member) {
    return static_cast<T SettingValues::*>(member);
}

constexpr const char *languagesKey = "Languages";

using NodePtr = Orvex::TSetting::NodePtr;

// The branch's children without the one under `key`.
void removeChild(Orvex::TSetting::Node &branch, const std::string &key) {
    if (!branch.isBranch() || !branch.getChildNode(key))
        return;
    Orvex::TSetting::Map kept;
    for (const auto &[name, child] : branch.toBranch())
        if (name != key)
            kept.put(name, child);
    branch.clear();
    if (kept.size() > 0)
        branch.setBranch(std::move(kept));
}

// A child branch under `key`, made when missing; a leaf there gives way to it.
NodePtr branchUnder(Orvex::TSetting::Node &parent, const std::string &key) {
    NodePtr child = parent.isBranch() ? parent.getChildNode(key) : nullptr;
    if (child && child->isLeaf())
        child->clear();
    return child ? child : parent.opIndex(key);
}

// "Languages" in the tree: a branch per language, a leaf per setting the language chose. Keys
// the program does not know stay; a language without a choice, and "Languages" without one,
// are removed, so that a file whose choices are all unset is the file it was before.
void storeLanguageChoices(Orvex::TSetting::Node &root, const std::map<Language, LanguageChoice> &choices) {
    const NodePtr existing = root.getChildNode(languagesKey);
    if (choices.empty() && !(existing && existing->isBranch()))
        return;
    const NodePtr languages = branchUnder(root, languagesKey);
    for (const Language language : allLanguages) {
        const std::string name(languageName(language));
        const auto choice = choices.find(language);
        NodePtr node = languages->isBranch() ? languages->getChildNode(name) : nullptr;
        if (choice == choices.end() && !(node && node->isBranch()))
            continue;
        node = branchUnder(*languages, name);
        for (const SettingField &field : table) {
            if (!isLanguageSetting(field.key))
                continue;
            const auto text = choice == choices.end() ? nullptr : &choice->second;
            const auto chosen = text ? text->find(field.key) : LanguageChoice::const_iterator{};
            if (text && chosen != text->end())
                node->opIndexAssign(chosen->second, field.key);
            else
                removeChild(*node, field.key);
        }
        if (!node->isBranch())
            removeChild(*languages, name);
    }
    if (!languages->isBranch())
        removeChild(root, languagesKey);
}

std::map<Language, LanguageChoice> loadLanguageChoices(const Orvex::TSetting &tree) {
    std::map<Language, LanguageChoice> choices;
    const auto &root = tree.root();
    const NodePtr languages = root->isBranch() ? root->getChildNode(languagesKey) : nullptr;
    if (!languages || !languages->isBranch())
        return choices;
    for (const Language language : allLanguages) {
        const NodePtr node = languages->getChildNode(std::string(languageName(language)));
        if (!node || !node->isBranch())
            continue;
        LanguageChoice choice;
        for (const SettingField &field : table) {
            const NodePtr value = isLanguageSetting(field.key) ? node->getChildNode(field.key) : nullptr;
            if (value && value->isLeaf())
                choice.emplace(field.key, value->toLeaf());
        }
        if (!choice.empty())
            choices.emplace(language, std::move(choice));
    }
    return choices;
}

} // namespace

CSettingData &g_settingRecord = record;
SettingData &g_settingData = inForce;

UseSettings::UseSettings(const SettingData &settings) : m_previous(t_inForce) {
    t_inForce = &settings;
}

UseSettings::~UseSettings() {
    t_inForce = m_previous;
}

WrittenNumber readWrittenNumber(std::string_view text) {
    WrittenNumber number;
    std::size_t i = 0;
    for (; i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '+' || text[i] == '-'); ++i)
        if (text[i] != ' ' && text[i] != '\t')
            number.negative = text[i] == '-';

    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (text[i + 1]) {
        case 'x':
        case 'X':
            base = 16;
            ++i;
            break;
        case 'b':
        case 'B':
            base = 2;
            ++i;
            break;
        case 'o':
        case 'O':
            base = 8;
            ++i;
            break;
        default:
            break;
        }
        ++i;
    }

    // The low 32 bits wrap as unsigned arithmetic does; `whole` stops growing once it is too big.
    std::uint64_t whole = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const unsigned digit = c >= '0' && c <= '9'   ? unsigned(c - '0')
                               : c >= 'a' && c <= 'z' ? unsigned(c - 'a' + 10)
                               : c >= 'A' && c <= 'Z' ? unsigned(c - 'A' + 10)
                                                      : UINT_MAX;
        if (digit >= base)
            break;
        number.low32 = number.low32 * base + digit;
        if (!number.above32) {
            whole = whole * base + digit;
            number.above32 = whole > UINT32_MAX;
        }
    }
    return number;
}

std::uint32_t readSettingNumber(std::string_view text) {
    const WrittenNumber number = readWrittenNumber(text);
    return number.negative ? 0u - number.low32 : number.low32;
}

std::string CSettingData::settingsPath() const {
    if (!m_path.empty())
        return m_path;
    constexpr const char *here = "setting.dat";
    if (::access(here, F_OK) == 0)
        return here;
    // A relative XDG_CONFIG_HOME is to be ignored, as an unset one.
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/remarkist/setting.dat";
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config/remarkist/setting.dat";
    return here;
}

void CSettingData::Save() {
    for (const SettingField &field : table)
        m_setting.opIndexAssign(field.storedText(*this), field.key);
    storeLanguageChoices(*m_setting.root(), m_languageChoices);

    bool saved = false;
    try {
        std::string bytes;
        Orvex::StringSaver sink(bytes);
        m_setting.Save(sink);
        const std::filesystem::path path = settingsPath();
        if (m_path.empty() && path.has_parent_path()) {
            std::error_code ignored; // a folder that cannot be made fails the save below
            std::filesystem::create_directories(path.parent_path(), ignored);
        }
        saved = Orvex::replaceFile(path, bytes);
    } catch (const std::exception &) {
    }
    if (!saved)
        throw Orvex::Exception("ファイルの保存に失敗しました。");
}

void CSettingData::Load() {
    try {
        const std::string bytes = Orvex::readRegularFile(settingsPath());
        Orvex::MemoryLoader source(bytes);
        m_setting.Load(source);
    } catch (const std::exception &) {
        // A missing or damaged file is silent: the tree keeps what it had, or what was read
        // before the damage.
    }
    // Only a damaged file leaves a leaf at the root; keeping it would make every later Save fail.
    if (m_setting.root()->isLeaf())
        m_setting.root()->clear();

    for (const SettingField &field : table)
        field.read(*this, leafAt(m_setting, field.key));
    m_languageChoices = loadLanguageChoices(m_setting);
}

void CSettingData::resetToFirstStart() {
    for (const SettingField &field : table)
        field.read(*this, nullptr);
    m_languageChoices.clear();
}

SettingValues CSettingData::inheritedFor(Language language) const {
    SettingValues values = *this;
    fitToLanguage(values, language);
    return values;
}

SettingValues CSettingData::settingsFor(Language language) const {
    SettingValues values = *this;
    if (const auto choice = m_languageChoices.find(language); choice != m_languageChoices.end())
        for (const auto &[key, text] : choice->second)
            settingField(key).read(values, &text);
    fitToLanguage(values, language);
    return values;
}

void CSettingData::chooseForLanguage(Language language, const SettingValues &wanted) {
    const SettingValues inherited = inheritedFor(language);
    LanguageChoice choice;
    for (const SettingField &field : table) {
        if (!isLanguageSetting(field.key))
            continue;
        std::string text = field.storedText(wanted);
        if (text != field.storedText(inherited))
            choice.emplace(field.key, std::move(text));
    }
    if (choice.empty())
        m_languageChoices.erase(language);
    else
        m_languageChoices[language] = std::move(choice);
}

std::string SettingField::storedText(const SettingValues &values) const {
    return std::visit(Overloaded{
                          [&](std::uint32_t R::*number) { return std::to_string(values.*own(number)); },
                          [&](bool R::*flag) { return std::string(values.*own(flag) ? "true" : "false"); },
                          [&](std::string R::*text) { return values.*own(text); },
                          [&](auto R::*choice) { return std::string(nameOf(values.*own(choice), names)); },
                      },
                      member);
}

void SettingField::read(SettingValues &values, const std::string *text) const {
    const std::string stored = text ? *text : firstStart;
    std::visit(Overloaded{
                   [&](std::uint32_t R::*number) { values.*own(number) = readSettingNumber(stored); },
                   [&](bool R::*flag) { values.*own(flag) = stored == "true"; },
                   [&](std::string R::*field) { values.*own(field) = stored; },
                   [&]<class Enum>(Enum R::*choice) { values.*own(choice) = fromName<Enum>(stored, names); },
               },
               member);
}

std::uint32_t SettingField::firstStartNumber() const {
    return readSettingNumber(firstStart);
}

std::span<const SettingField> settingTable() {
    return table;
}

const SettingField &settingField(std::string_view key) {
    for (const SettingField &field : table)
        if (key == field.key)
            return field;
    throw Orvex::Exception("settingField: no setting " + std::string(key));
}

bool isLanguageSetting(std::string_view key) {
    return key != "DateFormat" && key != "Copyright" && key != "Author" &&
           std::any_of(std::begin(table), std::end(table),
                       [key](const SettingField &f) { return key == f.key; });
}

std::int32_t CSettingData::windowX() const {
    return storedPosition(m_setting, "WindowX");
}

std::int32_t CSettingData::windowY() const {
    return storedPosition(m_setting, "WindowY");
}
