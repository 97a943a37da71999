#include "core/Orvex/System/File.h"

#include "core/Orvex/Exception.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orvex {

namespace {

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

} // namespace

std::string readRegularFile(const std::string &path) {
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Exception("File.read:読めないファイル。");
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Exception("File.read:読めないファイル。");
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool replaceFile(std::string path, std::string_view bytes) {
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

} // namespace Orvex
