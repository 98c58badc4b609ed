#include "formfiles/FormTokenWalk.h"

#include "platform/Exceptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace lex {
namespace {

TFormSkipLists DefaultLists() {
    return {TFormSkipList(DefaultSkipIdents()), TFormSkipList(DefaultSkipClasses())};
}

std::vector<std::string> Values(std::string_view Text, const TFormSkipLists& Skip) {
    std::vector<std::string> values;
    WalkFormText(Text, Skip, [&](const TFormValue& Value, const TFormTextParser&) {
        values.push_back(Value.Text);
    });
    return values;
}

const char* const SmallForm = R"(object Form1: TForm1
  Caption = 'Main'
  Font.Name = 'Tahoma'
  Hint.ImeName = 'kept'
  object Panel1: TPanel
    Caption = 'Panel'#13#10'text'
    object Memo1: TMemo
      Lines.Strings = (
        'memo line')
      object Inner: TButton
        Caption = 'in memo'
      end
      Columns = <
        item
          Title = 'col'
        end>
      Text = 'still memo'
    end
    object Edit1: tedit Text = 'edit' end
    Hint = 'after memo'
  end
  object List: TListBox
    Items.Strings = (
      'one'
      'two' +
        ' more'
      'three')
    Title = 'a'Label = 'b'
    FileName = 'skip' + 'me too'
    Data = {0A0B}
    Empty = ''
    Items2 = <
      item
        Caption = 'item'
      end>
  end
  inherited Sub: TMemo
    Text = 'inherited is not tested'
  end
end
)";

TEST(FormTokenWalk, WalksTheStringsTheSkipListsLeave) {
    EXPECT_EQ(
        Values(SmallForm, DefaultLists()),
        (std::vector<std::string>{"Main", "kept", "Panel\r\ntext", "after memo", "one", "two more",
                                  "three", "a", "b", "", "item", "inherited is not tested"}));
}

TEST(FormTokenWalk, EmptyListsSkipNothing) {
    const std::vector<std::string> values = Values(SmallForm, {});
    EXPECT_EQ(values.size(), 19u);
    EXPECT_EQ(values[1], "Tahoma");
    EXPECT_EQ(values[4], "memo line");
    EXPECT_EQ(values[15], "skipme too");
}

TEST(FormTokenWalk, ReportsWhereEachValueLies) {
    const std::string text = "object A: TB\n  Caption = 'x' +\n 'y' Hint = 'z'\nend";
    std::vector<TFormValue> values;
    std::vector<std::string> following;
    WalkFormText(text, {}, [&](const TFormValue& Value, const TFormTextParser& Parser) {
        values.push_back(Value);
        following.emplace_back(Parser.TokenText());
    });
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(text.substr(values[0].Position, values[0].End - values[0].Position), "'x' +\n 'y'");
    EXPECT_EQ(values[0].Line, 2);
    EXPECT_EQ(values[1].Line, 3);
    EXPECT_EQ(following, (std::vector<std::string>{"Hint", "end"}));
}

TEST(FormTokenWalk, ObjectsWithoutANameAreReadToo) {
    const std::string text = "object TGutter\n  Caption = 'gutter'\n  object TMemo\n"
                             "    Text = 'memo'\n  end\n  object M: TMemo end\n"
                             "  object TPart [2]\n    Hint = 'part'\n  end\nend";
    EXPECT_EQ(Values(text, DefaultLists()), (std::vector<std::string>{"gutter", "part"}));
}

TEST(FormTokenWalk, SkipListsCompareWholeNamesIgnoringCase) {
    const TFormSkipList list({"Font.Name", "TMemo", "*.Caption", "*"});
    const std::vector<std::pair<std::string, bool>> cases{
        {"FONT.name", true},    {"tmemo", true},     {"Hint.Font.Name", false},
        {"Font.Name.X", false}, {"", false},         {"OKButton.caption", true},
        {"A.B.Caption", true},  {".Caption", false}, {"Caption", false},
        {"SubCaption", false},  {"*", true},         {"X", false},
    };
    for (const auto& [name, contained] : cases)
        EXPECT_EQ(list.Contains(name), contained) << name;
}

// The default lists keep what a Lazarus or Delphi form holds besides texts:
// version stamps, component and field names, property paths.
TEST(FormTokenWalk, DefaultListsLeaveOnlyTexts) {
    const std::string text = R"(object Form1: TForm1
  Caption = 'Title'
  LCLVersion = '2.2.6.0'
  SessionProperties = 'Height;Left'
  object ButtonPanel1: TButtonPanel
    OKButton.Name = 'OKButton'
    OKButton.Caption = 'OK'
    CancelButton.Font.Name = 'Sans'
  end
  object Query1: TBufDataset
    FieldDefs = <
      item
        Name = 'ID'
        DisplayName = 'Number'
      end>
  end
  object Label1: TDBText
    DataField = 'FirstName'
    Hint = 'First name'
  end
end
)";
    EXPECT_EQ(Values(text, DefaultLists()),
              (std::vector<std::string>{"Title", "OK", "Number", "First name"}));
}

TEST(FormTokenWalk, MalformedFormsAreErrors) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"object A: 12\nend", "Identifier expected on line 1"},
        {"object A: TMemo\n  Text = 'x'\n", "Identifier expected on line 3"},
        {"object A: TB\n  X. = 1\nend", "Identifier expected on line 2"},
        {"object A: TB\n  X = 'a\nend", "Invalid string constant on line 2"},
    };
    for (const auto& [text, message] : cases) {
        try {
            Values(text, DefaultLists());
            ADD_FAILURE() << text;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.what(), message) << text;
        }
    }
}

TEST(FormTokenWalk, DeepNestingNeedsNoStack) {
    std::string text = "object A: TMemo\n";
    for (int i = 0; i < 100000; ++i)
        text += "object B: TB\n";
    text.append(100000, '<');
    text += "'x'";
    EXPECT_THROW(Values(text, DefaultLists()), EParserError); // ends inside the skipped object
}

} // namespace
} // namespace lex
