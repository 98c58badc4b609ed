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

protected:
    void paintSection(QPainter* Painter, const QRect& Rect, int LogicalIndex) const override;

private:
    void OnSectionResized(int LogicalIndex, int OldSize, int NewSize);

    TLexTreeModel* lexModel_ = nullptr;
    bool applying_ = false;
};

} // namespace lex
