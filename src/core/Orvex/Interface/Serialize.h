#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace Orvex {

// A byte sink: takes every byte it is given, in order.
class ISaver {
public:
    virtual ~ISaver() = default;
    virtual void write(const void *data, std::uint64_t count) = 0;
};

// A byte source. read puts up to count bytes into the buffer and returns how many it put;
// at the end of the stream it puts fewer (or none) and leaves the rest of the buffer as it was.
// remaining is the number of bytes a reader can still get, so that a damaged length field
// never makes it allocate or loop beyond what the stream holds.
class ILoader {
public:
    virtual ~ILoader() = default;
    virtual std::uint64_t read(void *buffer, std::uint64_t count) = 0;
    virtual std::uint64_t remaining() const = 0;
};

class ISerializer {
public:
    virtual ~ISerializer() = default;
    virtual void Save(ISaver &saver) = 0;
    virtual void Load(ILoader &loader) = 0;
};

// Appends what it is given to a string that the caller owns.
class StringSaver : public ISaver {
public:
    explicit StringSaver(std::string &out) : m_out(out) {}
    void write(const void *data, std::uint64_t count) override {
        m_out.append(static_cast<const char *>(data), count);
    }

private:
    std::string &m_out;
};

// Reads from bytes that the caller keeps alive.
class MemoryLoader : public ILoader {
public:
    explicit MemoryLoader(std::string_view bytes) : m_bytes(bytes) {}
    std::uint64_t read(void *buffer, std::uint64_t count) override {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_bytes.size()));
        if (n != 0)
            std::memcpy(buffer, m_bytes.data(), n);
        m_bytes.remove_prefix(n);
        return n;
    }
    std::uint64_t remaining() const override { return m_bytes.size(); }

private:
    std::string_view m_bytes;
};

} // namespace Orvex
