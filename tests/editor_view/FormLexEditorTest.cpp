#include "editor/LexSearch.h"
#include "editor/NodeListLexReader.h"
#include "editor/view/BandedHeaderView.h"
#include "editor/view/FormLexEditor_U.h"
#include "editor/view/LexItemDelegate.h"
#include "editor/view/LexTreeModel.h"
#include "editor/view/LexTreeView.h"
#include "editor/view/PopupMemoEdit.h"
#include "editor/view/RowIndicator.h"
#include "editor_view/ViewSupport.h"
#include "platform/CodePage.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTreeView>
#include <QUndoStack>

namespace lex {
namespace {

// Interface texts in a code page other than the file system's UTF-8.
const bool ForcedCodePage = setenv("LEXMANAGER_CODEPAGE", "1252", 1) == 0;

using test::StandardFields;

class FormLexEditorTest : public test::DocumentTest {
protected:
    FormLexEditorTest() {
        Load(doc, StandardFields, test::MenuRecords());
        form.resize(900, 400);
        form.show();
    }

    TTreeNode* Node(std::string_view Key) { return doc.FindNodeByKey(Key); }
    QModelIndex Index(std::string_view Key, int Column = 0) {
        return model.IndexOf(Node(Key), Column);
    }
    std::vector<std::string> SelectedKeys() {
        std::vector<std::string> keys;
        for (int i = 0; i < doc.Tree().SelectionCount(); ++i)
            keys.emplace_back(doc.Key(doc.Tree().SelectedNode(i)));
        return keys;
    }
    // The grid's open editor, or none.
    QLineEdit* Editor() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* editor = qobject_cast<QLineEdit*>(grid.CurrentEditor());
        EXPECT_EQ(view.viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly).size(),
                  editor ? 1 : 0);
        return editor;
    }
    // Opens the grid's editor on a cell the way a user does.
    QLineEdit* EditCell(const QModelIndex& Cell) {
        view.setCurrentIndex(Cell);
        view.edit(Cell);
        return Editor();
    }

    // Each language band's caption is drawn over exactly its sections,
    // which stand together in band order, each wide enough to be seen.
    void ExpectBandsOverTheirColumns() {
        QApplication::processEvents();
        auto& header = static_cast<TBandedHeaderView&>(*view.header());
        const QImage image = header.grab().toImage();
        int section = 1;
        for (int b = 1; b < doc.Tree().BandCount(); ++b) {
            const TLexBand& band = *doc.Tree().Band(b);
            SCOPED_TRACE(band.Caption);
            const int first = section;
            for (int position = 0; position < std::max(band.ColumnCount(), 1); ++position) {
                EXPECT_EQ(model.BandAt(section), &band);
                EXPECT_EQ(model.ColumnAt(section),
                          band.ColumnCount() > 0 ? band.Column(position) : nullptr);
                EXPECT_GE(header.sectionSize(section), 20);
                EXPECT_EQ(header.BandRect(section), header.BandRect(first));
                ++section;
            }
            const int last = section - 1;
            const QRect caption = header.BandRect(first);
            EXPECT_EQ(caption.left(), header.sectionViewportPosition(first));
            EXPECT_EQ(caption.right(),
                      header.sectionViewportPosition(last) + header.sectionSize(last) - 1);
            EXPECT_EQ(caption.bottom(), header.height() / 2 - 1);
            EXPECT_TRUE(HasText(image, caption.intersected(image.rect())));
        }
        EXPECT_EQ(section, model.columnCount());
    }
    // Whether something is drawn inside a header cell besides its frame:
    // pixels of more colours than the cell's background and borders.
    static bool HasText(const QImage& Image, const QRect& Cell) {
        QSet<QRgb> colours;
        const QRect inside = Cell.adjusted(4, 3, -4, -3);
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                colours.insert(Image.pixel(x, y));
        return colours.size() > 2;
    }

    TFormLexEditor form{TLexEditorOptions{}};
    TLexDocument& doc = form.Document();
    QTreeView& view = *form.TreeView();
    TLexTreeView& grid = static_cast<TLexTreeView&>(view);
    TLexTreeModel& model = *form.Model();
    static constexpr int Western = 3; // 1252/0: key, 936/0, 950/0, 1252/0, 1252/1
};

