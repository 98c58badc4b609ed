#include "app/FormLexDM_U.h"

#include "app/LumoOption.h"

#include <utility>

namespace lex {

TLexDM* LexDM = nullptr;

TLexDM::TLexDM(TComponent* Owner, std::string CodePage, std::string SeqNo)
    : TComponent(Owner), codePage_(std::move(CodePage)), seqNo_(std::move(SeqNo)) {
    // Owned at once, so a failure below (a "Lex_GUI" registered already)
    // still frees it with this data module.
    LumoMultiStreamLex_GUI = new TLumoMultiStreamLex(this);
    LumoMultiStreamLex_GUI->SetLexName(GUILexName);
    LumoMultiStreamLex_GUI->LexReaderID = LumoBinaryID;
    LumoMultiStreamLex_GUI->Dictionary.ReadData(
        std::string_view(reinterpret_cast<const char*>(LexGUIData), LexGUIDataSize));
    LumoMultiStreamLex_GUI->OnBuildingLex =
        [this](TCustomMultiLex& Sender, std::string_view ALexKey, std::string_view ACodePage,
               std::string_view ASeqNo, bool& Accept) {
            LumoMultiStreamLex_GUIBuildingLex(Sender, ALexKey, ACodePage, ASeqNo, Accept);
        };
    LumoMultiStreamLex_GUI->OnAfterBuildLex = [this](TCustomMultiLex& Sender) {
        LumoMultiStreamLex_GUIAfterBuildLex(Sender);
    };
    if (LumoOption) ConfigureConnection(SQLConnection_Edit, LumoOption->DBSettings());
    LexDM = this;
}

TLexDM::~TLexDM() {
    if (LexDM == this) LexDM = nullptr;
}

std::string TLexDM::TranslateGUI(std::string_view Text) {
    return LumoMultiStreamLex_GUI->Translate(Text, codePage_, seqNo_);
}

// Only the interface language is loaded: the other half of the lexicon would
// never be looked up.
void TLexDM::LumoMultiStreamLex_GUIBuildingLex(TCustomMultiLex&, std::string_view,
                                               std::string_view ACodePage, std::string_view,
                                               bool& Accept) {
    Accept = ACodePage == codePage_;
}

// The entries now hold what the interface needs; the embedded copy is dead
// weight for the rest of the run.
void TLexDM::LumoMultiStreamLex_GUIAfterBuildLex(TCustomMultiLex&) {
    TMultiDictionary& dictionary = LumoMultiStreamLex_GUI->Dictionary;
    std::string().swap(dictionary.Stream);
    dictionary.Position = 0;
}

} // namespace lex
