#include "platform/FileUtil.h"

#include "platform/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {
namespace {

constexpr size_t BufferLimit = 1 << 20;

std::string Reason() {
    return std::strerror(errno);
}

[[noreturn]] void ThrowCreateError(const std::string& path) {
    throw EFCreateError(FormatText(SFCreateError, {path}) + ". " + Reason());
}

// The file a save replaces: a symbolic link, or a chain of them, is followed
// to the file it names, which need not exist yet, so that the link stays a
// link and the file it points to gets the new content.
std::string SaveTarget(const std::string& path) {
    std::string target = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return target;
        if (hops == 40) {
            errno = ELOOP;
            ThrowCreateError(path);
        }
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) ThrowCreateError(path);
        if (static_cast<size_t>(length) == link.size()) continue; // grew meanwhile: again
        link.resize(static_cast<size_t>(length));
        const size_t slash = target.rfind('/');
        target = link.starts_with('/') || slash == std::string::npos
                     ? link
                     : target.substr(0, slash + 1) + link;
    }
}

constexpr size_t HashBlock = 32;

std::uint64_t Word(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Mix(std::uint64_t hash) {
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
}

std::int64_t ModifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

// Whether the mode keeps this user from writing the file. Root may write
// anything, but a file nobody may write (a checked-out 444 file) is meant to
// stay as it is, so for root the mode bits decide.
bool ModeForbidsWriting(const std::string& path, const struct stat& info) {
    if (::geteuid() == 0) return (info.st_mode & 0222) == 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

// A temporary of a save that has ended without committing: its process is
// gone and nobody holds its lock (the lock also covers a writer on another
// host of a shared folder whose process ID means nothing here).
bool AbandonedTemporary(const std::string& path, pid_t pid) {
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool unlocked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unlocked;
}

} // namespace

void ByteHasher::Block(const char* block) {
    // Four independent lanes keep the multiplier busy: hashing a large
    // lexicon costs little beside reading it.
    for (size_t i = 0; i < 4; ++i) {
        std::uint64_t& lane = lanes_[i];
        lane ^= Word(block + 8 * i);
        lane *= 0x9FB21C651E98DF25ull;
        lane ^= lane >> 29;
    }
}

void ByteHasher::Add(std::string_view bytes) {
    length_ += bytes.size();
    if (!pending_.empty()) {
        const size_t take = std::min(HashBlock - pending_.size(), bytes.size());
        pending_.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (pending_.size() < HashBlock) return;
        Block(pending_.data());
        pending_.clear();
    }
    for (; bytes.size() >= HashBlock; bytes.remove_prefix(HashBlock))
        Block(bytes.data());
    pending_.assign(bytes);
}

std::uint64_t ByteHasher::Finish() const {
    char tail[HashBlock] = {};
    std::memcpy(tail, pending_.data(), pending_.size());
    ByteHasher last = *this;
    last.Block(tail);
    std::uint64_t hash = Mix(length_);
    for (const std::uint64_t lane : last.lanes_)
        hash = Mix(hash ^ lane);
    return hash;
}

std::uint64_t HashBytes(std::string_view bytes) {
    ByteHasher hasher;
    hasher.Add(bytes);
    return hasher.Finish();
}

FileIdentity CurrentFileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return {};
        throw EFOpenError(FormatText(SFOpenError, {path, Reason()}));
    }
    FileIdentity identity;
    ReadFileBytes(path, &identity);
    return identity;
}

bool FileUnchanged(const std::string& path, const FileIdentity& Known) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return !Known.Exists && errno == ENOENT;
    if (!Known.Exists || static_cast<std::uint64_t>(info.st_size) != Known.Size) return false;
    return ModifiedNs(info) == Known.ModifiedNs || CurrentFileIdentity(path).Hash == Known.Hash;
}

std::string ReadFileBytes(const std::string& path, FileIdentity* identity) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError(FormatText(SFOpenError, {path, Reason()}));
    std::string bytes;
    struct stat info {};
    // The time from before the read: a write while we read moves it on, so
    // the next comparison looks at the bytes and sees the change.
    const bool known = ::fstat(fd, &info) == 0;
    // Read straight into the string: a buffer on the stack cost a second copy
    // of every byte. One byte more than the size lets the end show without
    // growing; a file that grows while we read doubles the room.
    bytes.resize(known && info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 1 << 16);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(2 * bytes.size());
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n > 0) {
            filled += static_cast<size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const std::string reason = Reason();
            ::close(fd);
            throw EFOpenError(FormatText(SFOpenError, {path, reason}));
        }
    }
    ::close(fd);
    bytes.resize(filled);
    if (identity) *identity = {true, bytes.size(), known ? ModifiedNs(info) : 0, HashBytes(bytes)};
    return bytes;
}