TEST_F(FormLexEditorTest, SelectionReachesTheDocumentInTheOrderItWasMade) {
    QItemSelectionModel& selection = *view.selectionModel();
    const auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    view.expandAll();
    selection.select(Index("Save"), rows);
    selection.select(Index("File"), rows);
    selection.select(Index("Edit"), rows);
    EXPECT_EQ(SelectedKeys(), (std::vector<std::string>{"Save", "File", "Edit"}));
    selection.select(Index("File"), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    EXPECT_EQ(SelectedKeys(), (std::vector<std::string>{"Save", "Edit"}));

    selection.setCurrentIndex(Index("Open", Western), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(doc.Tree().FocusedNode(), Node("Open"));
    EXPECT_EQ(doc.Tree().FocusedColumn(), Western);

    selection.clearSelection();
    EXPECT_EQ(doc.Tree().SelectionCount(), 0);
}

TEST_F(FormLexEditorTest, TheGridFollowsTheDocumentsFocusAndSelection) {
    view.collapseAll();
    Find(doc, u"speichern"); // the value of Save, under the collapsed File
    EXPECT_EQ(view.currentIndex(), Index("Save", Western));
    EXPECT_TRUE(view.isExpanded(Index("File")));
    const QModelIndexList rows = view.selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], Index("Save"));
    EXPECT_EQ(view.selectionModel()->selectedIndexes().size(), model.columnCount());

    // The grid's answer to the document's selection does not echo back.
    EXPECT_EQ(SelectedKeys(), std::vector<std::string>{"Save"});

    doc.Tree().ClearSelection();
    EXPECT_FALSE(view.selectionModel()->hasSelection());
}

TEST_F(FormLexEditorTest, TheGridsEditorIsTheDocumentsEdit) {
    QLineEdit* editor = EditCell(Index("Edit"));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(doc.Tree().Editing());
    EXPECT_EQ(doc.Tree().FocusedNode(), Node("Edit"));
    editor->setText("Bearbeiten");
    EXPECT_EQ(doc.Tree().EditText(), "Bearbeiten"); // typed text reaches the document

    // A duplicate key is refused and the editor stays open.
    editor->setText("FILE");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(shown.back(), "Error|LexKey already exists!");
    EXPECT_EQ(Editor(), editor);
    EXPECT_TRUE(doc.Tree().Editing());

    // Escape drops it.
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_FALSE(doc.Tree().Editing());
    EXPECT_EQ(doc.Key(Node("Edit")), "Edit");
    EXPECT_FALSE(doc.Modified());

    editor = EditCell(Index("Edit"));
    editor->setText("Edit2");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_FALSE(doc.Tree().Editing());
    EXPECT_EQ(doc.Key(doc.Tree().LastNode()), "Edit2");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(view.currentIndex(), Index("Edit2", 1)); // Enter moves on to the next cell

    // Tab stores and edits the next cell; after a row's last, the next row's first.
    editor = EditCell(Index("File", 4));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(TLexItemDelegate::EditorIndex(Editor()), Index("Edit2", 0));
    QTest::keyClick(Editor(), Qt::Key_Escape);

    // The document's own edit opens the grid's editor.
    doc.NewNode();
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "LexKey1");
    EXPECT_EQ(view.currentIndex(), model.IndexOf(doc.Tree().LastNode(), 0));
    doc.PostEdit();
    EXPECT_EQ(Editor(), nullptr);
}

TEST_F(FormLexEditorTest, ARefusedKeyHoldsItsCellWhenTheUserClicksAway) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QLineEdit* editor = EditCell(Index("Edit"));
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "FILE");
    ASSERT_TRUE(editor->hasFocus());
    const QPoint elsewhere = view.visualRect(Index("File", Western)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, elsewhere);
    QApplication::processEvents(); // the focus comes back to the editor
    EXPECT_EQ(shown, std::vector<std::string>{"Error|LexKey already exists!"});
    ASSERT_EQ(Editor(), editor);
    EXPECT_EQ(editor->text(), "FILE");
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(view.currentIndex(), Index("Edit"));
    EXPECT_TRUE(doc.Tree().Editing());
    EXPECT_EQ(doc.Key(Node("Edit")), "Edit");

    // Once the text is one the key check takes, the click stores it and lands.
    QTest::keyClicks(editor, "2");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, elsewhere);
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(doc.Key(doc.Tree().LastNode()), "FILE2");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(view.currentIndex(), Index("File", Western));
    EXPECT_EQ(TLexItemDelegate::EditorIndex(Editor()), Index("File", Western)); // immediate edit
}

