#pragma once

#include "platform/Streams.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lex {

// What a file held when it was read, to tell later whether someone else has
// changed it since. A file that did not exist has the empty identity.
struct FileIdentity {
    bool Exists = false;
    std::uint64_t Size = 0;
    std::int64_t ModifiedNs = 0; // modification time in nanoseconds
    std::uint64_t Hash = 0;      // HashBytes of the content
    bool operator==(const FileIdentity&) const = default;
};

// A fast 64-bit hash of bytes fed in pieces, to recognise the same bytes
// again (not against attacks). Where the pieces are cut does not matter.
class ByteHasher {
public:
    void Add(std::string_view bytes);
    std::uint64_t Finish() const;

private:
    void Block(const char* block);
    std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                               0x27D4EB2F165667C5ull};
    std::uint64_t length_ = 0;
    std::string pending_; // less than a block
};

std::uint64_t HashBytes(std::string_view bytes);

// What the file at path holds now (reads it whole); the empty identity when
// it does not exist. EFOpenError when it exists but cannot be read.
FileIdentity CurrentFileIdentity(const std::string& path);
// Whether the file at path still holds what Known describes. The same size
// and modification time count as unchanged; only when the time moved are the
// bytes read, so that a checkout that wrote the same bytes again is no change.
bool FileUnchanged(const std::string& path, const FileIdentity& Known);

// The whole file as bytes; EFOpenError names the file and the reason. With
// identity, also what was read, from the same bytes.
std::string ReadFileBytes(const std::string& path, FileIdentity* identity = nullptr);

// Replaces a file atomically: bytes go to a temporary file in the target's
// folder, which Commit() flushes to disk and renames over the target, then
// flushes the folder. Until then the target is untouched; a writer destroyed
// without Commit() (an exception on the way) removes the temporary file, so a
// failed save never leaves a half-written lexicon or litter behind. A path
// that is a symbolic link replaces the file the link names; the new file
// keeps the old one's owner (where the user may give it) and mode.
//
// A file whose mode forbids writing is never replaced, even where the folder
// would allow the rename (and for root, when nobody may write it). With an
// expected identity, Commit() refuses with EFileChanged when the file is no
// longer what was read, checked just before the rename. The temporary's name
// carries the writer's process ID and the writer holds a lock on it, so that
// the next save of the same file removes what a crashed save left behind
// without touching a save running now.
class AtomicFile final : public OutputStream {
public:
    // EFCreateError when the folder refuses, the file is read-only or the
    // old file's mode cannot be kept.
    explicit AtomicFile(std::string path, const FileIdentity* expected = nullptr);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(std::string_view bytes) override; // EWriteError on a failed write
    void Commit();
    // After Commit(): the identity of the file as written.
    const FileIdentity& Written() const { return written_; }

private:
    void RemoveStaleTemporaries(const std::string& prefix) const;
    void CheckTarget() const;
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
    const FileIdentity* expected_;
    ByteHasher hasher_;
    FileIdentity written_;
    int fd_ = -1;
};

// Runs `write` on an AtomicFile for `path` and commits it when `write` returns;
// returns the identity of the file written.
FileIdentity WriteFileAtomically(const std::string& path,
                                 const std::function<void(OutputStream&)>& write,
                                 const FileIdentity* expected = nullptr);

} // namespace lex
