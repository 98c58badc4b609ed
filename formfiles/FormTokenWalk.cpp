#include "formfiles/FormTokenWalk.h"

#include <algorithm>

namespace lex {

namespace {
std::string AsciiLowerCase(std::string_view Text) {
    std::string lower(Text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}
} // namespace

TFormSkipList::TFormSkipList(const std::vector<std::string>& Lines) {
    names_.reserve(Lines.size());
    for (const std::string& line : Lines) {
        if (line.size() > 1 && line.front() == '*')
            suffixes_.push_back(AsciiLowerCase(std::string_view(line).substr(1)));
        else
            names_.push_back(AsciiLowerCase(line));
    }
    std::sort(names_.begin(), names_.end());
}

bool TFormSkipList::Contains(std::string_view Name) const {
    const std::string lower = AsciiLowerCase(Name);
    return std::binary_search(names_.begin(), names_.end(), lower) ||
           std::any_of(suffixes_.begin(), suffixes_.end(), [&lower](const std::string& Suffix) {
               return lower.size() > Suffix.size() && lower.ends_with(Suffix);
           });
}

const std::vector<std::string>& DefaultSkipIdents() {
    // Besides the designers' own names, the string properties that hold no
    // text a user reads: version stamps, component and field names, property
    // paths, help keywords, masks and patterns. A key written into any of
    // them would break the form.
    static const std::vector<std::string> lines{"Font.Name",
                                                "SQL.Strings",
                                                "ImeName",
                                                "FileName",
                                                "LCLVersion",
                                                "SessionProperties",
                                                "Name",
                                                "*.Name",
                                                "DataField",
                                                "FieldName",
                                                "KeyField",
                                                "KeyFields",
                                                "ListField",
                                                "LookupKeyFields",
                                                "LookupResultField",
                                                "IndexFieldNames",
                                                "IndexName",
                                                "MasterFields",
                                                "PublicName",
                                                "TableName",
                                                "DatabaseName",
                                                "GeneratorName",
                                                "ResourceName",
                                                "Link.TIPropertyName",
                                                "Link.TIElementName",
                                                "HelpKeyword",
                                                "HelpFile",
                                                "DefaultExt",
                                                "CharSet",
                                                "HTTPVersion",
                                                "PasswordChar",
                                                "EditMask",
                                                "PenPattern",
                                                "AffectedSeries",
                                                "Intervals.NiceSteps"};
    return lines;
}

const std::vector<std::string>& DefaultSkipClasses() {
    static const std::vector<std::string> lines{"TEdit",
                                                "TMemo",
                                                "TRichEdit",
                                                "TSpinEdit",
                                                "TQuery",
                                                "TDataBase",
                                                "TTable",
                                                "TStoredProc",
                                                "TSession",
                                                "TBatchMove",
                                                "TUpdateSQL",
                                                "TADOQuery",
                                                "TADOConnection",
                                                "TADOTable",
                                                "TADOCommand",
                                                "TADOStoredProc",
                                                "TSimpleDataSet",
                                                "TSQLConnection",
                                                "TSQLDataSet",
                                                "TSQLQuery",
                                                "TSQLTable",
                                                "TSQLStoredProc",
                                                "TClientDataSet",
                                                "TLumoMultiScreenEye",
                                                "TLumoMultiFileLex",
                                                "TLumoMultiStreamLex",
                                                "TLumoMultiDBLex",
                                                "TLumoMultiReplacer",
                                                "TLumoMultiMsgBox",
                                                "TDCOMConnection",
                                                "TWebConnection",
                                                "TSocketConnection",
                                                "TSimpleObjectBroker",
                                                "TSharedConnection",
                                                "TShellTreeView",
                                                "TShellListView",
                                                "TShellComboBox"};
    return lines;
}

// The skips count nesting depth instead of recursing, so that deeply nested
// input cannot exhaust the stack.

void CheckObjectHeader(TFormTextParser& Parser, const TFormSkipList& Classes) {
    if (!Parser.TokenSymbolIs("object")) return;
    // "object Name: TClass", or "object TClass" for an object without a name;
    // reading on to a colon further down would swallow the strings between.
    Parser.NextToken();
    TFormTextParser next = Parser;
    next.NextToken();
    if (next.TokenIsChar(':')) {
        Parser = next;
        Parser.NextToken();
    }
    if (Parser.Token() == TFormToken::Symbol && Classes.Contains(Parser.TokenText()))
        SkipObjectBody(Parser);
}

void SkipObjectBody(TFormTextParser& Parser) {
    std::size_t depth = 1;
    Parser.NextToken();
    while (Parser.Token() != TFormToken::EndOfText) {
        if (Parser.TokenSymbolIs("object")) {
            ++depth;
        } else if (Parser.TokenSymbolIs("end")) {
            if (--depth == 0) return;
        } else if (Parser.TokenIsChar('<')) {
            SkipCollection(Parser);
        }
        Parser.NextToken();
    }
}

void SkipCollection(TFormTextParser& Parser) {
    std::size_t depth = 1;
    for (;;) {
        Parser.NextToken();
        if (Parser.Token() == TFormToken::EndOfText) return;
        if (Parser.TokenIsChar('>')) {
            if (--depth == 0) return;
        } else if (Parser.TokenIsChar('<')) {
            ++depth;
        }
    }
}

void WalkFormText(std::string_view Text, const TFormSkipLists& Skip,
                  const std::function<void(const TFormValue&, const TFormTextParser&)>& OnValue) {
    TFormTextParser parser(Text);
    std::string lastIdent;
    TFormStringValue joined;
    TFormValue value;
    for (;;) {
        switch (parser.Token()) {
        case TFormToken::EndOfText:
            return;
        case TFormToken::Symbol:
            CheckObjectHeader(parser, Skip.Classes);
            if (parser.Token() != TFormToken::Symbol) parser.Error("Identifier expected");
            lastIdent = parser.ReadDottedIdent();
            parser.NextToken();
            break;
        case TFormToken::String:
        case TFormToken::WString:
            if (Skip.Idents.Contains(lastIdent)) {
                parser.NextToken();
                break;
            }
            value.Position = parser.TokenPosition();
            value.Line = parser.TokenLine();
            joined.Clear();
            joined.Append(parser);
            value.End = parser.TokenEnd();
            parser.NextToken();
            while (parser.TokenIsChar('+')) {
                parser.NextToken();
                if (parser.Token() != TFormToken::String && parser.Token() != TFormToken::WString)
                    break;
                joined.Append(parser);
                value.End = parser.TokenEnd();
                parser.NextToken();
            }
            value.Text = joined.Text();
            OnValue(value, parser);
            break;
        default:
            parser.NextToken();
            break;
        }
    }
}

} // namespace lex
