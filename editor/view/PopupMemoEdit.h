#pragma once

#include <QLineEdit>

class QFrame;
class QPlainTextEdit;

namespace lex {

// The in-place editor of a language cell: one line of text with a drop-down
// button whose popup holds a multi-line memo, `Memo_DisplayValue`. Alt+Down,
// Alt+Up and F4 open and close the popup, Escape closes it unchanged. When
// it closes, only a memo the user modified replaces the editor's text.
class TPopupMemoEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit TPopupMemoEdit(QWidget* Parent = nullptr);
    ~TPopupMemoEdit() override;

    // 0 dialog, 2 simple, 3 panel; anything else is drawn as simple.
    void SetPopupBorderStyle(int Style);
    int PopupBorderStyle() const { return borderStyle_; }

    void DropDown();
    void CloseUp(bool Accept); // without Accept the memo's text is dropped
    bool DroppedDown() const;
    QFrame* Popup() const { return popup_; }
    QPlainTextEdit* Memo() const { return memo_; }

signals:
    // The popup has closed; Changed when the memo's text replaced the editor's.
    void ClosedUp(bool Changed);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void OnPopupHidden();

    QFrame* popup_;
    QPlainTextEdit* memo_;
    int borderStyle_ = 2;
    bool accept_ = true;
};

} // namespace lex
