#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace lex {

// One line of the help index: a page title or a section heading, or a
// keyword of a page, and where it leads.
struct THelpIndexEntry {
    QString Text;
    QUrl Target;
};

// The help window: the bundled pages in a browser beside a topic search that
// filters the index as the user types.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* Parent = nullptr);

    // Shows a topic: a page name ("file"), optionally with a section
    // ("file#export"), or one of "contents", "topic search", "help on help".
    // Case, blanks and punctuation in the name do not matter. A topic that
    // names no page starts a topic search for its text.
    void ShowTopic(const QString& Topic);

    // The index entries whose text contains Text, ignoring case, sorted.
    std::vector<THelpIndexEntry> MatchingEntries(const QString& Text) const;

    QUrl CurrentPage() const;

    QLineEdit* Edit_Search;
    QListWidget* ListBox_Topics;
    QTextBrowser* Browser;
    QToolButton* Button_Contents;
    QToolButton* Button_Back;
    QToolButton* Button_Forward;

private:
    void LoadIndex();
    void FillTopics();
    void StartTopicSearch(const QString& Text);

    std::vector<THelpIndexEntry> FIndex;
};

// Opens the one help window of the application (creating it at first use,
// owned by Parent's top-level window) and shows Topic; an empty topic shows
// the contents. Over a modal dialog the window is modal itself, so that it
// can be read and closed while the dialog waits.
THelpWindow* ShowHelp(QWidget* Parent, const QString& Topic = {});

} // namespace lex
