#pragma once

#include <optional>
#include <string>

namespace lex {

// Who holds a document open, as the lock file beside it says.
struct TLockOwner {
    std::string User;
    std::string Host;
    long Pid = 0;
    std::string Time;
};

// The lock file of Path: ".~lock.NAME#" in its folder, one line
// "user,host,pid,time", as office programs keep beside what they have open.
std::string LockFileName(const std::string& Path);

// The holder of a live lock on Path: none without a lock file, when the lock
// is this process's own, or when it is stale (this host, its process gone).
std::optional<TLockOwner> LockOwner(const std::string& Path);

// Holds the lock on a file for as long as it lives. Best effort: a folder
// that refuses the lock file leaves the file unlocked, never unopenable.
class TLockFile {
public:
    explicit TLockFile(std::string Path);
    ~TLockFile(); // removes the lock file while it is still ours
    TLockFile(const TLockFile&) = delete;
    TLockFile& operator=(const TLockFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string lockPath_;
    bool held_ = false;
};

} // namespace lex
