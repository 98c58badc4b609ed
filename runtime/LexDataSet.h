#pragma once

#include <string_view>

namespace lex {

// What applying a dataset's pending changes did: the changes that reached the
// server by kind, and those that stay pending because the server refused them
// or because someone else had changed their rows meanwhile.
struct TApplyCounts {
    int Inserted = 0;
    int Updated = 0;
    int Deleted = 0;
    int Refused = 0;
    int Conflicts = 0;
};

// A table of rows with named fields, walked by a cursor: what the database
// reader and writer need of a data-access layer, so that the run-time library
// works over any of them. Values are bytes: keys in the process's code page, a
// display value in its language's code page, large objects as stored.
//
// Views returned by FieldName, FieldText and BlobBytes stay valid until the
// cursor moves or the row changes.
class TLexDataSet {
public:
    virtual ~TLexDataSet() = default;

    // Reading.
    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    virtual int RecordCount() const = 0;
    // 1-based number of the current row; 0 when there is none.
    virtual int RecNo() const = 0;
    virtual int FieldCount() const = 0;
    virtual std::string_view FieldName(int Index) const = 0;
    // The field's value as text: integers in decimal; empty when null.
    virtual std::string_view FieldText(int Index) const = 0;
    virtual bool IsNull(int Index) const = 0;
    // Whether the field is a large object (blob or memo).
    virtual bool IsBlob(int Index) const = 0;
    // The whole content of a large-object field, byte for byte.
    virtual std::string_view BlobBytes(int Index) const = 0;

    // Index of the first field named `Name` (ignoring case), or -1.
    int FindField(std::string_view Name) const;
    // The same, raising EDatabaseError "Field '%s' not found" when there is none.
    int FieldByName(std::string_view Name) const;

    // Views attached to the dataset stop following it between the two calls;
    // the calls nest.
    virtual void DisableControls() = 0;
    virtual void EnableControls() = 0;

    // Writing: Append or Edit opens a row buffer that SetFieldText and
    // LoadBlob fill, Post stores it and Cancel drops it. Delete removes the
    // current row, leaving the cursor on the row after it.
    virtual void Append() = 0;
    virtual void Edit() = 0;
    virtual void Delete() = 0;
    virtual void SetFieldText(int Index, std::string_view Text) = 0;
    virtual void LoadBlob(int Index, std::string_view Bytes) = 0;
    virtual void Post() = 0;
    virtual void Cancel() = 0;
};

} // namespace lex
