#include "editor/view/LexTreeModel.h"

#include "editor/LexSearch.h"
#include "editor_view/ViewSupport.h"
#include "platform/CodePage.h"
#include "runtime/qt/QtText.h"

#include <QMimeData>
#include <QSignalSpy>
#include <functional>

namespace lex {
namespace {

using test::Cell;
using test::StandardFields;

class LexTreeModelTest : public test::DocumentTest {
protected:
    LexTreeModelTest() { Load(doc, StandardFields, test::MenuRecords()); }
    ~LexTreeModelTest() override {
        EXPECT_TRUE(log.Messages().isEmpty()) << log.Messages().join('\n').toStdString();
    }

    TTreeNode* Node(std::string_view Key) { return doc.FindNodeByKey(Key); }
    QModelIndex Index(std::string_view Key, int Column = 0) {
        return model.IndexOf(Node(Key), Column);
    }
    int ColumnOf(std::string_view CodePage, std::string_view SeqNo) {
        for (int i = 1; i < doc.Tree().ColumnCount(); ++i) {
            const TLexColumn* column = doc.Tree().Column(i);
            if (TLexDocument::BandCodePage(*column->Band) == CodePage && column->Caption == SeqNo)
                return i;
        }
        return -1;
    }

    TLexDocument doc;
    test::ModelTesterLog log;
    TLexTreeModel model{doc};
    QAbstractItemModelTester tester{&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning};
};

TEST_F(LexTreeModelTest, ShapeFollowsTheTreeAndTheBands) {
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 5); // key, 936/0, 950/0, 1252/0, 1252/1
    const QModelIndex file = Index("File");
    EXPECT_EQ(file.row(), 0);
    EXPECT_EQ(model.rowCount(file), 2);
    EXPECT_EQ(model.rowCount(file.siblingAtColumn(1)), 0); // only the first column has children
    const QModelIndex save = model.index(1, 3, file);
    EXPECT_EQ(model.NodeOf(save), Node("Save"));
    EXPECT_EQ(model.parent(save), file);
    EXPECT_FALSE(model.parent(file).isValid());
    EXPECT_FALSE(model.index(2, 0).isValid());
    EXPECT_FALSE(model.index(0, 5).isValid());
    EXPECT_EQ(Cell(model, Node("Save"), ColumnOf("1252", "0")), "Speichern");

    QStringList captions;
    for (int i = 0; i < model.columnCount(); ++i)
        captions << model.headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(captions,
              QStringList({ToQString(doc.Tree().Column(0)->Caption), "0", "0", "0", "1"}));
    EXPECT_EQ(captions[0], "LexKey");
    EXPECT_TRUE(model.flags(file) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(file) & Qt::ItemIsDragEnabled);
    EXPECT_TRUE(model.flags({}) & Qt::ItemIsDropEnabled); // the top level takes drops
}

TEST_F(LexTreeModelTest, ASelectedRowShowsTheNodesSelectedImage) {
    const auto image = [&](std::string_view Key, QIcon::Mode Mode) {
        return model.data(Index(Key), Qt::DecorationRole).value<QIcon>().pixmap(16, Mode).toImage();
    };
    EXPECT_FALSE(image("Edit", QIcon::Normal).isNull());
    EXPECT_NE(image("Edit", QIcon::Normal), image("Edit", QIcon::Selected)); // images 34 and 35
    EXPECT_EQ(image("Edit", QIcon::Selected), image("File", QIcon::Selected));
    Node("Edit")->SelectedIndex = Node("Edit")->ImageIndex;
    EXPECT_EQ(image("Edit", QIcon::Normal), image("Edit", QIcon::Selected));
    Node("Edit")->ImageIndex = -1; // no image
    EXPECT_TRUE(model.data(Index("Edit"), Qt::DecorationRole).isNull());
}

TEST_F(LexTreeModelTest, CellsDecodeWithTheirLanguagesCodePage) {
    Merge(doc, StandardFields,
          {{"Chinese", "936", "0", "\xD6\xD0\xCE\xC4"},
           {"Chinese", "950", "0", "\xA4\xA4\xA4\xE5"},
           {"Chinese", "1252", "0", "\xE9"},
           {"Chinese", "abc", "0", "\xE9"},     // no number: the process's code page
           {"Chinese", "99999", "0", "\xE9"}}); // no converter: the same
    const TTreeNode* node = Node("Chinese");
    const QString chinese = QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(Cell(model, node, ColumnOf("936", "0")), chinese);
    EXPECT_EQ(Cell(model, node, ColumnOf("950", "0")), chinese);
    EXPECT_EQ(Cell(model, node, ColumnOf("1252", "0")), QString(QChar(0xE9)));
    const QString process = ToQString("\xE9", ProcessCodePage());
    EXPECT_EQ(Cell(model, node, ColumnOf("abc", "0")), process);
    EXPECT_EQ(Cell(model, node, ColumnOf("99999", "0")), process);
    EXPECT_EQ(model.CodePageOf(0), ProcessCodePage());
}

TEST_F(LexTreeModelTest, EditsEncodeBackOrAreRefusedWithNothingStored) {
    SetModified(doc, false);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QString chinese = QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87");
    const int gb = ColumnOf("936", "0");
    ASSERT_TRUE(model.setData(Index("Edit", gb), chinese));
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), gb), "\xD6\xD0\xCE\xC4");
    EXPECT_TRUE(doc.Modified());
    EXPECT_FALSE(doc.Tree().Editing());
    EXPECT_EQ(changed.count(), 1);

    SetModified(doc, false);
    const int western = ColumnOf("1252", "0");
    EXPECT_FALSE(model.setData(Index("Edit", western), "x" + chinese));
    EXPECT_EQ(shown.back(), "Error|Character U+4E2D cannot be written in code page 1252");
    EXPECT_EQ(doc.Tree().Value(Node("Edit"), western), "Bearbeiten");
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.Tree().Editing());

    // Storing the same text is no change.
    EXPECT_TRUE(model.setData(Index("Edit", western), "Bearbeiten"));
    EXPECT_FALSE(doc.Modified());
}

