#include "app/InterchangeFlows.h"

#include "app/FormTranslationLanguage_U.h"
#include "app/GuiText.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/WaitCursor.h"
#include "interchange/LexInterchange.h"
#include "platform/CodePage.h"
#include "platform/CodePageCatalog.h"
#include "platform/MessageBox.h"
#include "runtime/qt/QtText.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace lex {
namespace {

// At most this many entries are named in the message of an import; the
// count of the others follows.
constexpr size_t ListedProblems = 20;

QString LanguageText(const TLexBand& Band) {
    return ToQString(Band.Caption) + QStringLiteral(" (") +
           ToQString(TLexDocument::BandCodePage(Band)) + QLatin1Char(')');
}

QStringList SequencesOf(const TLexBand& Band) {
    QStringList sequences;
    for (int i = 0; i < Band.ColumnCount(); ++i)
        sequences << ToQString(Band.Column(i)->Caption);
    return sequences;
}

unsigned CodePageNumber(std::string_view CodePage) {
    unsigned number = 0;
    std::from_chars(CodePage.data(), CodePage.data() + CodePage.size(), number);
    return number;
}

// The code page a file's language is written in: one of the document's
// languages first, else the catalogue's. Of the catalogue's, the lowest
// number is the common one ("936" before "54936"). Empty when none fits.
std::string ProposedCodePage(const TLexDocument& Document, const std::string& Locale) {
    std::vector<std::string> codePages;
    for (int i = 1; i < Document.Tree().BandCount(); ++i)
        codePages.push_back(TLexDocument::BandCodePage(*Document.Tree().Band(i)));
    const size_t own = codePages.size();
    if (CodePageList)
        for (const TCodePageList::TEntry& entry : *CodePageList)
            codePages.push_back(entry.Name);
    std::stable_sort(
        codePages.begin() + static_cast<std::ptrdiff_t>(own), codePages.end(),
        [](const auto& A, const auto& B) { return CodePageNumber(A) < CodePageNumber(B); });
    return CodePageOfLocale(codePages, Locale);
}

void ReportProblems(const std::string& FileName, const std::vector<TImportProblem>& Problems,
                    QWidget* Parent) {
    const std::string shownName = std::filesystem::path(FileName).filename().string();
    QStringList lines;
    for (size_t i = 0; i < std::min(Problems.size(), ListedProblems); ++i)
        lines << QString::fromStdString(DescribeProblem(shownName, Problems[i]));
    if (Problems.size() > ListedProblems)
        lines << TranslateGUIText("...and %s more")
                     .replace(QStringLiteral("%s"),
                              QString::number(Problems.size() - ListedProblems));
    GuiMessageBoxFmt(Parent, "These entries were not imported; the rest was: %s", "Warning",
                     MB_OK | MB_ICONWARNING, QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
}

} // namespace

void ExportTranslations(TFormLexEditor& Editor, const std::vector<TLexBand*>& Bands,
                        const std::string& FileName, const FileIdentity& Replacing,
                        QWidget* Parent) {
    TLexDocument& doc = Editor.Document();
    std::vector<const TLexColumn*> columns;
    for (const TLexBand* band : Bands)
        for (int i = 0; i < band->ColumnCount(); ++i)
            columns.push_back(band->Column(i));
    if (columns.empty()) return;
    const TLexColumn* column = columns.front();
    if (columns.size() > 1) {
        TFormTranslationLanguage dialog("Export Language", QStringLiteral("file#export"), false,
                                        Parent);
        for (const TLexBand* band : Bands)
            if (band->ColumnCount() > 0)
                dialog.AddLanguage(LanguageText(*band), TLexDocument::BandCodePage(*band),
                                   SequencesOf(*band));
        if (dialog.exec() != QDialog::Accepted) return;
        column = &LanguageColumn(doc, dialog.CodePage(), dialog.SeqNo());
    }
    TWaitCursor wait;
    ExportLanguageToFile(doc, *column, FileName, nullptr, {}, &Replacing);
}

void ImportTranslations(TFormLexEditor& Editor, const std::string& FileName,
                        const TLexProgressEvent& OnProgress, QWidget* Parent) {
    TLexDocument& doc = Editor.Document();
    const TTranslationCatalog catalog = ReadCatalogFile(FileName);
    TFormTranslationLanguage dialog("Import Translations", QStringLiteral("file#import"), true,
                                    Parent);
    std::vector<std::string> listed;
    for (int i = 1; i < doc.Tree().BandCount(); ++i) {
        const TLexBand& band = *doc.Tree().Band(i);
        const QStringList sequences = SequencesOf(band);
        listed.push_back(TLexDocument::BandCodePage(band));
        dialog.AddLanguage(LanguageText(band), listed.back(),
                           sequences.isEmpty() ? QStringList{QStringLiteral("0")} : sequences);
    }
    if (CodePageList)
        for (const TCodePageList::TEntry& entry : *CodePageList) {
            if (std::find(listed.begin(), listed.end(), entry.Name) != listed.end()) continue;
            QString text = ToQString(entry.Name);
            if (entry.Node) text += QLatin1Char(' ') + ToQString(entry.Node->Description);
            dialog.AddLanguage(text, entry.Name, {QStringLiteral("0")});
        }
    dialog.SelectCodePage(ProposedCodePage(doc, catalog.Language));
    if (dialog.exec() != QDialog::Accepted) return;
    std::vector<TImportProblem> problems;
    {
        TWaitCursor wait;
        problems = ImportCatalog(doc, catalog, dialog.CodePage(), dialog.SeqNo(),
                                 Editor.AskOverwrite(), OnProgress);
    }
    if (!problems.empty()) ReportProblems(FileName, problems, Parent);
}

} // namespace lex
