#include "database/ui/EditorDataSets.h"

#include "editor/LexTableSync.h"
#include "editor/view/FormLexEditor_U.h"
#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/TextCompare.h"
#include "runtime/qt/QtText.h"

namespace lex {
namespace {

QByteArray Utf8(const QString& Text) {
    return Text.toUtf8();
}

// The fields of a refused row, one "name : value" line each. A display value
// is text of its row's language, every other value of the process's code
// page: the report is in UTF-8 so that both read right.
QString FieldLines(std::span<const TReconcileField> Fields) {
    const std::string_view codePage = FieldValue(Fields, "CodePage");
    QString lines;
    for (const TReconcileField& field : Fields) {
        const QString value = AnsiSameText(field.Name, "DisplayValue")
                                  ? ToQString(field.Value, TextCodePage(codePage))
                                  : ToQString(field.Value);
        lines += ToQString(field.Name) + QStringLiteral(" : ") + value + QStringLiteral("\r\n");
    }
    return lines;
}

} // namespace

TEditorDataSets& TEditorDataSets::Of(TFormLexEditor& Editor) {
    auto* sets = Editor.findChild<TEditorDataSets*>(QString(), Qt::FindDirectChildrenOnly);
    return sets ? *sets : *new TEditorDataSets(Editor);
}

TEditorDataSets::TEditorDataSets(TFormLexEditor& Editor)
    : QObject(&Editor), FReconcileAnswer(IDYES), editor_(Editor) {
    setObjectName(QStringLiteral("EditorDataSets"));
    CDS_Lex.OnBeforeApply = [this] { FReconcileAnswer = IDYES; };
    CDS_Lex.OnReconcileError = [this](std::string_view Message,
                                      std::span<const TReconcileField> Fields) {
        CDS_LexReconcileError(Message, Fields);
    };
    CDS_Lex.OnPostError = [this](std::string_view Message) { CDS_LexPostError(Message); };
    CDS_Lex.OnConflict = [this](const TRowConflict& Conflict) { return CDS_LexConflict(Conflict); };
}

// The refused change stays unapplied whatever the answer.
void TEditorDataSets::CDS_LexReconcileError(std::string_view Message,
                                            std::span<const TReconcileField> Fields) {
    if (FReconcileAnswer == IDNO) return;
    const TLexDocument& document = editor_.Document();
    const QString text = ToQString(Message) + QStringLiteral("\r\n\r\n") + FieldLines(Fields) +
                         QStringLiteral("\r\n") +
                         ToQString(document.TranslateGUI("Continue warning?"));
    FReconcileAnswer = ShowMessageBox(&editor_, Utf8(text).toStdString(),
                                      Utf8(ToQString(document.TranslateGUI("Error"))).toStdString(),
                                      MB_YESNO | MB_ICONERROR | MB_UTF8TEXT) == IDNO
                           ? IDNO
                           : IDYES;
}

TConflictAnswer TEditorDataSets::CDS_LexConflict(const TRowConflict& Conflict) {
    TLexDocument& document = editor_.Document();
    const auto tr = [&](const char* Text) { return ToQString(document.TranslateGUI(Text)); };
    const std::span<const TReconcileField> row =
        Conflict.Yours.empty() ? Conflict.Theirs : Conflict.Yours;
    const std::string key(FieldValue(row, "LexKey"));
    const std::string codePage(FieldValue(row, "CodePage"));
    const std::string seqNo(FieldValue(row, "SeqNo"));
    const auto value = [&](std::span<const TReconcileField> Fields) {
        if (Fields.empty()) return tr("(deleted)");
        return ToQString(FieldValue(Fields, "DisplayValue"), TextCodePage(codePage));
    };
    const QString text =
        tr("Someone else changed this entry in the table since you read it.") +
        QStringLiteral("\r\n\r\n") + tr("Key") + QStringLiteral(": ") + ToQString(key) +
        QStringLiteral("\r\n") + tr("Language") + QStringLiteral(": ") + ToQString(codePage) +
        QStringLiteral(", ") + tr("sequence") + QStringLiteral(" ") + ToQString(seqNo) +
        QStringLiteral("\r\n") + tr("Theirs") + QStringLiteral(": ") + value(Conflict.Theirs) +
        QStringLiteral("\r\n") + tr("Yours") + QStringLiteral(": ") + value(Conflict.Yours) +
        QStringLiteral("\r\n\r\n") +
        tr("Yes: overwrite theirs with yours. No: keep theirs in the editor. Cancel: skip "
           "it for now.");
    const int answer =
        ShowMessageBox(&editor_, Utf8(text).toStdString(), Utf8(tr("Conflict")).toStdString(),
                       MB_YESNOCANCEL | MB_ICONWARNING | MB_UTF8TEXT);
    if (answer == IDYES) return TConflictAnswer::Overwrite;
    if (answer != IDNO) return TConflictAnswer::Skip;
    std::optional<std::string_view> theirs;
    if (!Conflict.Theirs.empty()) theirs = FieldValue(Conflict.Theirs, "DisplayValue");
    TakeTableValue(document, key, codePage, seqNo, theirs);
    return TConflictAnswer::KeepTheirs;
}

void TEditorDataSets::CDS_LexPostError(std::string_view Message) {
    const TLexDocument& document = editor_.Document();
    ShowMessageBox(&editor_, std::string(Message), document.TranslateGUI("Error"),
                   MB_OK | MB_ICONERROR);
}

} // namespace lex