TEST_F(LexTreeModelTest, KeyEditsRunTheKeyCheck) {
    EXPECT_FALSE(model.setData(Index("Edit"), "file")); // File exists, case aside
    EXPECT_EQ(shown.back(), "Error|LexKey already exists!");
    EXPECT_EQ(doc.Key(Node("Edit")), "Edit");
    EXPECT_FALSE(doc.Tree().Editing()); // the edit opened for the call is gone again
    EXPECT_FALSE(doc.Modified());

    ASSERT_TRUE(model.setData(Index("File"), "FILE"));
    EXPECT_EQ(Cell(model, Node("FILE"), 0), "FILE");
    EXPECT_EQ(Node("Open")->Data->ParentKey, "FILE");
    EXPECT_TRUE(doc.Modified());
}

TEST_F(LexTreeModelTest, DocumentOperationsKeepTheModelConsistent) {
    const QPersistentModelIndex open = Index("Open", 1);
    const QPersistentModelIndex edit = Index("Edit");

    doc.Tree().SetFocusedNode(Node("Open"));
    TTreeNode* sibling = doc.NewNode(); // under File, after Save
    doc.PostEdit();
    EXPECT_EQ(model.IndexOf(sibling).row(), 2);
    EXPECT_EQ(model.rowCount(Index("File")), 3);
    TTreeNode* child = doc.NewSubNode(); // under the new node
    doc.PostEdit();
    EXPECT_EQ(model.parent(model.IndexOf(child)), model.IndexOf(sibling));

    // Edit moves under Open: the persistent index follows it.
    doc.Tree().ClearSelection();
    doc.Tree().Select(Node("Edit"));
    doc.Drop(Node("Open"));
    EXPECT_EQ(model.NodeOf(edit), Node("Edit"));
    EXPECT_EQ(edit.parent(), Index("Open"));
    EXPECT_EQ(model.rowCount(), 1);

    doc.DeleteNode(Node("Open")); // with Edit below it
    EXPECT_FALSE(open.isValid());
    EXPECT_FALSE(edit.isValid());
    EXPECT_EQ(model.rowCount(Index("File")), 2);

    // A new sequence and a deleted language reshape the columns.
    doc.AddSequenceColumn(doc.Band936(), "1");
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "1");
    doc.DeleteLanguageBand(doc.Band950());
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(Cell(model, Node("File"), ColumnOf("1252", "1")), "&Datei");

    Merge(doc, StandardFields, {{"New", "1252", "0", "neu", "Save"}});
    EXPECT_EQ(Cell(model, Node("New"), ColumnOf("1252", "0")), "neu");
    EXPECT_EQ(model.parent(Index("New")), Index("Save"));

    // Pooled nodes come back as other nodes: no stale row tables.
    doc.DeleteNode(Node("Save"));
    Merge(doc, StandardFields, {{"A", "1252", "0", "a"}, {"B", "1252", "0", "b", "A"}});
    EXPECT_EQ(model.rowCount(Index("A")), 1);
    EXPECT_EQ(model.NodeOf(model.index(0, 0, Index("A"))), Node("B"));
    EXPECT_EQ(model.rowCount(Index("B")), 0);
}

