#include "app/LexFileDialog.h"

#include "app/GuiText.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace lex {
namespace {

// Starts the dialog in the folder of Name and with Name's file selected.
void PlaceName(QFileDialog& Dialog, const QString& Name) {
    if (Name.isEmpty()) return;
    const QFileInfo info(Name);
    if (info.dir().exists()) Dialog.setDirectory(info.absolutePath());
    Dialog.selectFile(info.fileName());
}

// 1-based index of the filter the user left selected; 0 when unknown.
int ChosenFilterIndex(const QFileDialog& Dialog) {
    return static_cast<int>(Dialog.nameFilters().indexOf(Dialog.selectedNameFilter())) + 1;
}

std::vector<TFileDialogType> ExchangeFileTypes() {
    return FileDialogTypes({TFileKind::Translation});
}

} // namespace

std::string ExchangeFileFilter() {
    return DialogFilter(ExchangeFileTypes());
}

QStringList QtNameFilters(std::string_view Filter) {
    const QStringList parts =
        QString::fromUtf8(Filter.data(), static_cast<qsizetype>(Filter.size()))
            .split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        text.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(text, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString DefaultExtForFileType(int Type) {
    // The lexicon types are the first ones of the translators' dialogs too.
    const std::vector<TFileDialogType> types = ExchangeFileTypes();
    if (Type < 1 || Type > static_cast<int>(types.size())) return {};
    const TFileFormat* format = types[static_cast<size_t>(Type - 1)].Format;
    if (!format) return {};
    const std::string_view extension = format->ExtensionList().front();
    return QLatin1Char('.') +
           QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
}

QString AppendDefaultExt(const QString& FileName, const QString& Ext) {
    if (Ext.isEmpty() || QFileInfo(FileName).fileName().contains(QLatin1Char('.'))) return FileName;
    return FileName + Ext;
}

bool AgreeToReplace(QWidget* Parent, const QString& FileName, FileIdentity& Replacing) {
    const std::string path = QFile::encodeName(FileName).toStdString();
    if (!QFileInfo::exists(FileName)) {
        Replacing = {};
        return true;
    }
    if (GuiMessageBoxFmt(Parent, "File \"%s\" already exists. Replace it?", "Confirm",
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, FileName) != IDYES)
        return false;
    Replacing = CurrentFileIdentity(path);
    return true;
}

void TLexSaveDialog::SDTypeChange(int Type) {
    FilterIndex = Type;
    DefaultExt = DefaultExtForFileType(Type);
}

bool TLexSaveDialog::Execute(QWidget* Parent, const QString& FallbackExt) {
    for (;;) {
        QFileDialog dialog(Parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The dialog would ask about the name as typed, before any extension
        // is added; the question comes below, for the name really written.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = QtNameFilters(Filter);
        dialog.setNameFilters(filters);
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
        PlaceName(dialog, FileName);
        dialog.setDefaultSuffix(DefaultExt.mid(1));
        // Connected after the preselection: only the user's pick changes the
        // default extension.
        QObject::connect(&dialog, &QFileDialog::filterSelected, [&](const QString& filter) {
            SDTypeChange(static_cast<int>(filters.indexOf(filter)) + 1);
            dialog.setDefaultSuffix(DefaultExt.mid(1));
        });
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        // A native dialog may not report the pick as it happens.
        if (const int chosen = ChosenFilterIndex(dialog); chosen > 0 && chosen != FilterIndex)
            SDTypeChange(chosen);
        FileName = AppendDefaultExt(
            AppendDefaultExt(dialog.selectedFiles().constFirst(), DefaultExt), FallbackExt);
        if (AgreeToReplace(Parent, FileName, Replacing)) return true;
        // No: the dialog again, at that name, for another one.
    }
}

bool TLexOpenDialog::Execute(QWidget* Parent) {
    QFileDialog dialog(Parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[FilterIndex - 1]);
    PlaceName(dialog, FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    if (const int chosen = ChosenFilterIndex(dialog); chosen > 0) FilterIndex = chosen;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

TLexSaveDialog& LexSaveDialog() {
    static TLexSaveDialog dialog;
    return dialog;
}

TLexOpenDialog& LexOpenDialog() {
    static TLexOpenDialog dialog;
    return dialog;
}

TLexSaveDialog& ExchangeSaveDialog() {
    static TLexSaveDialog dialog(ExchangeFileFilter());
    return dialog;
}

TLexOpenDialog& ExchangeOpenDialog() {
    static TLexOpenDialog dialog(ExchangeFileFilter());
    return dialog;
}

} // namespace lex
