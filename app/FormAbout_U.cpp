#include "app/FormAbout_U.h"

#include "app/GuiText.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#ifndef LEX_MANAGER_VERSION
#define LEX_MANAGER_VERSION "0.0"
#endif

namespace lex {
namespace {

QFrame* Line(QWidget* Parent) {
    auto* line = new QFrame(Parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TLinkLabel::TLinkLabel(const QString& Url, QWidget* Parent) : QLabel(Url, Parent) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    setPalette(palette);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        QDesktopServices::openUrl(QUrl(text()));
}

TFormAbout::TFormAbout(QWidget* Parent) : QDialog(Parent) {
    InitDialogResources();
    setObjectName(QStringLiteral("FormAbout"));
    if (Parent) setFont(Parent->window()->font());
    QString caption = TranslateGUIText("About...");
    while (caption.endsWith(QLatin1Char('.')))
        caption.chop(1);
    setWindowTitle(caption);

    Image_Banner = new QLabel(this);
    Image_Banner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Image_Banner->setPixmap(QPixmap(QStringLiteral(":/help/images/banner.png")));
    Image_Banner->setScaledContents(true);
    Image_Banner->setFixedHeight(72);
    Image_Logo = new QLabel(this);
    Image_Logo->setPixmap(QPixmap(QStringLiteral(":/help/images/logo.png")));
    Image_Logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    Label_ProductName = new QLabel(TranslateGUIText("Lex Manager"), this);
    Label_ProductName->setObjectName(QStringLiteral("Label_ProductName"));
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Label_ProductName->setFont(big);
    Label_LongName =
        new QLabel(TranslateGUIText("Lex Manager - Multi-Language Lexicon Editor"), this);
    Label_Purpose = new QLabel(
        TranslateGUIText("Build and maintain the translation dictionaries of desktop applications"),
        this);
    Label_Purpose->setWordWrap(true);
    Label_Version =
        new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(LEX_MANAGER_VERSION)), this);
    Label_Version->setObjectName(QStringLiteral("Label_Version"));
    Label_Company = new QLabel(TranslateGUIText("Lex Manager Team"), this);
    Label_Copyright =
        new QLabel(TranslateGUIText("Copyright (C) Lex Manager Team. All rights reserved."), this);
    Label_Copyright->setWordWrap(true);

    Image_Link = new QLabel(this);
    Image_Link->setPixmap(QPixmap(QStringLiteral(":/help/images/web.png")));
    Label_Home = new TLinkLabel(QString::fromLatin1(AboutHomeLink), this);
    Label_Home->setObjectName(QStringLiteral("Label_Home"));
    Label_Support = new TLinkLabel(QString::fromLatin1(AboutSupportLink), this);
    Label_Support->setObjectName(QStringLiteral("Label_Support"));

    BitBtn_OK = new QPushButton(TranslateGUIText("OK"), this);
    BitBtn_OK->setObjectName(QStringLiteral("BitBtn_OK"));
    BitBtn_OK->setDefault(true);
    connect(BitBtn_OK, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(Line(this));
    texts->addWidget(Label_ProductName);
    texts->addWidget(Label_LongName);
    texts->addWidget(Label_Version);
    texts->addSpacing(8);
    texts->addWidget(Label_Purpose);
    texts->addSpacing(8);
    texts->addWidget(Label_Company);
    texts->addWidget(Label_Copyright);
    texts->addStretch();
    auto* links = new QGridLayout;
    links->addWidget(Image_Link, 0, 0, 2, 1, Qt::AlignTop);
    links->addWidget(Label_Home, 0, 1);
    links->addWidget(Label_Support, 1, 1);
    links->setColumnStretch(1, 1);
    texts->addLayout(links);

    auto* body = new QHBoxLayout;
    body->addWidget(Image_Logo);
    body->addLayout(texts, 1);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(BitBtn_OK);
    auto* form = new QVBoxLayout(this);
    form->addWidget(Image_Banner);
    form->addLayout(body, 1);
    form->addWidget(Line(this));
    form->addLayout(okRow);

    setFixedSize(QSize(417, 362).expandedTo(minimumSizeHint()));
    CentreOnScreen(*this);
}

} // namespace lex
