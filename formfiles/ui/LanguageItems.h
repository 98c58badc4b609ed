#pragma once

#include <QString>

class QComboBox;

namespace lex {

struct TLexBand;

// A language as the dialogs list it: the catalogue's code page and
// description for a band it knows, the band's caption otherwise.
QString LanguageItemText(const TLexBand& Band);

// Columns of code pages and descriptions line up only in a fixed-pitch font.
void UseFixedPitch(QComboBox& Box, int PointSize);

} // namespace lex
