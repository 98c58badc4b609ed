#pragma once

#include "platform/Exceptions.h"
#include "runtime/LexDataSet.h"
#include "runtime/RecordListLexReader.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lex::test {

// A table in memory with the habits of a client-side dataset: changes are
// posted at once and stay pending until applied; a blob's text form is not its
// content; the calls a reader or writer must balance are counted.
class TMemoryDataSet final : public TLexDataSet {
public:
    struct Field {
        std::string Name;
        bool Blob = false;
    };

    TMemoryDataSet(std::vector<Field> Fields, std::vector<TLexRecord> Rows)
        : fields_(std::move(Fields)), rows_(std::move(Rows)) {}

    void First() override { current_ = 0; }
    void Next() override {
        if (!Eof()) ++current_;
    }
    bool Eof() const override { return current_ >= rows_.size(); }
    int RecordCount() const override { return static_cast<int>(rows_.size()); }
    int RecNo() const override { return Eof() ? 0 : static_cast<int>(current_) + 1; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string_view FieldName(int Index) const override { return fields_.at(Index).Name; }
    std::string_view FieldText(int Index) const override {
        return fields_.at(Index).Blob ? std::string_view("(BLOB)") : Value(Index);
    }
    bool IsNull(int Index) const override { return !rows_.at(current_).at(Index).has_value(); }
    bool IsBlob(int Index) const override { return fields_.at(Index).Blob; }
    std::string_view BlobBytes(int Index) const override { return Value(Index); }
    void DisableControls() override { ++disabled; }
    void EnableControls() override { ++enabled; }

    void Append() override {
        buffer_ = TLexRecord(fields_.size());
        editing_ = false;
    }
    void Edit() override {
        buffer_ = rows_.at(current_);
        editing_ = true;
    }
    void Delete() override {
        pending_.push_back({Change::Delete, rows_.at(current_)});
        rows_.erase(rows_.begin() + static_cast<ptrdiff_t>(current_));
    }
    void SetFieldText(int Index, std::string_view Text) override {
        if (fields_.at(Index).Blob) throw EDatabaseError("text set on a blob");
        buffer_.value().at(Index) = std::string(Text);
    }
    void LoadBlob(int Index, std::string_view Bytes) override {
        if (!fields_.at(Index).Blob) throw EDatabaseError("blob loaded into text");
        buffer_.value().at(Index) = std::string(Bytes);
    }
    void Post() override {
        if (refusePost && refusePost(*buffer_)) throw EDatabaseError("post refused");
        pending_.push_back({editing_ ? Change::Update : Change::Insert, *buffer_});
        if (editing_) {
            rows_.at(current_) = std::move(*buffer_);
        } else {
            rows_.push_back(std::move(*buffer_));
            current_ = rows_.size() - 1;
        }
        buffer_.reset();
    }
    void Cancel() override {
        buffer_.reset();
        ++cancelled;
    }

    // Sends the pending changes: records how many there were and counts them;
    // those the "server" refuses stay pending.
    TApplyCounts ApplyUpdates() {
        applied.push_back(static_cast<int>(pending_.size()));
        TApplyCounts counts;
        std::erase_if(pending_, [&](const std::pair<Change, TLexRecord>& Pending) {
            if (refuseApply && refuseApply(Pending.second)) {
                ++counts.Refused;
                return false;
            }
            ++(Pending.first == Change::Insert   ? counts.Inserted
               : Pending.first == Change::Update ? counts.Updated
                                                 : counts.Deleted);
            return true;
        });
        return counts;
    }

    const std::vector<TLexRecord>& Rows() const { return rows_; }
    bool Filling() const { return buffer_.has_value(); }

    int disabled = 0;
    int enabled = 0;
    int cancelled = 0;
    std::vector<int> applied; // the number of changes each apply sent
    std::function<bool(const TLexRecord&)> refusePost;
    std::function<bool(const TLexRecord&)> refuseApply;

private:
    std::string_view Value(int Index) const {
        const auto& value = rows_.at(current_).at(Index);
        return value ? std::string_view(*value) : std::string_view();
    }

    std::vector<Field> fields_;
    std::vector<TLexRecord> rows_;
    enum class Change { Insert, Update, Delete };
    std::vector<std::pair<Change, TLexRecord>> pending_;
    std::optional<TLexRecord> buffer_;
    bool editing_ = false;
    size_t current_ = 0;
};

// The default table's columns, upper case, the display value a blob.
inline TMemoryDataSet LexTable(std::vector<TLexRecord> Rows = {}) {
    return TMemoryDataSet(
        {{"LEXKEY"}, {"CODEPAGE"}, {"SEQNO"}, {"DISPLAYVALUE", true}, {"CATALOGID"}},
        std::move(Rows));
}

} // namespace lex::test
