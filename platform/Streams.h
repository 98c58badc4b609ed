#pragma once

#include <string>
#include <string_view>

namespace lex {

// A destination for bytes: the writers fill one without knowing whether it is
// memory or a file.
class OutputStream {
public:
    virtual ~OutputStream() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Appends to a string the caller owns (the in-memory stream).
class StringOutputStream final : public OutputStream {
public:
    explicit StringOutputStream(std::string& target) : target_(target) {}
    void Write(std::string_view bytes) override { target_.append(bytes); }

private:
    std::string& target_;
};

} // namespace lex

namespace lex {

// Collects small pieces in a block and hands the stream whole blocks, so
// writers can append field by field without a call through the stream each time.
class BufferedWriter {
public:
    explicit BufferedWriter(OutputStream& stream) : stream_(stream) { buffer_.reserve(Block * 2); }
    std::string& Buffer() { return buffer_; }
    void FlushIfFull() {
        if (buffer_.size() >= Block) Flush();
    }
    void Flush() {
        stream_.Write(buffer_);
        buffer_.clear();
    }

private:
    static constexpr size_t Block = 1 << 16;
    OutputStream& stream_;
    std::string buffer_;
};

} // namespace lex
