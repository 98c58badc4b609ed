#include "app/HelpWindow.h"

#include "app/GuiText.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace lex {
namespace {

const QString HelpRoot = QStringLiteral(":/help/");
const QString ContentsPage = QStringLiteral("contents");

QUrl PageUrl(const QString& Page, const QString& Section = {}) {
    QUrl url(QStringLiteral("qrc:/help/%1.html").arg(Page));
    if (!Section.isEmpty()) url.setFragment(Section);
    return url;
}

QString PlainText(const QString& Html) {
    return QTextDocumentFragment::fromHtml(Html).toPlainText().simplified();
}

// "Help on Help", "help-on-help" and "HelpOnHelp" name the same topic.
QString TopicKey(const QString& Text) {
    QString key;
    for (QChar c : Text)
        if (c.isLetterOrNumber()) key += c.toLower();
    return key;
}

const char* const StyleSheet = R"(
body { font-family: sans-serif; }
h1 { color: #1f4e79; font-size: x-large; }
h2 { color: #1f4e79; font-size: large; margin-top: 14px; }
h3 { color: #2a6f97; font-size: medium; }
th { background-color: #dde8f3; text-align: left; }
td, th { padding: 3px 6px; }
code, kbd { font-family: monospace; }
.nav { color: #555555; font-size: small; }
)";

} // namespace

THelpWindow::THelpWindow(QWidget* Parent) : QWidget(Parent, Qt::Window) {
    InitDialogResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Lex Manager Help"));

    auto* searchLabel = new QLabel(QStringLiteral("&Topic search:"), this);
    Edit_Search = new QLineEdit(this);
    Edit_Search->setObjectName(QStringLiteral("Edit_Search"));
    Edit_Search->setPlaceholderText(QStringLiteral("Type a word"));
    Edit_Search->setClearButtonEnabled(true);
    searchLabel->setBuddy(Edit_Search);
    ListBox_Topics = new QListWidget(this);
    ListBox_Topics->setObjectName(QStringLiteral("ListBox_Topics"));
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(searchLabel);
    sideLayout->addWidget(Edit_Search);
    sideLayout->addWidget(ListBox_Topics);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenExternalLinks(true);
    Browser->document()->setDefaultStyleSheet(QString::fromLatin1(StyleSheet));

    const auto toolButton = [this](const QString& text, QStyle::StandardPixmap icon) {
        auto* button = new QToolButton(this);
        button->setText(text);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        return button;
    };
    Button_Contents = toolButton(QStringLiteral("&Contents"), QStyle::SP_DirHomeIcon);
    Button_Back = toolButton(QStringLiteral("&Back"), QStyle::SP_ArrowBack);
    Button_Forward = toolButton(QStringLiteral("&Forward"), QStyle::SP_ArrowForward);
    Button_Back->setEnabled(false);
    Button_Forward->setEnabled(false);
    auto* tools = new QHBoxLayout;
    tools->addWidget(Button_Contents);
    tools->addWidget(Button_Back);
    tools->addWidget(Button_Forward);
    tools->addStretch();
    auto* pageSide = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(pageSide);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addLayout(tools);
    pageLayout->addWidget(Browser);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(pageSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(880, 600);

    connect(Button_Contents, &QToolButton::clicked, this,
            [this] { Browser->setSource(PageUrl(ContentsPage)); });
    connect(Button_Back, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(Button_Forward, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(Browser, &QTextBrowser::backwardAvailable, Button_Back, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, Button_Forward, &QToolButton::setEnabled);
    connect(Edit_Search, &QLineEdit::textChanged, this, [this] { FillTopics(); });
    // Enter in the search box opens the best match.
    connect(Edit_Search, &QLineEdit::returnPressed, this, [this] {
        if (ListBox_Topics->count() > 0)
            emit ListBox_Topics->itemActivated(ListBox_Topics->item(0));
    });
    connect(ListBox_Topics, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        Browser->setSource(item->data(Qt::UserRole).toUrl());
    });

    LoadIndex();
    FillTopics();
}

// The index is built from the pages themselves: each title, each section
// heading (an <h2> or <h3> that opens with an anchor) and each keyword.
void THelpWindow::LoadIndex() {
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keywords(
        QStringLiteral("<meta name=\"keywords\" content=\"([^\"]*)\""));
    static const QRegularExpression heading(
        QStringLiteral("<h[23]><a name=\"([^\"]+)\"></a>(.*?)</h[23]>"),
        QRegularExpression::DotMatchesEverythingOption);

    QHash<QString, QString> titles; // by page path
    QDirIterator pages(HelpRoot, {QStringLiteral("*.html")}, QDir::Files);
    while (pages.hasNext()) {
        const QString path = pages.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString html = QString::fromUtf8(file.readAll());
        const QString page = QFileInfo(path).completeBaseName();
        const QUrl url = PageUrl(page);
        if (const auto match = title.match(html); match.hasMatch()) {
            titles[url.path()] = PlainText(match.captured(1));
            FIndex.push_back({titles[url.path()], url});
        }
        if (const auto match = keywords.match(html); match.hasMatch()) {
            for (const QString& keyword : match.captured(1).split(QLatin1Char(';')))
                if (const QString text = PlainText(keyword); !text.isEmpty())
                    FIndex.push_back({text, url});
        }
        for (auto it = heading.globalMatch(html); it.hasNext();) {
            const auto match = it.next();
            FIndex.push_back({PlainText(match.captured(2)), PageUrl(page, match.captured(1))});
        }
    }
    // One entry per text and page: "Locate" as keyword and as heading, or in
    // two cases, is one line; the heading's section is the better target.
    const auto page = [](const THelpIndexEntry& entry) { return entry.Target.path(); };
    const auto order = [&](const THelpIndexEntry& a, const THelpIndexEntry& b) {
        if (const int text = a.Text.compare(b.Text, Qt::CaseInsensitive)) return text < 0;
        if (page(a) != page(b)) return page(a) < page(b);
        if (a.Target.hasFragment() != b.Target.hasFragment()) return a.Target.hasFragment();
        return a.Text < b.Text;
    };
    const auto same = [&](const THelpIndexEntry& a, const THelpIndexEntry& b) {
        return a.Text.compare(b.Text, Qt::CaseInsensitive) == 0 && page(a) == page(b);
    };
    std::sort(FIndex.begin(), FIndex.end(), order);
    FIndex.erase(std::unique(FIndex.begin(), FIndex.end(), same), FIndex.end());
    // A text found on several pages names its page on each line.
    const auto sameText = [&](size_t a, size_t b) {
        return FIndex[a].Text.compare(FIndex[b].Text, Qt::CaseInsensitive) == 0;
    };
    std::vector<bool> shared(FIndex.size());
    for (size_t i = 1; i < FIndex.size(); ++i)
        if (sameText(i - 1, i)) shared[i - 1] = shared[i] = true;
    for (size_t i = 0; i < FIndex.size(); ++i)
        if (shared[i]) FIndex[i].Text += QStringLiteral(" (%1)").arg(titles.value(page(FIndex[i])));
}

std::vector<THelpIndexEntry> THelpWindow::MatchingEntries(const QString& Text) const {
    const QString wanted = Text.simplified();
    std::vector<THelpIndexEntry> entries;
    for (const THelpIndexEntry& entry : FIndex)
        if (entry.Text.contains(wanted, Qt::CaseInsensitive)) entries.push_back(entry);
    return entries;
}

void THelpWindow::FillTopics() {
    ListBox_Topics->clear();
    for (const THelpIndexEntry& entry : MatchingEntries(Edit_Search->text())) {
        auto* item = new QListWidgetItem(entry.Text, ListBox_Topics);
        item->setData(Qt::UserRole, entry.Target);
    }
    if (ListBox_Topics->count() > 0) ListBox_Topics->setCurrentRow(0);
}

void THelpWindow::StartTopicSearch(const QString& Text) {
    if (Browser->source().isEmpty()) Browser->setSource(PageUrl(ContentsPage));
    Edit_Search->setText(Text);
    Edit_Search->selectAll();
    Edit_Search->setFocus();
}

void THelpWindow::ShowTopic(const QString& Topic) {
    const qsizetype hash = Topic.indexOf(QLatin1Char('#'));
    const QString page = TopicKey(hash < 0 ? Topic : Topic.left(hash));
    const QString section = hash < 0 ? QString() : Topic.mid(hash + 1).trimmed().toLower();
    if (page.isEmpty() || page == QLatin1String("content") || page == QLatin1String("helpcontents"))
        Browser->setSource(PageUrl(ContentsPage, section));
    else if (page == QLatin1String("topicsearch") || page == QLatin1String("index"))
        StartTopicSearch({});
    else if (QFile::exists(HelpRoot + page + QLatin1String(".html")))
        Browser->setSource(PageUrl(page, section));
    else
        StartTopicSearch(Topic);
}

QUrl THelpWindow::CurrentPage() const {
    return Browser->source();
}

THelpWindow* ShowHelp(QWidget* Parent, const QString& Topic) {
    static QPointer<THelpWindow> window;
    if (!window) {
        // Owned by the outermost window, so a dialog that asked for help can
        // close without taking the help window with it.
        QWidget* owner = Parent ? Parent->window() : nullptr;
        while (owner && owner->parentWidget())
            owner = owner->parentWidget()->window();
        window = new THelpWindow(owner);
    }
    // Modality can change only while the window is hidden.
    const QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted =
        modal && modal != window ? Qt::ApplicationModal : Qt::NonModal;
    if (window->windowModality() != wanted) {
        window->hide();
        window->setWindowModality(wanted);
    }
    window->ShowTopic(Topic);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace lex
