#include "app/HistoryFiles.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <algorithm>

namespace lex {

void RememberHistoryFile(std::vector<std::string>& History, const std::string& FileName) {
    const QString name = QFile::decodeName(FileName.c_str());
    const bool known = std::any_of(History.begin(), History.end(), [&](const std::string& entry) {
        return QFile::decodeName(entry.c_str()).compare(name, Qt::CaseInsensitive) == 0;
    });
    if (known) return;
    if (History.size() >= MaxHistoryFiles)
        History.erase(History.begin(), History.end() - (MaxHistoryFiles - 1));
    History.push_back(FileName);
}

QString HistoryCaption(int Index, const std::string& FileName) {
    return QStringLiteral("&%1\t%2").arg(Index).arg(QFile::decodeName(FileName.c_str()));
}

std::string HistoryFileOfCaption(const QString& Caption) {
    const qsizetype tab = Caption.indexOf(u'\t');
    return QFile::encodeName(Caption.mid(tab + 1)).toStdString();
}

void RebuildHistoryMenus(const std::vector<std::string>& History, const std::vector<QMenu*>& Menus,
                         const std::function<void(const std::string&)>& Open) {
    for (QMenu* menu : Menus) {
        // Later, not now: the item being clicked may be what led here.
        for (QAction* old : menu->actions()) {
            menu->removeAction(old);
            old->deleteLater();
        }
        for (std::size_t i = 0; i < History.size(); ++i) {
            QAction* item = menu->addAction(HistoryCaption(static_cast<int>(i), History[i]));
            QObject::connect(item, &QAction::triggered, menu,
                             [item, Open] { Open(HistoryFileOfCaption(item->text())); });
        }
    }
}

} // namespace lex
