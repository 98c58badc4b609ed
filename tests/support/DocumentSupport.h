#pragma once

#include "editor/LexDocument.h"
#include "editor/LexLoader.h"
#include "platform/CodePageCatalog.h"
#include "runtime/LexFiles.h"
#include "support/DocumentState.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TempDir.h"
#include "support/TestSupport.h"

namespace lex::test {

// The registries and the code-page list, plus scripted answers to message
// boxes and to the overwrite question of loads and merges; every box and
// question shown is recorded as "caption|text".
class DocumentTest : public RuntimeTest {
protected:
    DocumentTest() { InitializeCodePageList(); }
    ~DocumentTest() override { FinalizeCodePageList(); }

    void Load(TLexDocument& doc, std::vector<std::string> fields, std::vector<TLexRecord> records) {
        TRecordListLexReader reader(std::move(fields), std::move(records));
        LoadFromReader(doc, reader, Answerer(doc));
    }
    void Merge(TLexDocument& doc, std::vector<std::string> fields,
               std::vector<TLexRecord> records) {
        TRecordListLexReader reader(std::move(fields), std::move(records));
        MergeFromReader(doc, reader, Answerer(doc));
    }

    // The overwrite question as a window asks it, answered from
    // `overwrites`, Overwrite once those are used up.
    TOverwriteAnswerer Answerer(const TLexDocument& doc) {
        return [this, &doc](const TOverwriteQuestion& Question) {
            const TOverwriteMessage message = OverwriteMessage(doc, Question);
            shown.push_back(message.Caption + "|" + message.Text);
            if (overwrites.empty()) return TOverwriteAnswer::Overwrite;
            const TOverwriteAnswer answer = overwrites.front();
            overwrites.pop_front();
            return answer;
        };
    }

    // "key[cp/seq=value ...](children)" for every node in order.
    static std::string Outline(const TLexDocument& doc, const TTreeNode* first = nullptr) {
        const TLexTree& tree = doc.Tree();
        std::string out;
        for (const TTreeNode* n = first ? first : tree.FirstNode(); n; n = n->NextSibling()) {
            if (!out.empty()) out += ' ';
            out += doc.Key(n);
            std::string cells;
            for (int c = 1; c < tree.ColumnCount(); ++c) {
                const std::string_view value = tree.Value(n, c);
                if (value.empty()) continue;
                cells += (cells.empty() ? "" : " ") +
                         TLexDocument::BandCodePage(*tree.Column(c)->Band) + "/" +
                         tree.Column(c)->Caption + "=" + std::string(value);
            }
            if (!cells.empty()) out += "[" + cells + "]";
            if (n->FirstChild()) out += "(" + Outline(doc, n->FirstChild()) + ")";
        }
        return out;
    }

    static std::vector<std::string> Captions(const TLexBand* band) {
        std::vector<std::string> captions;
        for (int i = 0; i < band->ColumnCount(); ++i)
            captions.push_back(band->Column(i)->Caption);
        return captions;
    }

    ScriptedMessageBoxes boxes;
    std::deque<int>& answers = boxes.answers;
    std::vector<std::string>& shown = boxes.shown;
    std::deque<TOverwriteAnswer> overwrites;
};

} // namespace lex::test
