#include "support/MainWindowTest.h"

#include "app/FormExport_U.h"
#include "app/LexFileDialog.h"
#include "app/LumoOption.h"
#include "support/DocumentState.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace lex::test {

extern const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0;

MainWindowTest::MainWindowTest(const std::string& Options)
    : modules(OptionsFile(Options)), dm(nullptr, LumoOption->CodePage, LumoOption->SeqNo) {
    // The data module's dialogs outlive a test; each starts untouched.
    LexSaveDialog() = {};
    LexOpenDialog() = {};
    ExchangeSaveDialog() = TLexSaveDialog(ExchangeFileFilter());
    ExchangeOpenDialog() = TLexOpenDialog(ExchangeFileFilter());
}

MainWindowTest::~MainWindowTest() {
    if (window) {
        for (TFormLexEditor* editor : window->Editors())
            SetModified(editor->Document(), false);
        window.reset();
    }
    Settle();
}

std::string MainWindowTest::OptionsFile(const std::string& Options) {
    const std::string path = dir / "LexManager.ini";
    if (!Options.empty()) std::ofstream(path) << Options;
    return path;
}

TFormLexMain& MainWindowTest::Start(TCommandLine CommandLine) {
    window = std::make_unique<TFormLexMain>(std::move(CommandLine));
    window->resize(900, 700);
    window->show();
    QApplication::setActiveWindow(window.get());
    Settle();
    window->ApplicationEvents1Idle();
    return *window;
}

TFormLexEditor& MainWindowTest::Editor() {
    TFormLexEditor* editor = window->ActiveEditor();
    EXPECT_NE(editor, nullptr);
    return *editor;
}

std::string Text(const QString& Value) {
    return Value.toStdString();
}

namespace {

// Types Path into the dialog's name box (selectFile() leaves a focused box
// alone) and presses OK through QFileDialog's own checks of the name.
void Accept(QFileDialog& Dialog, const std::string& Path, const char* What) {
    const std::filesystem::path path(Path);
    Dialog.setDirectory(QString::fromStdString(path.parent_path().string()));
    Dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QString::fromStdString(path.filename().string()));
    static_cast<QDialog&>(Dialog).accept();
    if (Dialog.isVisible()) {
        ADD_FAILURE() << "the " << What << " dialog kept " << Path;
        Dialog.reject();
    }
}

} // namespace

void PlaySaveDialog(int Pick, const std::string& Typed, int* Preselected) {
    WhenModal<QFileDialog>([=](QFileDialog& dialog) {
        const QStringList filters = dialog.nameFilters();
        *Preselected = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        if (Pick > 0) {
            dialog.selectNameFilter(filters[Pick - 1]);
            emit dialog.filterSelected(filters[Pick - 1]);
        }
        Accept(dialog, Typed, "save");
    });
}

void PlayOpenDialog(const std::string& Path, QStringList* Types) {
    WhenModal<QFileDialog>([=](QFileDialog& dialog) {
        if (Types) *Types = dialog.nameFilters();
        Accept(dialog, Path, "open");
    });
}

void CancelSaveDialog() {
    WhenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
}

void PlayExportDialog(const std::string& FileName) {
    WhenModal<TFormExport>([=](TFormExport& dialog) {
        dialog.Edit_FileName->setText(QString::fromStdString(FileName));
        dialog.accept();
    });
}

} // namespace lex::test
