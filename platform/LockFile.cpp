#include "platform/LockFile.h"

#include "platform/Exceptions.h"
#include "platform/FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace lex {
namespace {

std::string HostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::string UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user ? user->pw_name : std::to_string(::geteuid());
}

std::optional<TLockOwner> ReadLock(const std::string& LockPath) {
    std::string text;
    try {
        text = ReadFileBytes(LockPath);
    } catch (const EFOpenError&) {
        return std::nullopt;
    }
    TLockOwner owner;
    std::string pid;
    std::string* fields[] = {&owner.User, &owner.Host, &pid, &owner.Time};
    size_t start = 0;
    for (std::string* field : fields) {
        const size_t end = std::min(text.find_first_of(",\n", start), text.size());
        *field = text.substr(start, end - start);
        start = std::min(end + 1, text.size());
    }
    try {
        owner.Pid = std::stol(pid);
    } catch (const std::exception&) {
        owner.Pid = 0; // someone else's format: take it as live
    }
    return owner;
}

bool Alive(const TLockOwner& Owner) {
    if (Owner.Host != HostName() || Owner.Pid <= 0) return true; // cannot tell: assume so
    return ::kill(static_cast<pid_t>(Owner.Pid), 0) == 0 || errno != ESRCH;
}

} // namespace

std::string LockFileName(const std::string& Path) {
    const size_t slash = Path.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return Path.substr(0, start) + ".~lock." + Path.substr(start) + "#";
}

std::optional<TLockOwner> LockOwner(const std::string& Path) {
    std::optional<TLockOwner> owner = ReadLock(LockFileName(Path));
    if (!owner || !Alive(*owner)) return std::nullopt;
    if (owner->Host == HostName() && owner->Pid == ::getpid()) return std::nullopt;
    return owner;
}

TLockFile::TLockFile(std::string Path) : path_(std::move(Path)), lockPath_(LockFileName(path_)) {
    char time[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", ::localtime_r(&now, &local));
    const std::string line =
        UserName() + "," + HostName() + "," + std::to_string(::getpid()) + "," + time + "\n";
    try {
        WriteFileAtomically(lockPath_, [&line](OutputStream& Out) { Out.Write(line); });
        held_ = true;
    } catch (const Exception&) {
    }
}

TLockFile::~TLockFile() {
    if (!held_) return;
    // Another instance may have taken the file over meanwhile (opened
    // anyway after this one's lock): its lock stays.
    const std::optional<TLockOwner> owner = ReadLock(lockPath_);
    if (owner && owner->Host == HostName() && owner->Pid == ::getpid()) ::unlink(lockPath_.c_str());
}

} // namespace lex
