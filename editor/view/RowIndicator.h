#pragma once

#include <QWidget>

class QTreeView;

namespace lex {

// The narrow strip at the grid's left that marks the focused row with a
// triangle. It lies beside the grid and repaints whenever the grid's rows do.
class TRowIndicator final : public QWidget {
    Q_OBJECT
public:
    TRowIndicator(QTreeView& Grid, QWidget* Parent);
    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    QTreeView& grid_;
};

} // namespace lex
