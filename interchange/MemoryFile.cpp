#include "interchange/MemoryFile.h"

#include "platform/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace lex {

TMemoryFile::TMemoryFile(std::string_view Bytes) {
    fd_ = memfd_create("lexmanager", MFD_CLOEXEC);
    if (fd_ < 0)
        throw EFCreateError(std::string("Cannot create a memory file: ") + strerror(errno));
    path_ = "/proc/self/fd/" + std::to_string(fd_);
    while (!Bytes.empty()) {
        const ssize_t written = write(fd_, Bytes.data(), Bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = errno;
            close(fd_);
            throw EWriteError(std::string("Cannot fill a memory file: ") + strerror(error));
        }
        Bytes.remove_prefix(static_cast<size_t>(written));
    }
}

TMemoryFile::~TMemoryFile() {
    close(fd_);
}

std::string TMemoryFile::Contents() const {
    std::string bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = pread(fd_, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw EReadError(std::string("Cannot read a memory file: ") + strerror(errno));
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<size_t>(got));
        offset += got;
    }
}

} // namespace lex
