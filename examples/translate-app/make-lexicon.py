#!/usr/bin/env python3
"""Writes translate-app.lxc, the example's lexicon, from the table below.

The table is UTF-8 for people to edit; the file holds each language in its own
code page, as lexicons do: 936 in GB2312, 950 in Big5. Each key's parent
(CatalogID) is the window or menu it belongs to, so that Lex Manager shows the
keys as a tree.
"""
import pathlib

# key, parent key, 936 (simplified Chinese), 950 (traditional Chinese)
TEXTS = [
    ("Translate Example", None, "翻译示例", "翻譯範例"),
    ("&File", "Translate Example", "文件(&F)", "檔案(&F)"),
    ("&Items...", "&File", "项目(&I)...", "項目(&I)..."),
    ("Choose some items", "&File", "选择一些项目", "選擇一些項目"),
    ("E&xit", "&File", "退出(&X)", "結束(&X)"),
    ("&Help", "Translate Example", "帮助(&H)", "說明(&H)"),
    ("&About", "&Help", "关于(&A)", "關於(&A)"),
    ("Pick some items to get started.", "Translate Example",
     "请选择一些项目。", "請選擇一些項目。"),
    ("Ready", "Translate Example", "就绪", "就緒"),
    ("A small application translated by lexruntime.", "&About",
     "一个由 lexruntime 翻译的小程序。", "一個由 lexruntime 翻譯的小程式。"),
    ("Items", None, "项目", "項目"),
    ("&List", "Items", "列表(&L)", "清單(&L)"),
    ("&Options", "Items", "选项(&O)", "選項(&O)"),
    ("Apple", "&List", "苹果", "蘋果"),
    ("Orange", "&List", "橙子", "柳橙"),
    ("Pear", "&List", "梨", "梨"),
    ("Show &details", "&Options", "显示详细信息(&D)", "顯示詳細資料(&D)"),
    ("OK", "Items", "确定", "確定"),
    ("Cancel", "Items", "取消", "取消"),
]

LANGUAGES = [("936", "gb2312"), ("950", "big5")]


def quoted(value: bytes) -> bytes:
    # The CSV-style escapes: quotes doubled, %% %0 %c %n for percent, NUL,
    # CR and LF.
    escapes = {b'"': b'""', b"%": b"%%", b"\0": b"%0", b"\r": b"%c", b"\n": b"%n"}
    return b'"' + b"".join(escapes.get(bytes([c]), bytes([c])) for c in value) + b'"'


def field(value: bytes | None) -> bytes:
    # Every field ends in the separator; a null field is the separator alone.
    return (b"" if value is None else quoted(value)) + b","


def main() -> None:
    lines = [b"".join(field(name.encode()) for name in
                      ("LexKey", "CodePage", "SeqNo", "DisplayValue", "CatalogID"))]
    for key, parent, *values in TEXTS:
        for (code_page, encoding), value in zip(LANGUAGES, values):
            lines.append(b"".join(field(f) for f in (
                key.encode("ascii"), code_page.encode(), b"0", value.encode(encoding),
                None if parent is None else parent.encode("ascii"))))
    target = pathlib.Path(__file__).with_name("translate-app.lxc")
    target.write_bytes(b"".join(line + b"\r\n" for line in lines))


if __name__ == "__main__":
    main()
