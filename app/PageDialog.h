#pragma once

#include <QDialog>
#include <QString>
#include <string_view>

class QGridLayout;
class QLabel;
class QPushButton;
class QTabWidget;

namespace lex {

// The shape of the tool's small dialogs: one page with a picture at its
// left, and under it OK (disabled until the dialog's rule allows it),
// Cancel and Help. A dialog takes the font of its parent's window, as the
// dialogs follow the main window's font choice.
class TPageDialog : public QDialog {
    Q_OBJECT
public:
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QLabel* Image1;
    QPushButton* BitBtn_OK;
    QPushButton* BitBtn_Cancel;
    QPushButton* BitBtn_Help;

protected:
    // Caption and PageCaption are interface texts; Picture a bundled
    // picture; HelpTopic the help page Help opens.
    TPageDialog(QWidget* Parent, const QString& ObjectName, std::string_view Caption,
                std::string_view PageCaption, const QString& Picture, const QString& HelpTopic);

    // Fixes the size (Inner, or more if the content needs it) and centres
    // the dialog; call once the page is filled.
    void FixSize(QSize Inner);

    // The page's grid: the picture fills column 0, the dialog's own
    // widgets go from column 1.
    QGridLayout* Page;
};

} // namespace lex
