#pragma once

#include "editor/view/LexTreeModel.h"
#include "support/DocumentSupport.h"

#include <QAbstractItemModelTester>
#include <QStringList>

namespace lex::test {

// Collects what Qt's model tester finds wrong, so a test can expect nothing.
class ModelTesterLog {
public:
    ModelTesterLog() { previous_ = qInstallMessageHandler(&Handle); }
    ~ModelTesterLog() {
        qInstallMessageHandler(previous_);
        Messages().clear();
    }
    static QStringList& Messages() {
        static QStringList messages;
        return messages;
    }

private:
    static void Handle(QtMsgType, const QMessageLogContext& Context, const QString& Message) {
        if (QLatin1String(Context.category) == QLatin1String("qt.modeltest"))
            Messages().append(Message);
    }
    QtMessageHandler previous_;
};

// A three-language lexicon with a small hierarchy:
//   File(Open Save) Edit
inline std::vector<TLexRecord> MenuRecords() {
    return {
        {"File", "936", "0", "\xCE\xC4\xBC\xFE", ""}, // GB2312
        {"File", "950", "0", "\xC0\xC9\xAE\xD7", ""}, // Big5
        {"File", "1252", "0", "Datei", ""},
        {"File", "1252", "1", "&Datei", ""},
        {"Open", "936", "0", "\xB4\xF2\xBF\xAA", "File"},
        {"Save", "1252", "0", "Speichern", "File"},
        {"Edit", "1252", "0", "Bearbeiten", ""},
    };
}

// The model's text of a cell by key and grid column.
inline QString Cell(const TLexTreeModel& Model, const TTreeNode* Node, int Column) {
    return Model.data(Model.IndexOf(Node, Column)).toString();
}

} // namespace lex::test
