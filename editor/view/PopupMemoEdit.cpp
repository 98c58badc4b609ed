#include "editor/view/PopupMemoEdit.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>
#include <limits>

namespace lex {

namespace {

// The memo's inside: about 200 by 48 pixels, as the original popup.
constexpr int MemoWidth = 209;
constexpr int MemoHeight = 49;

bool IsToggleKey(const QKeyEvent& Event) {
    const bool alt = Event.modifiers() & Qt::AltModifier;
    return Event.key() == Qt::Key_F4 ||
           (alt && (Event.key() == Qt::Key_Down || Event.key() == Qt::Key_Up));
}

} // namespace

TPopupMemoEdit::TPopupMemoEdit(QWidget* Parent)
    : QLineEdit(Parent), popup_(new QFrame(this, Qt::Popup)), memo_(new QPlainTextEdit(popup_)) {
    setFrame(false);
    setMaxLength(std::numeric_limits<int>::max());
    memo_->setObjectName("Memo_DisplayValue");
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setMinimumSize(MemoWidth, MemoHeight);
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo_);
    SetPopupBorderStyle(borderStyle_);
    popup_->installEventFilter(this);
    memo_->installEventFilter(this);

    QAction* button =
        addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
    connect(button, &QAction::triggered, this, [this] {
        if (DroppedDown())
            CloseUp(true);
        else
            DropDown();
    });
}

TPopupMemoEdit::~TPopupMemoEdit() {
    // The popup is hidden as the editor goes: that is no close-up.
    popup_->removeEventFilter(this);
    memo_->removeEventFilter(this);
}

void TPopupMemoEdit::SetPopupBorderStyle(int Style) {
    borderStyle_ = Style;
    switch (Style) {
    case 0: // dialog: a thick raised frame
        popup_->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
        popup_->setLineWidth(2);
        break;
    case 3: // panel
        popup_->setFrameStyle(QFrame::Panel | QFrame::Raised);
        popup_->setLineWidth(1);
        break;
    default: // simple: a single line
        popup_->setFrameStyle(QFrame::Box | QFrame::Plain);
        popup_->setLineWidth(1);
        break;
    }
}

bool TPopupMemoEdit::DroppedDown() const {
    return popup_->isVisible();
}

void TPopupMemoEdit::DropDown() {
    if (DroppedDown()) return;
    memo_->setFont(font());
    memo_->setPlainText(text());
    memo_->document()->setModified(false);
    accept_ = true;
    const int frame = 2 * popup_->frameWidth();
    popup_->resize(std::max(MemoWidth, width()) + frame, MemoHeight + frame);
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    memo_->setFocus(Qt::PopupFocusReason);
}

void TPopupMemoEdit::CloseUp(bool Accept) {
    if (!DroppedDown()) return;
    accept_ = Accept;
    popup_->hide();
}

void TPopupMemoEdit::OnPopupHidden() {
    const bool changed = accept_ && memo_->document()->isModified();
    if (changed) setText(memo_->toPlainText());
    accept_ = true;
    setFocus(Qt::PopupFocusReason);
    emit ClosedUp(changed);
}

void TPopupMemoEdit::keyPressEvent(QKeyEvent* Event) {
    if (IsToggleKey(*Event)) {
        if (DroppedDown())
            CloseUp(true);
        else
            DropDown();
        Event->accept();
        return;
    }
    if (Event->modifiers() == Qt::NoModifier &&
        (Event->key() == Qt::Key_Up || Event->key() == Qt::Key_Down ||
         Event->key() == Qt::Key_PageUp || Event->key() == Qt::Key_PageDown)) {
        // Row moves belong to the grid, unless the whole text is selected.
        if (hasSelectedText() && selectedText() == text())
            Event->accept();
        else
            Event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(Event);
}

bool TPopupMemoEdit::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == popup_ && Event->type() == QEvent::Hide) {
        OnPopupHidden();
    } else if (Watched == memo_ && Event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*Event);
        if (IsToggleKey(key) || key.key() == Qt::Key_Escape) {
            CloseUp(key.key() != Qt::Key_Escape);
            return true;
        }
    }
    return QLineEdit::eventFilter(Watched, Event);
}

} // namespace lex
