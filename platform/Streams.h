#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
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
// writers can add field by field without a call through the stream each
// time, and encode straight into the block.
class BufferedWriter {
public:
    explicit BufferedWriter(OutputStream& stream) : stream_(stream) {}

    // Room for `n` more bytes; Commit says how many of them were written.
    char* Claim(size_t n) {
        if (size_ + n > capacity_) MakeRoom(n);
        return data_.get() + size_;
    }
    void Commit(size_t n) { size_ += n; }
    void Append(std::string_view bytes) {
        std::memcpy(Claim(bytes.size()), bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    void Append(char c) {
        *Claim(1) = c;
        ++size_;
    }
    void FlushIfFull() {
        if (size_ >= Block) Flush();
    }
    void Flush() {
        stream_.Write(std::string_view(data_.get(), size_));
        size_ = 0;
    }

private:
    static constexpr size_t Block = 1 << 16;

    void MakeRoom(size_t n) {
        if (size_ > 0) Flush();
        if (n > capacity_) {
            capacity_ = std::max(n, 2 * Block);
            data_ = std::make_unique<char[]>(capacity_);
        }
    }

    OutputStream& stream_;
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

} // namespace lex
