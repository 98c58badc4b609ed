#include "app/FormAbout_U.h"
#include "app/FormCodePage_U.h"
#include "app/FormExport_U.h"
#include "app_dialogs/DialogTestSupport.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace lex {
namespace {

// Stands in for the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

using FormAboutTest = test::DialogTest;

TEST_F(FormAboutTest, ShowsOurNameVersionAndNotices) {
    TFormAbout about;
    EXPECT_EQ(about.Label_ProductName->text(), QStringLiteral("Lex Manager"));
    EXPECT_EQ(about.Label_LongName->text(),
              QStringLiteral("Lex Manager - Multi-Language Lexicon Editor"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+"))
                    .match(about.Label_Version->text())
                    .hasMatch())
        << about.Label_Version->text().toStdString();
    EXPECT_TRUE(about.Label_Copyright->text().contains(QStringLiteral("Lex Manager Team")));
    EXPECT_FALSE(about.Image_Logo->pixmap().isNull());
    EXPECT_FALSE(about.Image_Banner->pixmap().isNull());
}

TEST_F(FormAboutTest, ClickingALinkOpensItsTextInTheBrowser) {
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    TFormAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    for (TLinkLabel* link : {about.Label_Home, about.Label_Support}) {
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(link->font().underline());
        QTest::mouseClick(link, Qt::LeftButton);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl(QString::fromLatin1(AboutHomeLink)),
                                           QUrl(QString::fromLatin1(AboutSupportLink))}));
}

// Every dialog speaks the interface language and wears the main window's font.
TEST_F(FormAboutTest, DialogsTranslateTheirTextsAndTakeTheMainWindowsFont) {
    UseInterfaceLanguage("936");
    QWidget mainWindow;
    QFont font(QStringLiteral("DejaVu Serif"), 15);
    mainWindow.setFont(font);
    QWidget child(&mainWindow);

    TFormCodePage codePage(&child);
    TFormExport exportDialog(&child);
    TFormAbout about(&child);
    const struct {
        QDialog* dialog;
        QString caption;
    } cases[] = {
        {&codePage, QString::fromUtf8("\u6DFB\u52A0\u65B0\u8BED\u8A00")}, // 添加新语言
        {&exportDialog, QString::fromUtf8("\u5BFC\u51FA\u8BCD\u5178")},   // 导出词典
        {&about, QString::fromUtf8("\u5173\u4E8E")},                      // 关于
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialog->objectName().toStdString());
        EXPECT_EQ(c.dialog->windowTitle(), c.caption);
        EXPECT_EQ(c.dialog->font(), font);
        auto* ok = c.dialog->findChild<QPushButton*>(QStringLiteral("BitBtn_OK"));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QString::fromUtf8("\u786E\u5B9A")); // 确定
    }
    EXPECT_EQ(about.Label_ProductName->text(),
              QString::fromUtf8("\u8BCD\u5178\u7BA1\u7406\u5668")); // 词典管理器
}

} // namespace
} // namespace lex

#include "FormAboutTest.moc"
