#pragma once

#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>

namespace lex::test {

// A real file system of a few kilobytes in a folder of its own, for the
// faults a full or read-only disk gives. Mounting needs root (or a user
// namespace): where the machine refuses, Mounted() is false and Why() says
// why, for the test to skip with.
class SmallFileSystem {
public:
    explicit SmallFileSystem(size_t Bytes) {
        const std::string options = "size=" + std::to_string(Bytes);
        if (::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0)
            mounted_ = true;
        else
            why_ = std::string("cannot mount a small file system here: ") + std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    std::string operator/(const std::string& Name) const { return dir_ / Name; }
    const TempDir& Dir() const { return dir_; }

    // From now on nobody writes there, root included.
    bool MakeReadOnly() {
        return ::mount(nullptr, dir_.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    TempDir dir_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace lex::test
