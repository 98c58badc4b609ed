#include "database/ui/EditorDataSets.h"

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
    std::string_view codePage;
    for (const TReconcileField& field : Fields)
        if (AnsiSameText(field.Name, "CodePage")) codePage = field.Value;
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

void TEditorDataSets::CDS_LexPostError(std::string_view Message) {
    const TLexDocument& document = editor_.Document();
    ShowMessageBox(&editor_, std::string(Message), document.TranslateGUI("Error"),
                   MB_OK | MB_ICONERROR);
}

} // namespace lex
