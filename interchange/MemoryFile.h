#pragma once

#include <string>
#include <string_view>

namespace lex {

// An anonymous in-memory file with a path, for libraries that read and write
// only by file name: the bytes never touch a disk, and nothing is left
// behind however the caller leaves.
class TMemoryFile {
public:
    explicit TMemoryFile(std::string_view Bytes = {});
    ~TMemoryFile();
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;

    const std::string& Path() const { return path_; }
    std::string Contents() const;

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace lex