TEST_F(FormLexEditorTest, ANodeMadeVisibleIsExpandedToAndScrolledTo) {
    std::vector<TLexRecord> items;
    for (int i = 0; i < 60; ++i)
        items.push_back({"Item" + std::to_string(i), "1252", "0", "x", "Open"});
    Merge(doc, StandardFields, std::move(items));
    form.resize(600, 200);
    view.collapseAll();
    doc.Tree().SetFocusedNode(Node("Edit"));
    QApplication::processEvents();

    doc.Tree().MakeVisible(Node("Item59")); // as Find, Locate and a merge do
    EXPECT_TRUE(view.isExpanded(Index("File")));
    EXPECT_TRUE(view.isExpanded(Index("Open")));
    EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(Index("Item59"))));
    EXPECT_EQ(doc.Tree().FocusedNode(), Node("Edit")); // the focus is not moved
}

TEST_F(FormLexEditorTest, PostEditStoresTheOpenEditorOrRefusesIt) {
    QLineEdit* editor = EditCell(Index("Edit", Western));
    editor->setText(QString::fromUtf8("Bearbeiten \xE2\x82\xAC")); // the euro sign is in 1252
    form.PostEdit();
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), Western), "Bearbeiten \x80");

    editor = EditCell(Index("Edit", Western));
    editor->setText(QString::fromUtf8("\xE4\xB8\xAD")); // a Chinese character is not
    EXPECT_THROW(form.PostEdit(), EAbort);
    EXPECT_EQ(shown.back(), "Error|Character U+4E2D cannot be written in code page 1252");
    EXPECT_EQ(Editor(), editor);
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), Western), "Bearbeiten \x80");
}

TEST_F(FormLexEditorTest, OnlyAModifiedMemoReplacesTheText) {
    auto* editor = qobject_cast<TPopupMemoEdit*>(EditCell(Index("Edit", Western)));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->PopupBorderStyle(), 2);

    QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->DroppedDown());
    EXPECT_EQ(editor->Memo()->toPlainText(), "Bearbeiten");
    editor->CloseUp(true); // unmodified: nothing happens
    EXPECT_EQ(Editor(), editor);
    EXPECT_FALSE(doc.Modified());

    QTest::keyClick(editor, Qt::Key_F4);
    QTest::keyClicks(editor->Memo(), "typed");
    QTest::keyClick(editor->Memo(), Qt::Key_Escape); // dropped
    EXPECT_FALSE(editor->DroppedDown());
    EXPECT_EQ(editor->text(), "Bearbeiten");

    QTest::keyClick(editor, Qt::Key_F4);
    editor->Memo()->moveCursor(QTextCursor::End);
    QTest::keyClick(editor->Memo(), Qt::Key_Return);
    QTest::keyClicks(editor->Memo(), "line 2");
    QTest::keyClick(editor->Memo(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), Western), "Bearbeiten\nline 2");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(Editor(), nullptr);

    form.SetEditorStyle(TEditorStyle::Panel);
    editor = qobject_cast<TPopupMemoEdit*>(EditCell(Index("Edit", Western)));
    EXPECT_EQ(editor->PopupBorderStyle(), 3);
    EXPECT_EQ(editor->Popup()->frameShape(), QFrame::Panel);
    // Key cells edit in a plain editor.
    EXPECT_EQ(qobject_cast<TPopupMemoEdit*>(EditCell(Index("Edit"))), nullptr);
}

TEST_F(FormLexEditorTest, AClickEditsAtOnceOnlyWithImmediateEdit) {
    const QRect cell = view.visualRect(Index("Edit", Western));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(TLexItemDelegate::EditorIndex(Editor()), Index("Edit", Western));
    QTest::keyClick(Editor(), Qt::Key_Escape);

    form.SetImmediateEdit(false);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(Index("File")).center());
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(doc.Tree().FocusedNode(), Node("File"));
}

