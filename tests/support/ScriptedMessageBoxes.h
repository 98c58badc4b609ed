#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace lex::test {

// Answers message boxes from a script while it lives: every box shown is
// recorded as "caption|text" and takes the next answer, or its default
// button's once the script is used up.
class ScriptedMessageBoxes {
public:
    ScriptedMessageBoxes() {
        previous_ = SetMessageBoxHook([this](TWindowHandle, const std::string& text,
                                             const std::string& caption, unsigned flags) {
            shown.push_back(caption + "|" + text);
            if (answers.empty()) return DefaultMessageBoxAnswer(flags);
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }
    ~ScriptedMessageBoxes() { SetMessageBoxHook(std::move(previous_)); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    std::deque<int> answers;
    std::vector<std::string> shown;

private:
    MessageBoxHook previous_;
};

} // namespace lex::test
