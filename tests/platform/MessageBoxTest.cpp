#include "platform/MessageBox.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TEST(MessageBoxTest, DefaultAnswerIsTheDefaultButton) {
    const struct {
        unsigned flags;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL, IDRETRY},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultMessageBoxAnswer(c.flags), c.answer) << c.flags;
}

TEST(MessageBoxTest, HookAnswersAndWithoutOneNothingBlocks) {
    std::string seen;
    auto previous = SetMessageBoxHook(
        [&](TWindowHandle, const std::string& text, const std::string& caption, unsigned) {
            seen = caption + "|" + text;
            return IDNO;
        });
    EXPECT_EQ(ShowMessageBox(nullptr, "Save?", "Lex Manager", MB_YESNO), IDNO);
    EXPECT_EQ(seen, "Lex Manager|Save?");

    SetMessageBoxHook({});
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowMessageBox(nullptr, "Save?", "Lex Manager", MB_YESNOCANCEL | MB_DEFBUTTON3),
              IDCANCEL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Lex Manager: Save?\n");
    SetMessageBoxHook(std::move(previous));
}

} // namespace
} // namespace lex
