#pragma once

#include "platform/Streams.h"

#include <functional>
#include <string>

namespace lex {

// The whole file as bytes; EFOpenError names the file and the reason.
std::string ReadFileBytes(const std::string& path);

// Replaces a file atomically: bytes go to a temporary file in the target's
// folder, which Commit() flushes to disk and renames over the target, then
// flushes the folder. Until then the target is untouched; a writer destroyed
// without Commit() (an exception on the way) removes the temporary file, so a
// failed save never leaves a half-written lexicon or litter behind. A path
// that is a symbolic link replaces the file the link names; the new file
// keeps the old one's owner (where the user may give it) and mode.
class AtomicFile final : public OutputStream {
public:
    // EFCreateError when the folder refuses or the old file's mode cannot be kept.
    explicit AtomicFile(std::string path);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(std::string_view bytes) override; // EWriteError on a failed write
    void Commit();

private:
    void KeepAttributes();
    [[noreturn]] void ThrowAttributeError() const;
    void Flush();
    void WriteAll(std::string_view bytes);
    void Discard() noexcept;

    std::string path_;   // as given, for messages
    std::string target_; // the file the path names, through any links
    std::string folder_;
    std::string tempPath_;
    std::string buffer_;
    int fd_ = -1;
};

// Runs `write` on an AtomicFile for `path` and commits it when `write` returns.
void WriteFileAtomically(const std::string& path, const std::function<void(OutputStream&)>& write);

} // namespace lex
