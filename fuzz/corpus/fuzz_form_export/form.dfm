object Form1: TForm1
  Caption = 'Main '#39'x'#39
  Font.Name = 'Tahoma'
  Left = -12
  Scale = 1.5e3
  Anchors = [akLeft, akTop]
  object Memo1: TMemo
    Lines.Strings = (
      'a'
      'b')
  end
  object List: TListBox
    Items.Strings = (
      'one' +
        'two'
      #20013#25991)
    Columns = <
      item
        Title = 'col'
      end>
    Data = {0A0B}
  end
end