AtomicFile::AtomicFile(std::string path, const FileIdentity* expected)
    : path_(std::move(path)), target_(SaveTarget(path_)), expected_(expected) {
    const size_t slash = target_.rfind('/');
    folder_ = slash == std::string::npos ? "./" : target_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    CheckTarget();
    const std::string prefix = "." + name + ".";
    RemoveStaleTemporaries(prefix);
    tempPath_ = folder_ + prefix + std::to_string(::getpid()) + ".XXXXXX";
    fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
    if (fd_ < 0) ThrowCreateError(path_);
    try {
        if (::flock(fd_, LOCK_EX) != 0) ThrowCreateError(path_);
        KeepAttributes();
    } catch (...) {
        Discard();
        throw;
    }
    buffer_.reserve(BufferLimit);
}

void AtomicFile::RemoveStaleTemporaries(const std::string& prefix) const {
    DIR* folder = ::opendir(folder_.c_str());
    if (!folder) return; // creating the temporary will say what is wrong
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        // PID.XXXXXX: the process ID, a dot and mkstemp's six characters.
        const std::string_view rest = name.substr(prefix.size());
        const size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string_view::npos || rest.size() - dot != 7 ||
            rest.find_first_not_of("0123456789") != dot)
            continue;
        const std::string candidate = folder_ + std::string(name);
        if (AbandonedTemporary(candidate,
                               static_cast<pid_t>(std::stol(std::string(rest.substr(0, dot))))))
            ::unlink(candidate.c_str());
    }
    ::closedir(folder);
}

void AtomicFile::CheckTarget() const {
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0 && ModeForbidsWriting(target_, info))
        throw EFCreateError(FormatText(SFReplaceError, {path_, std::strerror(EACCES)}));
    if (expected_ && !FileUnchanged(target_, *expected_))
        throw EFileChanged(FormatText(SFChangedError, {path_}));
}

void AtomicFile::KeepAttributes() {
    // mkstemp makes the file private and ours; give it the target's owner
    // and mode, or the mode a newly created file would get.
    struct stat existing {};
    mode_t mode;
    if (::stat(target_.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
        // Only root may give a file away; anyone else keeps the group where
        // they belong to it, and otherwise becomes the owner, as any editor
        // that replaces a file does.
        if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
            ::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
            if (errno != EPERM) ThrowAttributeError();
            if (::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid) != 0 && errno != EPERM)
                ThrowAttributeError();
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // After the owner: a change of owner clears the set-user-ID bits.
    if (::fchmod(fd_, mode) != 0) ThrowAttributeError();
}

void AtomicFile::ThrowAttributeError() const {
    throw EFCreateError("Cannot keep the owner and permissions of file " + path_ + ". " + Reason());
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(tempPath_.c_str());
    }
}

void AtomicFile::Write(std::string_view bytes) {
    hasher_.Add(bytes);
    if (buffer_.size() + bytes.size() > BufferLimit) Flush();
    if (bytes.size() >= BufferLimit)
        WriteAll(bytes);
    else
        buffer_.append(bytes);
}

void AtomicFile::Flush() {
    WriteAll(buffer_);
    buffer_.clear();
}

void AtomicFile::WriteAll(std::string_view bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EWriteError("Cannot write file " + path_ + ". " + Reason());
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
}

void AtomicFile::Commit() {
    Flush();
    if (::fsync(fd_) != 0) throw EWriteError("Cannot write file " + path_ + ". " + Reason());
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw EWriteError("Cannot write file " + path_ + ". " + Reason());
    written_ = {true, static_cast<std::uint64_t>(info.st_size), ModifiedNs(info), hasher_.Finish()};
    // As late as can be: what was checked now is what the rename replaces,
    // but for the few instructions between.
    CheckTarget();
    if (::close(fd_) != 0) {
        fd_ = -1;
        ::unlink(tempPath_.c_str());
        throw EWriteError("Cannot write file " + path_ + ". " + Reason());
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        const std::string reason = Reason();
        ::unlink(tempPath_.c_str());
        throw EFCreateError(FormatText(SFCreateError, {path_}) + ". " + reason);
    }
    // The rename lives in the folder: until the folder reaches the disk, a
    // crash can still bring back the old file or none. File systems that
    // cannot sync a folder say EINVAL; they have nothing to flush.
    const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) throw EWriteError("Cannot write file " + path_ + ". " + Reason());
    if (::fsync(folder) != 0 && errno != EINVAL) {
        const std::string reason = Reason();
        ::close(folder);
        throw EWriteError("Cannot write file " + path_ + ". " + reason);
    }
    ::close(folder);
}

FileIdentity WriteFileAtomically(const std::string& path,
                                 const std::function<void(OutputStream&)>& write,
                                 const FileIdentity* expected) {
    AtomicFile file(path, expected);
    write(file);
    file.Commit();
    return file.Written();
}

} // namespace lex
