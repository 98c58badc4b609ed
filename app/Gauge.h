#pragma once

#include <QProgressBar>

namespace lex {

// A percentage gauge: a navy bar on the button face, no border, and the
// percentage in the middle drawn in the colour that reads on what lies under
// each part of it (white over the bar, black beside it).
class TGauge : public QProgressBar {
    Q_OBJECT
public:
    explicit TGauge(QWidget* Parent = nullptr);

protected:
    void paintEvent(QPaintEvent* Event) override;
};

} // namespace lex
