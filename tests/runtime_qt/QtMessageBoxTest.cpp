#include "runtime/qt/QtMessageBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace lex {
namespace {

// Texts below are Western bytes; fix the process's code page before anything
// reads it.
const bool ForcedCodePage = [] { return setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0; }();

TEST(QtMessageBoxLayoutTest, ButtonsFollowTheKindInTheirClassicOrder) {
    const struct {
        unsigned kind;
        std::vector<int> results;
    } cases[] = {
        {MB_OK, {IDOK}},
        {MB_OKCANCEL, {IDOK, IDCANCEL}},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}},
        {MB_YESNO, {IDYES, IDNO}},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}},
        {0x0F, {IDOK}}, // unknown kinds show OK alone
    };
    for (const auto& c : cases) {
        std::vector<int> results;
        const QMessageBox::StandardButtons buttons = QtMessageBoxLayout(c.kind).Buttons;
        for (unsigned bit = 1; bit != 0; bit <<= 1)
            if (buttons & bit)
                results.push_back(MessageBoxResultOf(QMessageBox::StandardButton(bit)));
        std::sort(results.begin(), results.end());
        std::vector<int> expected = c.results;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(results, expected) << "kind " << c.kind;
    }
}

// Pressing Enter must give what a box without a user would answer.
TEST(QtMessageBoxLayoutTest, DefaultButtonIsTheDefaultAnswerForEveryKindAndDefault) {
    for (unsigned kind = 0; kind <= 6; ++kind) {
        for (unsigned button : {0x000u, 0x100u, 0x200u, 0x300u}) { // MB_DEFBUTTON1..4
            const unsigned flags = kind | button | MB_ICONQUESTION;
            const TQtMessageBoxLayout layout = QtMessageBoxLayout(flags);
            EXPECT_TRUE(layout.Buttons & layout.DefaultButton) << std::hex << flags;
            EXPECT_EQ(MessageBoxResultOf(layout.DefaultButton), DefaultMessageBoxAnswer(flags))
                << std::hex << flags;
        }
    }
}

TEST(QtMessageBoxLayoutTest, IconFollowsTheIconBits) {
    const struct {
        unsigned flags;
        QMessageBox::Icon icon;
    } cases[] = {
        {MB_OK, QMessageBox::NoIcon},
        {MB_OK | MB_ICONERROR, QMessageBox::Critical},
        {MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3, QMessageBox::Question},
        {MB_OKCANCEL | MB_ICONWARNING, QMessageBox::Warning},
        {MB_OK | MB_ICONINFORMATION, QMessageBox::Information},
        {MB_OK | 0x50, QMessageBox::NoIcon},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtMessageBoxLayout(c.flags).Icon, c.icon) << std::hex << c.flags;
}

// Runs Act on the message box once it is up.
void WhenBoxShows(std::function<void(QMessageBox&)> Act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, Act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            Act(*box);
        }
    });
    poll->start(10);
}

TEST(QtMessageBoxTest, ShowsAModalBoxOwnedByTheOwnerAndAnswersTheButtonPressed) {
    ASSERT_TRUE(ForcedCodePage);
    QWidget owner;
    owner.show();
    const struct {
        unsigned flags;
        QMessageBox::StandardButton press; // NoButton: press Escape
        int answer;
    } cases[] = {
        {MB_YESNOCANCEL | MB_ICONQUESTION, QMessageBox::No, IDNO},
        {MB_ABORTRETRYIGNORE | MB_ICONERROR, QMessageBox::Ignore, IDIGNORE},
        {MB_OKCANCEL, QMessageBox::NoButton, IDCANCEL},
        {MB_YESNOCANCEL, QMessageBox::NoButton, IDCANCEL},
        {MB_OK, QMessageBox::NoButton, IDOK},
        {MB_YESNO, QMessageBox::NoButton, IDNO}, // closing a Yes/No box never agrees
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        QString text, title;
        QWidget* parent = nullptr;
        Qt::TextFormat format = Qt::AutoText;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        WhenBoxShows([&](QMessageBox& box) {
            text = box.text();
            title = box.windowTitle();
            parent = box.parentWidget();
            format = box.textFormat();
            defaultButton = box.standardButton(box.defaultButton());
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.button(c.press)->click();
        });
        EXPECT_EQ(QtMessageBox(&owner, "caf\xE9 <b>x</b> & y", "Confirm\xA0!", c.flags), c.answer);
        EXPECT_EQ(text, QString::fromUtf8("caf\u00E9 <b>x</b> & y"));
        EXPECT_EQ(title, QString::fromUtf8("Confirm\u00A0!"));
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(parent, &owner);
        EXPECT_EQ(defaultButton, QtMessageBoxLayout(c.flags).DefaultButton);
    }
}

// Values of several code pages reach the box as UTF-8.
TEST(QtMessageBoxTest, Utf8TextIsShownAsItIs) {
    QString text, title;
    WhenBoxShows([&](QMessageBox& box) {
        text = box.text();
        title = box.windowTitle();
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(QtMessageBox(nullptr, "caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87",
                           "\xE7\xA2\xBA\xE8\xAA\x8D", MB_OK | MB_UTF8TEXT),
              IDOK);
    EXPECT_EQ(text, QString::fromUtf8("caf\u00E9 \u4E2D\u6587"));
    EXPECT_EQ(title, QString::fromUtf8("\u78BA\u8A8D"));
}

TEST(QtMessageBoxTest, InstalledHookShowsEveryPlatformMessageBox) {
    InstallQtMessageBoxHook();
    WhenBoxShows([](QMessageBox& box) { box.button(QMessageBox::Retry)->click(); });
    EXPECT_EQ(ShowMessageBox(nullptr, "Disk busy", "Error", MB_RETRYCANCEL), IDRETRY);
    SetMessageBoxHook({});
}

} // namespace
} // namespace lex
