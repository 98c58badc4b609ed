#include "editor/view/LexItemDelegate.h"

#include "editor/view/LexTreeModel.h"
#include "editor/view/PopupMemoEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <limits>

namespace lex {

namespace {
constexpr const char* IndexProperty = "lexCell";
} // namespace

TLexItemDelegate::TLexItemDelegate(TLexTreeModel& Model, QObject* Parent)
    : QStyledItemDelegate(Parent), model_(Model) {}

QModelIndex TLexItemDelegate::EditorIndex(const QWidget* Editor) {
    if (!Editor) return {};
    return Editor->property(IndexProperty).value<QPersistentModelIndex>();
}

QWidget* TLexItemDelegate::createEditor(QWidget* Parent, const QStyleOptionViewItem&,
                                        const QModelIndex& Index) const {
    const TLexColumn* column = model_.ColumnAt(Index.column());
    QLineEdit* editor;
    if (column && column->Band->Index() > 0) {
        auto* memoEdit = new TPopupMemoEdit(Parent);
        memoEdit->SetPopupBorderStyle(static_cast<int>(column->PopupStyle));
        // Only a modified memo ends the edit: its text is stored as if typed.
        connect(memoEdit, &TPopupMemoEdit::ClosedUp, this, [this, memoEdit](bool Changed) {
            auto* self = const_cast<TLexItemDelegate*>(this);
            if (Changed && self->CommitEditor(memoEdit))
                emit self->closeEditor(memoEdit, QAbstractItemDelegate::NoHint);
        });
        editor = memoEdit;
    } else {
        editor = new QLineEdit(Parent);
        editor->setFrame(false);
        editor->setMaxLength(std::numeric_limits<int>::max());
    }
    editor->setProperty(IndexProperty, QVariant::fromValue(QPersistentModelIndex(Index)));
    if (OnEditorCreated) OnEditorCreated(editor, Index);
    return editor;
}

void TLexItemDelegate::setModelData(QWidget* Editor, QAbstractItemModel* Model,
                                    const QModelIndex& Index) const {
    const auto* line = qobject_cast<QLineEdit*>(Editor);
    if (!line) return;
    const QScopedValueRollback scope(committing_, true);
    stored_ = Model->setData(Index, line->text(), Qt::EditRole);
}

bool TLexItemDelegate::CommitEditor(QWidget* Editor) {
    const QModelIndex index = EditorIndex(Editor);
    if (!index.isValid()) return false;
    stored_ = false;
    setModelData(Editor, &model_, index);
    return stored_;
}

bool TLexItemDelegate::eventFilter(QObject* Watched, QEvent* Event) {
    auto* editor = qobject_cast<QWidget*>(Watched);
    if (!editor) return QStyledItemDelegate::eventFilter(Watched, Event);
    if (Event->type() == QEvent::FocusOut)
        return FocusLeft(*editor, *static_cast<QFocusEvent*>(Event));
    if (Event->type() != QEvent::KeyPress) return QStyledItemDelegate::eventFilter(Watched, Event);
    auto hint = QAbstractItemDelegate::NoHint;
    switch (static_cast<QKeyEvent*>(Event)->key()) {
    case Qt::Key_Tab:
        hint = QAbstractItemDelegate::EditNextItem;
        break;
    case Qt::Key_Backtab:
        hint = QAbstractItemDelegate::EditPreviousItem;
        break;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        hint = QAbstractItemDelegate::SubmitModelCache;
        break;
    default:
        return QStyledItemDelegate::eventFilter(Watched, Event);
    }
    if (CommitEditor(editor)) emit closeEditor(editor, hint);
    return true;
}

bool TLexItemDelegate::FocusLeft(QWidget& Editor, const QFocusEvent& Event) {
    // A refusal's message box takes the focus while the edit is stored;
    // that is no reason to store it once more. Nor is another window or a
    // popup: the edit goes on when the focus comes back.
    if (committing_ || Event.reason() == Qt::ActiveWindowFocusReason ||
        Event.reason() == Qt::PopupFocusReason)
        return false;
    for (const QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (w == &Editor) return false; // inside the editor (its drop-down)
    // Leaving the cell stores the edit as Enter does; a refused text stays
    // in the open editor, which takes the focus back once this change is
    // done (the grid keeps the click from moving away meanwhile).
    if (CommitEditor(&Editor))
        emit closeEditor(&Editor, QAbstractItemDelegate::NoHint);
    else
        QMetaObject::invokeMethod(
            &Editor, [&Editor] { Editor.setFocus(); }, Qt::QueuedConnection);
    return false;
}

void TLexItemDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option,
                             const QModelIndex& Index) const {
    QStyledItemDelegate::paint(Painter, Option, Index);
    if (!showGrid_) return;
    Painter->save();
    Painter->setPen(Option.palette.color(QPalette::Mid));
    const QRect& r = Option.rect;
    Painter->drawLine(r.topRight(), r.bottomRight());
    Painter->drawLine(r.bottomLeft(), r.bottomRight());
    Painter->restore();
}

} // namespace lex
