#pragma once

#include "app/AppModules.h"
#include "app/CommandLine.h"
#include "app/FormLexDM_U.h"
#include "app/FormLexMain_U.h"
#include "editor/view/FormLexEditor_U.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempDir.h"
#include "support/WhenModal.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace lex::test {

// The window tests run on a single-byte western interface code page, so that
// file names in UTF-8 show whether they are decoded as the file system's
// bytes; set before anything asks for the process's code page.
extern const bool ForcedCodePage;

// The program as a user starts it: its modules over an options file in a
// fresh folder, the data module, and message boxes answered from a script.
// Start() shows the main window; editors left modified are closed unasked.
class MainWindowTest : public ::testing::Test {
protected:
    // Options: the text of the options file, written before the modules read
    // it (none: the modules start without one).
    explicit MainWindowTest(const std::string& Options = {});
    ~MainWindowTest() override;

    TFormLexMain& Start(TCommandLine CommandLine = {});

    TFormLexEditor& Editor();
    TLexDocument& Document() { return Editor().Document(); }

    TempDir dir;
    ScriptedMessageBoxes boxes; // before the window: its questions reach the script
    std::deque<int>& answers = boxes.answers;
    std::vector<std::string>& shown = boxes.shown;
    AppModules modules;
    TLexDM dm;
    std::unique_ptr<TFormLexMain> window;

private:
    std::string OptionsFile(const std::string& Options);
};

std::string Text(const QString& Value);

// The file dialogs as a user leaves them. The save dialog: a file type
// picked (0: untouched) and a name typed; the preselected type is recorded.
void PlaySaveDialog(int Pick, const std::string& Typed, int* Preselected);
// The open dialog: a file picked; the types it offered are recorded.
void PlayOpenDialog(const std::string& Path, QStringList* Types = nullptr);
void CancelSaveDialog();
// The export dialog: the file typed, every language left checked.
void PlayExportDialog(const std::string& FileName);

} // namespace lex::test