TEST_F(FormLexEditorTest, ADropLandsOnTheRowUnderThePointer) {
    view.expandAll();
    view.selectionModel()->select(Index("Edit"),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    std::unique_ptr<QMimeData> data(model.mimeData({}));
    // Near a row's top edge: still onto that row, never between two rows.
    const QPoint point = view.visualRect(Index("Save")).topLeft() + QPoint(10, 1);
    auto send = [&](QDropEvent&& Event) {
        Event.setDropAction(Qt::MoveAction);
        QCoreApplication::sendEvent(view.viewport(), &Event);
        return Event.isAccepted();
    };
    EXPECT_TRUE(send(QDragEnterEvent(point, Qt::MoveAction, data.get(), Qt::LeftButton, {})));
    EXPECT_TRUE(send(QDragMoveEvent(point, Qt::MoveAction, data.get(), Qt::LeftButton, {})));
    EXPECT_EQ(doc.Tree().FocusedNode(), Node("Save")); // the focus follows the pointer
    EXPECT_TRUE(send(QDropEvent(point, Qt::MoveAction, data.get(), Qt::LeftButton, {})));
    EXPECT_EQ(Node("Edit")->Parent(), Node("Save"));
    EXPECT_EQ(Node("Edit")->Data->ParentKey, "Save");
    EXPECT_TRUE(doc.Modified());

    // Onto its own parent: refused.
    const QPoint onParent = view.visualRect(Index("Save")).center();
    EXPECT_TRUE(send(QDragEnterEvent(onParent, Qt::MoveAction, data.get(), Qt::LeftButton, {})));
    EXPECT_FALSE(send(QDragMoveEvent(onParent, Qt::MoveAction, data.get(), Qt::LeftButton, {})));
}

TEST_F(FormLexEditorTest, TheTitleDecodesAFileNameAsTheFileSystemDoes) {
    ASSERT_TRUE(ForcedCodePage);
    ASSERT_EQ(ProcessCodePage(), 1252);
    doc.SetUntitledCaption("W\xF6rterbuch 1"); // interface text, in 1252
    form.RefreshCaption();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("W\xC3\xB6rterbuch 1"));

    const test::TempDir dir;
    const std::string path = dir / "Lexikon-\xC3\xA4\xE4\xB8\xAD.lxc"; // UTF-8 on disk
    SaveAs(doc, path);
    form.RefreshCaption();
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8(path.c_str()));
}

TEST_F(FormLexEditorTest, ClosingAModifiedEditorAsksFirst) {
    doc.SetUntitledCaption("Lexicon 1");
    SetModified(doc, true);
    answers = {IDCANCEL};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(shown.back(), "Confirm|\"Lexicon 1\": Data modified, Save?");
    // A file is named without its folder, in the interface's code page.
    const test::TempDir dir;
    SaveAs(doc, dir / "W\xC3\xB6rter.lxc");
    SetModified(doc, true);
    answers = {IDCANCEL};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(shown.back(), "Confirm|\"W\xF6rter.lxc\": Data modified, Save?");

    int saves = 0;
    form.OnSaveEditor = [&](TFormLexEditor& Editor) {
        EXPECT_EQ(&Editor, &form);
        ++saves; // a save that failed: still modified
    };
    answers = {IDYES};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(saves, 1);

    form.OnSaveEditor = [&](TFormLexEditor& Editor) { SetModified(Editor.Document(), false); };
    answers = {IDYES};
    EXPECT_TRUE(form.close());
}

