#include "platform/FileUtil.h"

#include "platform/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

} // namespace

std::string ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError(FormatText(SFOpenError, {path, Reason()}));
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            const std::string reason = Reason();
            ::close(fd);
            throw EFOpenError(FormatText(SFOpenError, {path, reason}));
        }
    }
    ::close(fd);
    return bytes;
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)), target_(SaveTarget(path_)) {
    const size_t slash = target_.rfind('/');
    folder_ = slash == std::string::npos ? "./" : target_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    tempPath_ = folder_ + "." + name + ".XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) ThrowCreateError(path_);
    try {
        KeepAttributes();
    } catch (...) {
        Discard();
        throw;
    }
    buffer_.reserve(BufferLimit);
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

void WriteFileAtomically(const std::string& path, const std::function<void(OutputStream&)>& write) {
    AtomicFile file(path);
    write(file);
    file.Commit();
}

} // namespace lex