TEST_F(LexTreeModelTest, DropsMoveTheSelectedNodesOntoTheTarget) {
    Merge(doc, StandardFields, {{"View", "1252", "0", "v"}, {"Help", "1252", "0", "h"}});
    auto select = [&](std::initializer_list<const char*> Keys) {
        doc.Tree().ClearSelection();
        for (const char* key : Keys)
            doc.Tree().Select(Node(key));
    };
    std::unique_ptr<QMimeData> data(model.mimeData({Index("Edit")}));

    struct Refusal {
        std::vector<const char*> selected;
        const char* target;
    };
    for (const Refusal& refusal : {Refusal{{"Open"}, "File"},     // its own parent
                                   Refusal{{"File"}, "File"},     // itself
                                   Refusal{{"File"}, "Save"},     // below it
                                   Refusal{{"Edit"}, nullptr}}) { // already at the top
        doc.Tree().ClearSelection();
        for (const char* key : refusal.selected)
            doc.Tree().Select(Node(key));
        const QModelIndex target = refusal.target ? Index(refusal.target) : QModelIndex();
        EXPECT_FALSE(model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, target))
            << refusal.target;
        EXPECT_FALSE(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, target));
    }
    EXPECT_EQ(Outline(doc), "File[936/0=\xCE\xC4\xBC\xFE 950/0=\xC0\xC9\xAE\xD7 1252/0=Datei "
                            "1252/1=&Datei](Open[936/0=\xB4\xF2\xBF\xAA] Save[1252/0=Speichern]) "
                            "Edit[1252/0=Bearbeiten] View[1252/0=v] Help[1252/0=h]");

    // A drag out of another editor names another document.
    TLexDocument other;
    TLexTreeModel otherModel(other);
    std::unique_ptr<QMimeData> foreign(otherModel.mimeData({}));
    select({"Help", "Edit"});
    EXPECT_FALSE(model.canDropMimeData(foreign.get(), Qt::MoveAction, -1, -1, Index("View")));

    SetModified(doc, false);
    ASSERT_TRUE(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, Index("View")));
    EXPECT_TRUE(doc.Modified());
    const QModelIndex view = Index("View");
    ASSERT_EQ(model.rowCount(view), 2);
    EXPECT_EQ(model.NodeOf(model.index(0, 0, view)), Node("Edit")); // reverse selection order
    EXPECT_EQ(model.NodeOf(model.index(1, 0, view)), Node("Help"));
    EXPECT_EQ(Node("Help")->Data->ParentKey, "View");

    select({"Open"}); // onto the empty space below the rows: to the top level
    ASSERT_TRUE(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, {}));
    EXPECT_EQ(model.NodeOf(model.index(2, 0)), Node("Open"));
    EXPECT_EQ(Node("Open")->Data->ParentKey, "");
}

// The rows of a parent as "key key(child child)".
std::string Rows(const TLexTreeModel& Model, const QModelIndex& Parent = {}) {
    std::string out;
    for (int row = 0; row < Model.rowCount(Parent); ++row) {
        const QModelIndex index = Model.index(row, 0, Parent);
        out += (out.empty() ? "" : " ") + std::string(Model.Document().Key(Model.NodeOf(index)));
        if (Model.rowCount(index) > 0) out += "(" + Rows(Model, index) + ")";
    }
    return out;
}

// Under Qt's model tester: every row the filter shows or hides is told.
TEST_F(LexTreeModelTest, TheUntranslatedFilterShowsWhatNeedsWorkAndWhatTheUserTouches) {
    const TLexColumn* western = doc.Tree().Column(ColumnOf("1252", "0"));
    model.SetUntranslatedFilter(western); // Open has only Chinese
    EXPECT_EQ(Rows(model), "File(Open)");
    EXPECT_FALSE(Index("Save").isValid());

    const struct {
        const char* name;
        std::function<void()> change;
        const char* rows;
    } steps[] = {
        {"translated, it stays", [&] { doc.SetNodeValue(Node("Open"), western->Index(), "Offen"); },
         "File(Open)"},
        {"a new node joins",
         [&] {
             doc.Tree().SetFocusedNode(Node("Open"));
             doc.NewNode();
             doc.PostEdit();
         },
         "File(Open LexKey1)"},
        {"a node focused is shown in place", [&] { Locate(doc, u"speichern"); },
         "File(Open Save LexKey1)"},
        {"and its parent too",
         [&] {
             doc.Tree().SetFocusedNode(Node("Edit"));
             doc.NewSubNode();
             doc.PostEdit();
         },
         "File(Open Save LexKey1) Edit(LexKey2)"},
        {"a shown node moves as it is",
         [&] { doc.Tree().MoveNode(Node("LexKey2"), nullptr, false); },
         "File(Open Save LexKey1) Edit LexKey2"},
        {"under a parent it shows", [&] { doc.Tree().MoveNode(Node("Open"), Node("Edit"), true); },
         "File(Save LexKey1) Edit(Open) LexKey2"},
        {"a deletion goes", [&] { doc.DeleteNode(Node("File")); }, "Edit(Open) LexKey2"},
        {"a batch works it out again",
         [&] { test::DocumentTest::Load(doc, StandardFields, test::MenuRecords()); }, "File(Open)"},
        {"a hidden node moves unseen", [&] { doc.Tree().MoveNode(Node("Save"), nullptr, false); },
         "File(Open)"},
    };
    for (const auto& step : steps) {
        step.change();
        EXPECT_EQ(Rows(model), step.rows) << step.name;
    }

    model.SetUntranslatedFilter(nullptr);
    EXPECT_EQ(Rows(model), "File(Open) Edit Save");
    model.SetUntranslatedFilter(doc.Tree().Column(ColumnOf("936", "0")));
    EXPECT_EQ(Rows(model), "Edit Save");
    doc.DeleteSequenceColumn(doc.Band936()->Column(0)); // its column goes: so does the filter
    EXPECT_EQ(model.UntranslatedFilter(), nullptr);
    EXPECT_EQ(Rows(model), "File(Open) Edit Save");
}

} // namespace
} // namespace lex
