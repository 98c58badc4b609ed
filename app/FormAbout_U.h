#pragma once

#include <QDialog>
#include <QLabel>

class QPushButton;

namespace lex {

// The web addresses the about box shows.
inline constexpr const char* AboutHomeLink = "https://lexmanager.example.org/";
inline constexpr const char* AboutSupportLink = "https://lexmanager.example.org/support";

// A label drawn as a link (blue, underlined, hand cursor) whose click asks the
// desktop to open its own text.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& Url, QWidget* Parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

// The about box: product name, what it does, version, notices, links.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    // Takes the font of Parent's window.
    explicit TFormAbout(QWidget* Parent = nullptr);

    QLabel* Image_Banner;
    QLabel* Image_Logo;
    QLabel* Label_ProductName;
    QLabel* Label_LongName;
    QLabel* Label_Purpose;
    QLabel* Label_Version;
    QLabel* Label_Company;
    QLabel* Label_Copyright;
    QLabel* Image_Link;
    TLinkLabel* Label_Home;
    TLinkLabel* Label_Support;
    QPushButton* BitBtn_OK;
};

} // namespace lex