// On a key cell the tree's own keys work the tree, whether or not a click
// edits at once; any other key typed there renames the node.
TEST_F(FormLexEditorTest, TreeKeysOnAKeyCellExpandCollapseAndMove) {
    Merge(doc, StandardFields, {{"Deep", "1252", "0", "d", "Open"}});
    for (const bool immediate : {true, false}) {
        SCOPED_TRACE(immediate);
        form.SetImmediateEdit(immediate);
        view.collapseAll();
        view.setFocus();
        view.setCurrentIndex(Index("File"));
        const auto press = [&](Qt::Key Key, const char* Text) {
            QKeyEvent event(QEvent::KeyPress, Key, Qt::NoModifier, QString::fromLatin1(Text));
            QApplication::sendEvent(&view, &event);
            EXPECT_EQ(Editor(), nullptr) << Text;
        };
        press(Qt::Key_Asterisk, "*");
        // The window keeps what it opened across the document's batches.
        Merge(doc, StandardFields, {{"Deep", "1252", "0", immediate ? "e" : "f", "Open"}});
        EXPECT_TRUE(view.isExpanded(Index("File")) && view.isExpanded(Index("Open")));
        view.setCurrentIndex(Index("File"));
        press(Qt::Key_Minus, "-");
        EXPECT_FALSE(view.isExpanded(Index("File")));
        press(Qt::Key_Plus, "+");
        EXPECT_TRUE(view.isExpanded(Index("File")));
        press(Qt::Key_Left, "");
        EXPECT_FALSE(view.isExpanded(Index("File")));
        press(Qt::Key_Right, "");
        EXPECT_TRUE(view.isExpanded(Index("File")));
        EXPECT_EQ(view.currentIndex(), Index("File"));
        press(Qt::Key_Down, "");
        EXPECT_EQ(view.currentIndex(), Index("Open"));
        press(Qt::Key_Right, ""); // open already: on to the next cell
        EXPECT_EQ(view.currentIndex(), Index("Open", 1));
        // A value may start with those characters: there they are typed.
        QTest::keyClick(&view, Qt::Key_Minus);
        ASSERT_NE(Editor(), nullptr);
        EXPECT_EQ(Editor()->text(), "-");
        QTest::keyClick(Editor(), Qt::Key_Escape);
    }
    view.setCurrentIndex(Index("Edit"));
    QTest::keyClicks(&view, "X");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "X");
}

TEST_F(FormLexEditorTest, AUsersResizeOfTheKeyColumnIsReported) {
    std::vector<int> reported;
    QObject::connect(&form, &TFormLexEditor::KeyColumnResized,
                     [&](int Width) { reported.push_back(Width); });
    form.SetKeyColumnWidth(90); // the window's own: not reported
    QHeaderView& header = *view.header();
    EXPECT_EQ(header.sectionSize(0), 90);
    const int edge = header.sectionViewportPosition(0) + header.sectionSize(0) - 1;
    QTest::mouseDClick(header.viewport(), Qt::LeftButton, {}, QPoint(edge, 5));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], header.sectionSize(0));
    EXPECT_EQ(doc.Tree().Column(0)->Width, header.sectionSize(0));
}

TEST_F(FormLexEditorTest, ExpansionOutlivesTheDocumentsBatches) {
    Merge(doc, StandardFields, {{"Deep", "1252", "0", "d", "Open"}});
    view.collapseAll();
    view.expand(Index("File"));
    view.expand(Index("Open"));
    doc.Tree().ClearSelection();
    doc.Tree().Select(Node("Edit"));
    doc.Tree().Select(Node("Save"));
    doc.DeleteNodes(); // a batch: the model resets
    EXPECT_TRUE(view.isExpanded(Index("File")));
    EXPECT_TRUE(view.isExpanded(Index("Open")));

    doc.AddSequenceColumn(doc.Band950(), "1"); // a new column: a reset too
    EXPECT_TRUE(view.isExpanded(Index("Open")));
    EXPECT_EQ(view.currentIndex().isValid(), doc.Tree().FocusedNode() != nullptr);
}

TEST_F(FormLexEditorTest, TheHeaderShowsBandsOverColumns) {
    auto* header = static_cast<TBandedHeaderView*>(view.header());
    const TLexBand* western = doc.Tree().Column(Western)->Band;
    EXPECT_EQ(header->sectionSize(Western), 100); // 1252 has two columns in 200 pixels
    EXPECT_EQ(header->sectionSize(1), 200);
    EXPECT_EQ(header->sectionSize(0), doc.Tree().Column(0)->Width);
    EXPECT_FALSE(header->sectionsMovable());
    ExpectBandsOverTheirColumns();

    // A drag on the divider is the user's width, and goes back into the column.
    const int divider = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    const int y = header->height() * 3 / 4;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(divider, y));
    QTest::mouseMove(header->viewport(), QPoint(divider - 50, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(divider - 50, y));
    EXPECT_EQ(doc.Tree().Column(1)->Width, 150);
    ExpectBandsOverTheirColumns();

    // The context menu notes the language under the pointer.
    QMenu menu;
    form.SetPopupMenu(&menu);
    emit view.customContextMenuRequested(QPoint(header->sectionViewportPosition(Western) + 5, 5));
    EXPECT_EQ(form.PopupBand(), western);
    EXPECT_EQ(form.PopupColumn(), doc.Tree().Column(Western));
    menu.close();
    emit view.customContextMenuRequested(QPoint(5, 5)); // over the keys
    EXPECT_EQ(form.PopupBand(), nullptr);
    EXPECT_EQ(form.PopupColumn(), nullptr);
    menu.close();
}

