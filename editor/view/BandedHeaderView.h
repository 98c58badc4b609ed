#pragma once

#include <QHeaderView>

namespace lex {

class TLexTreeModel;

// The grid's header in two rows: each band's caption spans its columns above
// the sequence captions. Sections cannot move, so the key band stays at the
// left; their widths come from the columns' Width and a user's resize is
// written back to it.
class TBandedHeaderView final : public QHeaderView {
    Q_OBJECT
public:
    explicit TBandedHeaderView(QWidget* Parent = nullptr);

    void setModel(QAbstractItemModel* Model) override;
    QSize sizeHint() const override;

    // Sets every section to its column's width.
    void ApplyColumnWidths();
    // A section's width when it is shown; a hidden section's is 0.
    int ShownWidth(int LogicalIndex) const;
    // The upper row's cell of the band that a section belongs to, in
    // viewport coordinates; empty outside the columns.
    QRect BandRect(int LogicalIndex) const;

signals:
    // The user dragged a section's edge or double-clicked it.
    void ColumnResizedByUser(int LogicalIndex, int NewSize);

protected:
    void paintSection(QPainter* Painter, const QRect& Rect, int LogicalIndex) const override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    void OnSectionResized(int LogicalIndex, int OldSize, int NewSize);

    TLexTreeModel* lexModel_ = nullptr;
    // Only the user's drags and double clicks change a column's width; the
    // header's own resizes (a model reset gives sections sizes of its own,
    // even 0 to a section whose column took a removed one's place) do not.
    bool userResizing_ = false;
};

} // namespace lex
