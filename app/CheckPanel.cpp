#include "app/CheckPanel.h"

#include "app/GuiText.h"
#include "checks/LexChecks.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexTreeModel.h"
#include "editor/view/WaitCursor.h"
#include "interchange/LexInterchange.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "runtime/qt/QtText.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeView>
#include <map>
#include <vector>

namespace lex {

namespace {

struct TListedFinding {
    std::string Key;
    std::string CodePage; // empty for a finding about the key itself
    std::string SeqNo;
    QString Language; // "Caption (code page)" as the check saw it
    QString Rule;
    QString Detail;
};

constexpr const char* Headers[] = {"LexKey", "Language", "Sequence", "Rule", "Detail"};

} // namespace

class TCheckFindingModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Reset(std::vector<TListedFinding> Findings) {
        beginResetModel();
        findings_ = std::move(Findings);
        endResetModel();
    }
    const TListedFinding& Finding(int Row) const { return findings_.at(static_cast<size_t>(Row)); }

    int rowCount(const QModelIndex& Parent) const override {
        return Parent.isValid() ? 0 : static_cast<int>(findings_.size());
    }
    int columnCount(const QModelIndex& Parent) const override {
        return Parent.isValid() ? 0 : static_cast<int>(std::size(Headers));
    }
    QVariant data(const QModelIndex& Index, int Role) const override {
        if (Role != Qt::DisplayRole || !Index.isValid()) return {};
        const TListedFinding& finding = Finding(Index.row());
        switch (Index.column()) {
        case 0:
            return ToQString(finding.Key);
        case 1:
            return finding.Language;
        case 2:
            return ToQString(finding.SeqNo);
        case 3:
            return finding.Rule;
        default:
            return finding.Detail;
        }
    }
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override {
        if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 ||
            Section >= static_cast<int>(std::size(Headers)))
            return {};
        return TranslateGUIText(Headers[Section]);
    }

private:
    std::vector<TListedFinding> findings_;
};

TCheckPanel::TCheckPanel(QWidget* Parent)
    : QDockWidget(TranslateGUIText("Check Lexicon"), Parent), model_(new TCheckFindingModel(this)) {
    setObjectName(QStringLiteral("DockWidget_Check"));
    TreeView_Findings = new QTreeView(this);
    TreeView_Findings->setObjectName(QStringLiteral("TreeView_Findings"));
    TreeView_Findings->setRootIsDecorated(false);
    TreeView_Findings->setUniformRowHeights(true); // a long list stays quick
    TreeView_Findings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView_Findings->setModel(model_);
    setWidget(TreeView_Findings);
    connect(TreeView_Findings, &QTreeView::activated, this,
            [this](const QModelIndex& Index) { FocusFinding(Index.row()); });
}

void TCheckPanel::Check(TFormLexEditor& Editor) {
    Editor.PostEdit();
    TLexDocument& doc = Editor.Document();
    std::vector<TCheckFinding> findings;
    {
        TWaitCursor wait;
        findings = CheckLexicon(doc, AllCheckRules());
    }
    std::map<std::string, QString> languages; // by code page
    for (int i = 1; i < doc.Tree().BandCount(); ++i) {
        const TLexBand& band = *doc.Tree().Band(i);
        const std::string codePage = TLexDocument::BandCodePage(band);
        languages[codePage] =
            ToQString(band.Caption) + QStringLiteral(" (") + ToQString(codePage) + u')';
    }
    std::vector<TListedFinding> listed;
    listed.reserve(findings.size());
    for (TCheckFinding& finding : findings) {
        const auto language = languages.find(finding.CodePage);
        listed.push_back(
            {std::move(finding.Key), finding.CodePage, std::move(finding.SeqNo),
             language == languages.end() ? ToQString(finding.CodePage) : language->second,
             ToQString(CheckRuleName(finding.Rule)), ToQString(finding.Message)});
    }
    editor_ = &Editor;
    model_->Reset(std::move(listed));
    show();
    raise();
    if (findings.empty())
        GuiMessageBox(this, "No problems found.", "Check Lexicon", MB_OK | MB_ICONINFORMATION);
}

void TCheckPanel::FocusFinding(int Row) {
    if (!editor_) {
        GuiMessageBox(this, "The editor of these findings has been closed.", "Warning",
                      MB_OK | MB_ICONWARNING);
        return;
    }
    const TListedFinding& finding = model_->Finding(Row);
    TLexDocument& doc = editor_->Document();
    TTreeNode* node = doc.FindNodeByKey(finding.Key);
    if (!node) {
        GuiMessageBoxFmt(this, "Key \"%s\" is no longer in the lexicon.", "Warning",
                         MB_OK | MB_ICONWARNING, ToQString(finding.Key));
        return;
    }
    int column = 0;
    if (!finding.CodePage.empty()) {
        try {
            column = LanguageColumn(doc, finding.CodePage, finding.SeqNo).Index();
        } catch (const Exception&) {
            GuiMessageBoxFmt(this, "Language %s is no longer in the lexicon.", "Warning",
                             MB_OK | MB_ICONWARNING,
                             finding.Language + u' ' + ToQString(finding.SeqNo));
            return;
        }
    }
    if (auto* window = qobject_cast<QMdiSubWindow*>(editor_->parentWidget()))
        if (QMdiArea* area = window->mdiArea()) area->setActiveSubWindow(window);
    QTreeView* view = editor_->TreeView();
    const QModelIndex cell = editor_->Model()->IndexOf(node, column);
    for (QModelIndex up = cell.parent(); up.isValid(); up = up.parent())
        view->expand(up);
    view->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    view->scrollTo(cell);
    view->setFocus();
}

TCheckPanel& CheckLexiconInto(QMainWindow& Window, TFormLexEditor& Editor) {
    auto* panel = Window.findChild<TCheckPanel*>();
    if (!panel) {
        panel = new TCheckPanel(&Window);
        Window.addDockWidget(Qt::BottomDockWidgetArea, panel);
    }
    panel->Check(Editor);
    return *panel;
}

} // namespace lex