TEST_F(FormLexEditorTest, EveryBandStaysInViewAfterALanguageIsDeleted) {
    // A new lexicon's languages, a merge that adds 1250 after them, and the
    // Big5 band deleted the way the main window does: its columns last
    // first, then the band. The reset that removes a section once gave the
    // section taking its place a width of 0, which went into that column.
    Merge(doc, StandardFields, {{"Edit", "1250", "0", "Upravit"}});
    const TLexBand* central = doc.Tree().Band(doc.Tree().BandCount() - 1);
    TLexBand* big5 = doc.Band950();
    for (int i = big5->ColumnCount() - 1; i >= 0; --i)
        doc.DeleteSequenceColumn(big5->Column(i));
    doc.DeleteLanguageBand(big5);
    QApplication::processEvents();

    ASSERT_EQ(doc.Tree().BandCount(), 4); // keys, 936, 1252, 1250
    EXPECT_EQ(central->Column(0)->Width, 200);
    ExpectBandsOverTheirColumns();
    const QModelIndex cell = model.IndexOf(Node("Edit"), central->Column(0)->Index());
    EXPECT_EQ(cell.data().toString(), "Upravit");
    EXPECT_EQ(view.visualRect(cell).width(), 200);
}

TEST_F(FormLexEditorTest, HalfwayThroughABatchTheGridDrawsAnEmptyGrid) {
    // A load reports progress, and the gauge's repaint may draw the grid
    // while bands and nodes are freed: nothing freed may be reached then.
    view.expandAll();
    {
        const TLexTreeUpdate batch(doc.Tree());
        doc.DeleteLanguageBand(doc.Band950());
        doc.DeleteNode(Node("File"));
        EXPECT_EQ(model.columnCount(), 0);
        EXPECT_NO_THROW(form.grab());
    }
    EXPECT_EQ(model.rowCount(), 1);
    ExpectBandsOverTheirColumns();
}

TEST_F(FormLexEditorTest, ALanguageWithoutSequencesStaysReachable) {
    // Delete Sequence on the Big5 band's only column, as the main window does.
    TLexBand* big5 = doc.Band950();
    doc.DeleteSequenceColumn(big5->Column(0));
    ASSERT_EQ(big5->ColumnCount(), 0);
    auto* header = static_cast<TBandedHeaderView*>(view.header());
    ASSERT_EQ(model.BandAt(2), big5); // keys, 936/0, the empty Big5, 1252/0, 1252/1
    EXPECT_EQ(model.ColumnAt(2), nullptr);
    ExpectBandsOverTheirColumns();
    EXPECT_GE(header->sectionSize(2),
              header->fontMetrics().horizontalAdvance(model.BandCaption(*big5)));
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_EQ(model.index(0, 2).data(), QVariant());

    // Its context menu names it, for New Sequence and Delete Language.
    QMenu menu;
    form.SetPopupMenu(&menu);
    emit header->customContextMenuRequested(QPoint(header->sectionViewportPosition(2) + 3, 3));
    EXPECT_EQ(form.PopupBand(), big5);
    EXPECT_EQ(form.PopupColumn(), nullptr);
    menu.close();

    // New Sequence brings a column back in the band's place.
    doc.AddSequenceColumn(big5, "0");
    doc.SpreadBandColumns(big5);
    ASSERT_EQ(model.ColumnAt(2), big5->Column(0));
    ExpectBandsOverTheirColumns();
    QLineEdit* editor = EditCell(model.index(Index("Edit").row(), 2));
    ASSERT_NE(editor, nullptr);
    editor->setText(QString::fromUtf8("\xE7\xB7\xA8")); // a Big5 character
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), big5->Column(0)->Index()), "\xBD\x73");

    // Delete Language on an emptied band, as the main window does with the
    // band the menu names: its place goes with it.
    TLexBand* western = doc.Tree().Column(Western)->Band;
    for (int i = western->ColumnCount() - 1; i >= 0; --i)
        doc.DeleteSequenceColumn(western->Column(i));
    const int place = model.columnCount() - 1;
    ASSERT_EQ(model.BandAt(place), western);
    emit header->customContextMenuRequested(QPoint(header->sectionViewportPosition(place) + 3, 3));
    menu.close();
    ASSERT_EQ(form.PopupBand(), western);
    doc.DeleteLanguageBand(form.PopupBand());
    EXPECT_EQ(model.columnCount(), doc.Tree().ColumnCount());
    ExpectBandsOverTheirColumns();
}

