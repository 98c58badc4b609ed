#include "formfiles/ui/LanguageItems.h"

#include "editor/LexTree.h"
#include "platform/CodePageCatalog.h"
#include "runtime/qt/QtText.h"

#include <QComboBox>

namespace lex {

QString LanguageItemText(const TLexBand& Band) {
    const int index =
        Band.CodePageNode && CodePageList ? CodePageList->IndexOf(Band.CodePageNode->CodePage) : -1;
    return ToQString(index >= 0 ? CodePageList->DisplayText(index) : Band.Caption);
}

void UseFixedPitch(QComboBox& Box, int PointSize) {
    QFont font(QStringLiteral("Monospace"), PointSize);
    font.setStyleHint(QFont::TypeWriter);
    Box.setFont(font);
}

} // namespace lex
