#include "core/common/settingrecord.h"

#include "core/Orvex/Exception.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CSettingData record;

using Texts = std::array<const char *, 3>;
constexpr Texts commentTexts{"/**_*/", "///_", "/++_+/"};
constexpr Texts documentTexts{"\\", "@", "DDoc"};
constexpr Texts spacingTexts{"Tab", "Space", "TabSpace"};

// Value 0 as the first text, 1 as the second, any other value as the third.
template <class Enum> const char *storedText(Enum value, const Texts &texts) {
    const auto i = static_cast<std::int32_t>(value);
    return texts[i == 0 || i == 1 ? i : 2];
}

// The first text gives 0, the second 1, any other text 2; no text gives the default.
template <class Enum> Enum fromText(const std::string *text, const Texts &texts, Enum absent) {
    if (!text)
        return absent;
    if (*text == texts[0])
        return Enum(0);
    return Enum(*text == texts[1] ? 1 : 2);
}

std::uint32_t numberOr(const std::string *text, std::uint32_t absent) {
    return text ? readSettingNumber(*text) : absent;
}

bool flagOr(const std::string *text, bool absent) {
    return text ? *text == "true" : absent;
}

std::string textOr(const std::string *text, const char *absent) {
    return text ? *text : absent;
}

// The value of the leaf directly under the root, or null when the key is absent or holds no leaf.
const std::string *leafAt(const Orvex::TSetting &tree, const std::string &key) {
    const auto &root = tree.root();
    if (!root->isBranch())
        return nullptr;
    const auto child = root->toBranch().find(key);
    return child && child->isLeaf() ? &child->toLeaf() : nullptr;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { close(); }
    int get() const { return m_fd; }
    bool close() {
        const bool ok = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

// The whole content of a regular file. A directory, a pipe or a device is refused, so that
// pointing the settings at /dev/zero cannot read without end.
std::string readFile(const std::string &path) {
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Orvex::Exception("setting file unreadable");
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Orvex::Exception("setting file unreadable");
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

bool writeAll(int fd, const std::string &bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A file the user may not change, even where the permission check lets root through.
bool readOnly(const std::string &path, const struct stat &st) {
    return !S_ISREG(st.st_mode) || ::access(path.c_str(), W_OK) != 0 ||
           (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void syncDirectoryOf(const std::string &path) {
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    FileDescriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Puts the bytes in place of the file so that, whatever fails, the file holds either its old
// content or the new one: write a temporary file beside it, flush it, rename it over.
bool replaceFile(std::string path, const std::string &bytes) {
    // Replace the file a symbolic link points to, not the link.
    if (char *real = ::realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && readOnly(path, st))
        return false;
    const mode_t mode = exists ? st.st_mode & 07777 : 0666 & ~currentUmask();

    std::string temporary = path + ".tmp-XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    if (exists) {
        // Keep the old file's owner (root saving a user's settings); where that is not
        // allowed, the file belongs to whoever saves it.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), st.st_uid, st.st_gid);
    }
    const bool written = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

} // namespace

CSettingData &g_settingRecord = record;
SettingData &g_settingData = record;

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

void CSettingData::Save() {
    m_setting.opIndexAssign(storedText(m_commentStyle, commentTexts), "CommentStyle");
    m_setting.opIndexAssign(storedText(m_documentStyle, documentTexts), "DocumentStyle");
    m_setting.opIndexAssign(storedText(m_spacingStyle, spacingTexts), "SpacingStyle");
    m_setting.opIndexAssign(std::to_string(m_spacingSize), "SpacingSize");
    m_setting.opIndexAssign(m_boxingHeadStyle ? "true" : "false", "BoxingHeadStyle");
    m_setting.opIndexAssign(m_boxingFootStyle ? "true" : "false", "BoxingFootStyle");
    m_setting.opIndexAssign(std::to_string(m_boxingSize), "BoxingSize");
    m_setting.opIndexAssign(m_dateFormat, "DateFormat");
    m_setting.opIndexAssign(m_copyright, "Copyright");
    m_setting.opIndexAssign(m_author, "Author");

    bool saved = false;
    try {
        std::string bytes;
        Orvex::StringSaver sink(bytes);
        m_setting.Save(sink);
        saved = replaceFile(m_path, bytes);
    } catch (const std::exception &) {
    }
    if (!saved)
        throw Orvex::Exception("ファイルの保存に失敗しました。");
}

void CSettingData::Load() {
    try {
        const std::string bytes = readFile(m_path);
        Orvex::MemoryLoader source(bytes);
        m_setting.Load(source);
    } catch (const std::exception &) {
        // A missing or damaged file is silent: the tree keeps what it had, or what was read
        // before the damage.
    }
    // Only a damaged file leaves a leaf at the root; keeping it would make every later Save fail.
    if (m_setting.root()->isLeaf())
        m_setting.root()->clear();

    const auto leaf = [this](const char *key) { return leafAt(m_setting, key); };
    m_commentStyle = fromText(leaf("CommentStyle"), commentTexts, CommentStyle::D);
    m_documentStyle = fromText(leaf("DocumentStyle"), documentTexts, DocumentStyle::DDoc);
    m_spacingStyle = fromText(leaf("SpacingStyle"), spacingTexts, SpacingStyle::Tab);
    m_spacingSize = numberOr(leaf("SpacingSize"), 4);
    m_boxingHeadStyle = flagOr(leaf("BoxingHeadStyle"), true);
    m_boxingFootStyle = flagOr(leaf("BoxingFootStyle"), false);
    m_boxingSize = numberOr(leaf("BoxingSize"), 100);
    m_dateFormat = textOr(leaf("DateFormat"), defaultDateFormat);
    m_copyright = textOr(leaf("Copyright"), "");
    m_author = textOr(leaf("Author"), "");
}

std::int32_t CSettingData::windowX() const {
    return static_cast<std::int32_t>(numberOr(leafAt(m_setting, "WindowX"), 0));
}

std::int32_t CSettingData::windowY() const {
    return static_cast<std::int32_t>(numberOr(leafAt(m_setting, "WindowY"), 0));
}
