#pragma once

#include <QString>
#include <functional>

class QDialog;
class QPushButton;
class QWidget;

namespace lex {

struct TDialogButtons {
    QPushButton* OK;
    QPushButton* Cancel;
    QPushButton* Help;
};

// Lays out a dialog of the tool: Pages above a row of OK, Cancel and Help at
// the right. OK is the default button and starts disabled, until the
// dialog's rule allows it; OK accepts, Cancel rejects, Help runs OnHelp.
// Caption gives the text shown for each English caption (as it is without).
TDialogButtons LayOutDialog(QDialog& Dialog, QWidget* Pages, std::function<void()> OnHelp,
                            const std::function<QString(const char*)>& Caption = {});

} // namespace lex
