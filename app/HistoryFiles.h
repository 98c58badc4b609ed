#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace lex {

inline constexpr std::size_t MaxHistoryFiles = 10;

// Appends a file name not yet in the list (compared ignoring case), first
// dropping the oldest entry when the list is full. A name already there keeps
// its place: the list is in order of first use, not of last use.
void RememberHistoryFile(std::vector<std::string>& History, const std::string& FileName);

// "&i<TAB>name": the index is the item's hot key, the name shows at the
// right. File names are bytes in the file system's encoding.
QString HistoryCaption(int Index, const std::string& FileName);
// The file name an item stands for: its caption after the first tab.
std::string HistoryFileOfCaption(const QString& Caption);

// Empties each menu and gives it one item per entry, oldest at the top; an
// item opens the name its caption shows.
void RebuildHistoryMenus(const std::vector<std::string>& History, const std::vector<QMenu*>& Menus,
                         const std::function<void(const std::string&)>& Open);

} // namespace lex
