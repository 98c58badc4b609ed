#pragma once

#include <QStyledItemDelegate>
#include <functional>

class QFocusEvent;

namespace lex {

class TLexTreeModel;

// The grid's cells: key cells edit in a plain line editor, language cells in
// a TPopupMemoEdit with the column's popup border style; grid lines drawn on
// request. Enter, Tab and the focus leaving the editor store the edit through
// the model before the editor closes, so a refused edit keeps its editor
// open with the typed text.
class TLexItemDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TLexItemDelegate(TLexTreeModel& Model, QObject* Parent = nullptr);

    void SetShowGrid(bool Show) { showGrid_ = Show; }
    bool ShowGrid() const { return showGrid_; }

    // Stores the editor's text in its cell; false when the model refused it.
    bool CommitEditor(QWidget* Editor);
    // Whether an edit is being stored: the document's edit state changes
    // then without the editor having to follow.
    bool Committing() const { return committing_; }
    static QModelIndex EditorIndex(const QWidget* Editor);

    // Told of each editor as it is made, before the view shows it.
    std::function<void(QWidget* Editor, const QModelIndex& Index)> OnEditorCreated;

    QWidget* createEditor(QWidget* Parent, const QStyleOptionViewItem& Option,
                          const QModelIndex& Index) const override;
    void setModelData(QWidget* Editor, QAbstractItemModel* Model,
                      const QModelIndex& Index) const override;
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool FocusLeft(QWidget& Editor, const QFocusEvent& Event);

    TLexTreeModel& model_;
    bool showGrid_ = true;
    mutable bool committing_ = false;
    mutable bool stored_ = false;
};

} // namespace lex
