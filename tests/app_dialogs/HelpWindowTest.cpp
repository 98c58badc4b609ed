#include "app/HelpWindow.h"

#include "app/FormCodePage_U.h"
#include "app/FormExport_U.h"
#include "app/GuiText.h"
#include "app_dialogs/DialogTestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <map>
#include <memory>
#include <set>

namespace lex {
namespace {

struct DeleteWindow {
    void operator()(THelpWindow* window) const { delete window; }
};
using HelpWindowPtr = std::unique_ptr<THelpWindow, DeleteWindow>;

HelpWindowPtr Help(QWidget* parent, const QString& topic) {
    return HelpWindowPtr(ShowHelp(parent, topic));
}

QString PageOf(const QUrl& url) {
    return QFileInfo(url.path()).completeBaseName();
}

// Pages, their anchors and what they link to, read from the bundled files.
struct HelpPages {
    std::map<QString, QString> html; // by page name
    HelpPages() {
        InitDialogResources();
        QDirIterator files(QStringLiteral(":/help"), {QStringLiteral("*.html")});
        while (files.hasNext()) {
            QFile file(files.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            html[QFileInfo(file.fileName()).completeBaseName()] = QString::fromUtf8(file.readAll());
        }
    }
    std::set<QString> Anchors(const QString& page) const {
        std::set<QString> names;
        static const QRegularExpression anchor(QStringLiteral("<a name=\"([^\"]+)\""));
        for (auto it = anchor.globalMatch(html.at(page)); it.hasNext();)
            names.insert(it.next().captured(1));
        return names;
    }
};

TEST(HelpPagesTest, EveryMenuHasAPageAndEveryLinkAndPictureResolves) {
    const HelpPages pages;
    for (const char* page : {"contents", "file", "edit", "search", "view", "database", "data",
                             "option", "windows", "help", "shortcuts", "helponhelp"})
        EXPECT_EQ(pages.html.count(QString::fromLatin1(page)), 1u) << page;

    static const QRegularExpression link(QStringLiteral("<a href=\"([^\"]+)\""));
    static const QRegularExpression picture(QStringLiteral("<img src=\"([^\"]+)\""));
    for (const auto& [page, html] : pages.html) {
        SCOPED_TRACE(page.toStdString());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>")));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QUrl target(it.next().captured(1));
            if (!target.scheme().isEmpty()) continue;
            const QString targetPage = target.path().isEmpty() ? page : PageOf(target);
            ASSERT_EQ(pages.html.count(targetPage), 1u) << target.toString().toStdString();
            if (target.hasFragment()) {
                EXPECT_EQ(pages.Anchors(targetPage).count(target.fragment()), 1u)
                    << target.toString().toStdString();
            }
        }
        for (auto it = picture.globalMatch(html); it.hasNext();) {
            const QString source = it.next().captured(1);
            EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + source)) << source.toStdString();
        }
    }
}

TEST(HelpWindowTest, TopicsOpenTheirPageOrStartASearch) {
    const struct {
        const char* topic;
        const char* page;
        const char* section;
        const char* search; // the search box afterwards
    } cases[] = {
        {"", "contents", "", ""},
        {"Help on Help", "helponhelp", "", ""},
        {"file#export", "file", "export", ""},
        {"DATA", "data", "", ""},
        {"Topic Search", "contents", "", ""},
        {"grab", "contents", "", "grab"}, // no such page: look for it
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.topic);
        HelpWindowPtr window = Help(nullptr, QString::fromLatin1(c.topic));
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(PageOf(window->CurrentPage()), QString::fromLatin1(c.page));
        EXPECT_EQ(window->CurrentPage().fragment(), QString::fromLatin1(c.section));
        EXPECT_EQ(window->Edit_Search->text(), QString::fromLatin1(c.search));
        EXPECT_TRUE(window->Browser->toPlainText().size() > 100);
    }
}

TEST(HelpWindowTest, TopicSearchFiltersTitlesHeadingsAndKeywords) {
    HelpWindowPtr window = Help(nullptr, {});
    const auto texts = [&](const QString& search) {
        std::map<QString, QString> found;
        for (const THelpIndexEntry& entry : window->MatchingEntries(search))
            found[entry.Text] = entry.Target.toString();
        return found;
    };
    const auto exported = texts(QStringLiteral("EXPORT lexicon"));
    EXPECT_EQ(exported.at(QStringLiteral("Export To File... and the Export Lexicon dialog")),
              QStringLiteral("qrc:/help/file.html#export"));
    EXPECT_EQ(texts(QStringLiteral("big5")).at(QStringLiteral("Big5")),
              QStringLiteral("qrc:/help/data.html"));
    EXPECT_EQ(texts(QStringLiteral("Keyboard")).count(QStringLiteral("Keyboard shortcuts")), 1u);
    EXPECT_TRUE(texts(QStringLiteral("no such words")).empty());
    // A keyword that is also a heading of its page is one line, to the heading.
    EXPECT_EQ(
        texts(QStringLiteral("casesensitive")),
        (std::map<QString, QString>{{QStringLiteral("CaseSensitive"),
                                     QStringLiteral("qrc:/help/option.html#casesensitive")}}));

    // Typing filters the list; Enter opens the first entry.
    window->Edit_Search->setText(QStringLiteral("locate"));
    ASSERT_GT(window->ListBox_Topics->count(), 0);
    for (int i = 0; i < window->ListBox_Topics->count(); ++i)
        EXPECT_TRUE(window->ListBox_Topics->item(i)->text().contains(QStringLiteral("locate"),
                                                                     Qt::CaseInsensitive));
    emit window->Edit_Search->returnPressed();
    EXPECT_EQ(window->CurrentPage(), window->ListBox_Topics->item(0)->data(Qt::UserRole).toUrl());
}

// One window serves every request; over a modal dialog it must be modal
// itself, or the dialog would block it.
TEST(HelpWindowTest, OneWindowIsReusedAndIsModalOnlyOverAModalDialog) {
    QWidget mainWindow;
    HelpWindowPtr first = Help(&mainWindow, QStringLiteral("view"));
    EXPECT_EQ(first->parentWidget(), &mainWindow);
    EXPECT_EQ(first->windowModality(), Qt::NonModal);

    TFormCodePage dialog(&mainWindow);
    Qt::WindowModality modality = Qt::NonModal;
    bool interactive = false;
    test::WhenModal<TFormCodePage>([&](TFormCodePage& shownDialog) {
        shownDialog.BitBtn_Help->click();
        modality = first->windowModality();
        interactive = QApplication::activeModalWidget() == first.get();
        first->close();
        shownDialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(mainWindow.findChildren<THelpWindow*>().size(), 1);
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_TRUE(interactive);

    EXPECT_EQ(ShowHelp(&mainWindow, {}), first.get());
    EXPECT_EQ(first->windowModality(), Qt::NonModal);
}

TEST(HelpWindowTest, DialogHelpButtonsOpenTheirSection) {
    const auto helpOf = [](QDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn_Help"))->click();
        HelpWindowPtr window(dialog.findChild<THelpWindow*>());
        return window ? window->CurrentPage() : QUrl();
    };
    TFormCodePage codePage;
    TFormExport exportDialog;
    EXPECT_EQ(helpOf(codePage), QUrl(QStringLiteral("qrc:/help/data.html#addlanguage")));
    EXPECT_EQ(helpOf(exportDialog), QUrl(QStringLiteral("qrc:/help/file.html#export")));
}

} // namespace
} // namespace lex