TEST_F(FormLexEditorTest, TheKeyColumnStaysWhenTheGridScrollsSideways) {
    form.resize(420, 200);
    QApplication::processEvents();
    QScrollBar& sideways = *grid.SidewaysBar();
    QHeaderView& header = *view.header();
    ASSERT_TRUE(sideways.isVisible());
    EXPECT_EQ(grid.FixedSections(), 1);
    const int keyWidth = header.sectionSize(0);
    // Cells and header share one origin: a section's x is its cells' x.
    EXPECT_EQ(header.mapToGlobal(QPoint()).x(), view.viewport()->mapToGlobal(QPoint()).x());

    // At every position the first language shown starts where the keys end,
    // its header section above it; those scrolled past are not drawn at all.
    for (int step = 0; step <= sideways.maximum(); ++step) {
        sideways.setValue(step);
        QApplication::processEvents();
        const int first = 1 + step;
        SCOPED_TRACE(first);
        EXPECT_EQ(view.visualRect(Index("Edit")).right(), keyWidth - 1);
        EXPECT_EQ(header.sectionViewportPosition(0), 0);
        const QRect cell = view.visualRect(Index("Edit", first));
        EXPECT_EQ(cell.left(), keyWidth);
        EXPECT_EQ(header.sectionViewportPosition(first), cell.left());
        EXPECT_EQ(header.sectionSize(first), cell.width());
        for (int column = 1; column < first; ++column)
            EXPECT_TRUE(view.visualRect(Index("Edit", column)).isEmpty());
    }

    // A sideways turn of the wheel scrolls by columns too.
    const QPoint centre = view.viewport()->rect().center();
    QWheelEvent wheel(centre, view.viewport()->mapToGlobal(centre), {}, {-120, 0}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    sideways.setValue(0);
    QCoreApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_GT(sideways.value(), 0);

    // The cursor keys scroll to the cell they reach, either way.
    view.setCurrentIndex(Index("Edit", 1));
    EXPECT_EQ(sideways.value(), 0);
    for (int column = 1; column < model.columnCount() - 1; ++column)
        QTest::keyClick(&view, Qt::Key_Right);
    const QRect last = view.visualRect(Index("Edit", model.columnCount() - 1));
    EXPECT_GE(last.left(), keyWidth);
    EXPECT_LE(last.right(), view.viewport()->width());
    EXPECT_GT(sideways.value(), 0);
    for (int column = model.columnCount() - 1; column > 1; --column)
        QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(sideways.value(), 0);
    EXPECT_EQ(view.visualRect(Index("Edit", 1)).left(), keyWidth);

    // A key is edited in place with the languages scrolled; Enter moves on
    // to the first language, which scrolls back into view beside the keys.
    const int offset = sideways.value();
    QLineEdit* editor = EditCell(Index("Edit"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(sideways.value(), offset);
    editor->setText("Edit2");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(doc.Key(Node("Edit2")), "Edit2");
    EXPECT_EQ(view.currentIndex(), Index("Edit2", 1));
    EXPECT_EQ(view.visualRect(view.currentIndex()).left(), keyWidth);

    // The menu over the keys offers no language.
    QMenu menu;
    form.SetPopupMenu(&menu);
    emit view.customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(form.PopupColumn(), nullptr);
    menu.close();

    // Scrolled to the end, the last band goes: fewer columns to scroll,
    // and what is left still starts beside the keys.
    sideways.setValue(sideways.maximum());
    TLexBand* western = doc.Tree().Column(Western)->Band;
    for (int i = western->ColumnCount() - 1; i >= 0; --i)
        doc.DeleteSequenceColumn(western->Column(i));
    doc.DeleteLanguageBand(western);
    QApplication::processEvents();
    const int first = 1 + sideways.value();
    ASSERT_LT(first, model.columnCount());
    EXPECT_EQ(view.visualRect(Index("Edit2", first)).left(), keyWidth);
    EXPECT_EQ(header.sectionViewportPosition(first), keyWidth);
}

TEST_F(FormLexEditorTest, TheRowIndicatorMarksTheFocusedRow) {
    auto* strip = form.findChild<TRowIndicator*>();
    ASSERT_NE(strip, nullptr);
    // Whether the strip is marked level with the middle of the key's row.
    const auto marked = [&](std::string_view Key) {
        const QRect row = view.visualRect(Index(Key));
        const int y = strip->mapFromGlobal(view.viewport()->mapToGlobal(row.center())).y();
        const QImage image = strip->grab().toImage();
        const QColor background = strip->palette().color(QPalette::Button);
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) return true;
        return false;
    };
    view.setCurrentIndex(Index("Edit", Western));
    QApplication::processEvents();
    EXPECT_TRUE(marked("Edit"));
    EXPECT_FALSE(marked("File"));
    doc.Tree().SetFocusedNode(Node("File")); // the document moves the focus
    QApplication::processEvents();
    EXPECT_TRUE(marked("File"));
    EXPECT_FALSE(marked("Edit"));
}

TEST_F(FormLexEditorTest, ALargeFlatLexiconScrollsAndEditsQuickly) {
    // Rows are found by position without walking their siblings: with a
    // walk, showing the last of these rows would take minutes.
    constexpr int Count = 100000;
    std::vector<TLexRecord> records;
    records.reserve(Count);
    for (int i = 0; i < Count; ++i)
        records.push_back({"Key" + std::to_string(i), "1252", "0", "Value"});
    Load(doc, StandardFields, std::move(records));

    const QModelIndex last = model.index(Count - 1, 1);
    view.scrollTo(last);
    view.setCurrentIndex(last);
    QApplication::processEvents();
    form.grab();
    QLineEdit* editor = EditCell(last);
    ASSERT_NE(editor, nullptr);
    editor->setText("changed");
    form.PostEdit();
    EXPECT_EQ(doc.Tree().Value(doc.Tree().LastNode(), 1), "changed");
}

// The window's stack holds the document's steps; its clean point is the
// last save, and an undo that takes nodes away leaves the grid consistent.
TEST_F(FormLexEditorTest, UndoingBackToTheSaveLeavesTheDocumentUnmodified) {
    test::TempDir dir;
    QUndoStack& steps = *form.UndoStack();
    EXPECT_EQ(steps.count(), 0); // a load is no step
    ASSERT_TRUE(model.setData(Index("File"), QStringLiteral("Datei")));
    EXPECT_EQ(steps.undoText().toStdString(), "Rename Key");
    SaveAs(doc, dir / "saved.lxt");
    EXPECT_TRUE(steps.isClean());
    ASSERT_TRUE(model.setData(Index("Datei"), QStringLiteral("Fichier")));
    EXPECT_TRUE(doc.Modified());
    steps.undo();
    EXPECT_FALSE(doc.Modified());
    steps.undo();
    EXPECT_TRUE(doc.Modified());
    EXPECT_NE(Node("File"), nullptr);
    steps.redo();
    EXPECT_FALSE(doc.Modified());

    const int rows = model.rowCount();
    TTreeNode* gone = Node("Datei");
    view.setCurrentIndex(Index("Datei"));
    doc.DeleteNodes();
    EXPECT_EQ(model.rowCount(), rows - 1);
    steps.undo();
    EXPECT_EQ(model.rowCount(), rows);
    EXPECT_TRUE(Index("Datei").isValid());
    steps.redo();
    EXPECT_NE(model.NodeOf(view.currentIndex()), gone); // the grid holds no deleted node
    EXPECT_NE(doc.Tree().FocusedNode(), gone);
    EXPECT_EQ(model.rowCount(), rows - 1);
}

} // namespace
} // namespace lex
