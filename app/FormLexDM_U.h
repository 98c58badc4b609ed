#pragma once

#include "database/SQLConnection.h"
#include "runtime/Component.h"
#include "runtime/LumoMultiLex.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lex {

// The built-in interface lexicon in the binary format, generated at build
// time from tools/lexgui/LexGUI.tsv.
extern const unsigned char LexGUIData[];
extern const size_t LexGUIDataSize;

// The application's data module: holds the interface lexicon "Lex_GUI" and
// translates the tool's own texts into the interface language.
class TLexDM : public TComponent {
public:
    // CodePage and SeqNo are the interface language and sequence of the
    // options; they do not change during a run. The dictionary registry must
    // outlive the data module, which registers "Lex_GUI" in it.
    TLexDM(TComponent* Owner, std::string CodePage, std::string SeqNo);
    ~TLexDM() override;

    // Owned by the data module; built at its first look-up.
    TLumoMultiStreamLex* LumoMultiStreamLex_GUI = nullptr;
    // The connection the table dialog lists tables through and the database
    // flows copy into the editors' datasets. Set up from the options at
    // creation, so that a grab from a table typed by name reaches the
    // database the options name.
    TSQLConnection SQLConnection_Edit;

    // Text in the interface language, or Text itself when "Lex_GUI" has no
    // entry for it.
    std::string TranslateGUI(std::string_view Text);

    const std::string& CodePage() const { return codePage_; }
    const std::string& SeqNo() const { return seqNo_; }

private:
    void LumoMultiStreamLex_GUIBuildingLex(TCustomMultiLex& Sender, std::string_view ALexKey,
                                           std::string_view ACodePage, std::string_view ASeqNo,
                                           bool& Accept);
    void LumoMultiStreamLex_GUIAfterBuildLex(TCustomMultiLex& Sender);

    std::string codePage_;
    std::string seqNo_;
};

// The data module of the running application, set while one exists.
extern TLexDM* LexDM;

} // namespace lex
