#include "app/MainIcons.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace lex {
namespace {

constexpr int NoStandardIcon = -1;

struct TIconRow {
    std::string_view Action;
    const char* Theme;
    int Standard; // QStyle::StandardPixmap, or NoStandardIcon
    const char* Badge;
    QRgb Colour;
};

constexpr QRgb Blue = 0xff2060b0, Green = 0xff2e8540, Red = 0xffb03030, Purple = 0xff7040a0,
               Brown = 0xff8a5a20, Grey = 0xff606060;

// clang-format off
const TIconRow IconRows[] = {
    {"Action_NewLex", "document-new", QStyle::SP_FileIcon, "N", Blue},
    {"Action_Open", "document-open", QStyle::SP_DialogOpenButton, "O", Blue},
    {"Action_Import", "document-import", NoStandardIcon, "Im", Blue},
    {"Action_Save", "document-save", QStyle::SP_DialogSaveButton, "S", Blue},
    {"Action_SaveAs", "document-save-as", NoStandardIcon, "SA", Blue},
    {"Action_Export", "document-export", NoStandardIcon, "Ex", Blue},
    {"Action_ExportNode", "", NoStandardIcon, "EN", Blue},
    {"Action_Exit", "application-exit", NoStandardIcon, "X", Grey},
    {"EditCut1", "edit-cut", NoStandardIcon, "Ct", Grey},
    {"EditCopy1", "edit-copy", NoStandardIcon, "Cp", Grey},
    {"EditPaste1", "edit-paste", NoStandardIcon, "Ps", Grey},
    {"EditUndo1", "edit-undo", NoStandardIcon, "Un", Grey},
    {"Action_Find", "edit-find", NoStandardIcon, "F", Green},
    {"Action_FindPrior", "go-previous", QStyle::SP_ArrowBack, "<", Green},
    {"Action_FindNext", "go-next", QStyle::SP_ArrowForward, ">", Green},
    {"Action_Locate", "go-jump", NoStandardIcon, "L", Green},
    {"Action_OpenDB", "", NoStandardIcon, "DB", Brown},
    {"Action_ImportDB", "", NoStandardIcon, "DI", Brown},
    {"Action_SaveDB", "", NoStandardIcon, "DS", Brown},
    {"Action_NewNode", "list-add", NoStandardIcon, "+", Purple},
    {"Action_NewSubNode", "", NoStandardIcon, "+>", Purple},
    {"Action_DeleteNode", "list-remove", NoStandardIcon, "-", Red},
    {"Action_GB", "", NoStandardIcon, "GB", Red},
    {"Action_Big5", "", NoStandardIcon, "B5", Red},
    {"Action_NewLang", "", NoStandardIcon, "Lg", Purple},
    {"Action_DFM2Lex", "", NoStandardIcon, "FI", Brown},
    {"Action_Lex2DFM", "", NoStandardIcon, "FE", Brown},
    {"Action_GrabData", "", NoStandardIcon, "Gr", Brown},
    {"Action_Font", "preferences-desktop-font", NoStandardIcon, "A", Grey},
    {"Action_Min", "window-minimize", QStyle::SP_TitleBarMinButton, "_", Grey},
    {"Action_Restore", "window-restore", QStyle::SP_TitleBarNormalButton, "R", Grey},
    {"Action_Close", "window-close", QStyle::SP_TitleBarCloseButton, "x", Grey},
    {"HelpContents1", "help-contents", QStyle::SP_DialogHelpButton, "?", Grey},
    {"Action_About", "help-about", QStyle::SP_MessageBoxInformation, "i", Grey},
};
// clang-format on

QPixmap Badge(const char* Text, QRgb Colour, int Size) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(Colour));
    painter.drawRoundedRect(QRectF(0.5, 0.5, Size - 1, Size - 1), Size / 5.0, Size / 5.0);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPixelSize(qstrlen(Text) > 1 ? Size * 9 / 16 : Size * 3 / 4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromLatin1(Text));
    return pixmap;
}

} // namespace

QIcon MainActionIcon(std::string_view ActionName) {
    for (const TIconRow& row : IconRows) {
        if (row.Action != ActionName) continue;
        if (*row.Theme) {
            const QIcon themed = QIcon::fromTheme(QString::fromLatin1(row.Theme));
            if (!themed.isNull()) return themed;
        }
        if (row.Standard != NoStandardIcon)
            return QApplication::style()->standardIcon(
                static_cast<QStyle::StandardPixmap>(row.Standard));
        QIcon icon;
        for (int size : {16, 24, 32})
            icon.addPixmap(Badge(row.Badge, row.Colour, size));
        return icon;
    }
    return {};
}

} // namespace lex
