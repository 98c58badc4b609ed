#!/usr/bin/env bash
# The run-time library as applications take it: installs the build into a
# prefix inside it, builds the example application against the installed CMake
# package and checks its windows' texts in each language, then compiles small
# programs through the installed pkg-config files.
# Usage: check_package.sh BUILD_DIR SOURCE_DIR GENERATOR CXX [BUILD_TYPE]
set -euo pipefail
build=$1 source=$2 generator=$3 cxx=$4 buildType=${5:-}
work=$build/package
prefix=$work/install
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

# Public headers only: the library's folders and nothing of the tool.
folders=$(cd "$prefix/include/lexruntime" && find . -mindepth 1 -type d | sort | tr '\n' ' ')
[ "$folders" = "./platform ./runtime ./runtime/qt " ] || fail "installed header folders: $folders"

echo "-- example against the CMake package"
cmake -S "$source/examples/translate-app" -B "$work/translate-app" -G "$generator" \
    -DCMAKE_BUILD_TYPE="$buildType" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" || { cat "$work/configure.log"; fail configure; }
cmake --build "$work/translate-app"

# Compares the texts the example shows in a language with those on standard
# input.
expect_texts() {
    local codePage=$1
    QT_QPA_PLATFORM=offscreen "$work/translate-app/translate-app" --dump-texts "$codePage" </dev/null \
        >"$work/texts-$codePage.txt" 2>"$work/texts-$codePage.err" ||
        { cat "$work/texts-$codePage.err"; fail "example in $codePage"; }
    diff -u - "$work/texts-$codePage.txt" || fail "texts in $codePage"
}

expect_texts 936 <<'TEXTS'
mainWindow.windowTitle: 翻译示例
fileMenu.title: 文件(&F)
itemsAction.text: 项目(&I)...
itemsAction.statusTip: 选择一些项目
exitAction.text: 退出(&X)
helpMenu.title: 帮助(&H)
aboutAction.text: 关于(&A)
welcomeLabel.text: 请选择一些项目。
itemsButton.toolTip: 选择一些项目
itemsButton.text: 项目(&I)...
statusLabel.text: 就绪
itemsDialog.windowTitle: 项目
tabs.tab0: 列表(&L)
tabs.tab1: 选项(&O)
detailsCheck.text: 显示详细信息(&D)
itemList.item0: 苹果
itemList.item1: 橙子
itemList.item2: 梨
okButton.text: 确定
cancelButton.text: 取消
TEXTS

expect_texts 950 <<'TEXTS'
mainWindow.windowTitle: 翻譯範例
fileMenu.title: 檔案(&F)
itemsAction.text: 項目(&I)...
itemsAction.statusTip: 選擇一些項目
exitAction.text: 結束(&X)
helpMenu.title: 說明(&H)
aboutAction.text: 關於(&A)
welcomeLabel.text: 請選擇一些項目。
itemsButton.toolTip: 選擇一些項目
itemsButton.text: 項目(&I)...
statusLabel.text: 就緒
itemsDialog.windowTitle: 項目
tabs.tab0: 清單(&L)
tabs.tab1: 選項(&O)
detailsCheck.text: 顯示詳細資料(&D)
itemList.item0: 蘋果
itemList.item1: 柳橙
itemList.item2: 梨
okButton.text: 確定
cancelButton.text: 取消
TEXTS

# A language the lexicon does not hold leaves every text as it was built.
expect_texts 1252 <<'TEXTS'
mainWindow.windowTitle: Translate Example
fileMenu.title: &File
itemsAction.text: &Items...
itemsAction.statusTip: Choose some items
exitAction.text: E&xit
helpMenu.title: &Help
aboutAction.text: &About
welcomeLabel.text: Pick some items to get started.
itemsButton.toolTip: Choose some items
itemsButton.text: &Items...
statusLabel.text: Ready
itemsDialog.windowTitle: Items
tabs.tab0: &List
tabs.tab1: &Options
detailsCheck.text: Show &details
itemList.item0: Apple
itemList.item1: Orange
itemList.item2: Pear
okButton.text: OK
cancelButton.text: Cancel
TEXTS

echo "-- programs through pkg-config"
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name lexruntime.pc)")
export PKG_CONFIG_PATH
# Builds Program with every installed header below the given folders
# included, through the named pkg-config package, and checks what it prints.
check_program() {
    local program=$1 package=$2 expected=$3 folder
    shift 3
    mkdir -p "$work/$program"
    for folder in "$@"; do
        (cd "$prefix/include/lexruntime" && find "$folder" -maxdepth 1 -name '*.h' | sort |
            sed 's/.*/#include "&"/')
    done >"$work/$program/InstalledHeaders.h"
    # shellcheck disable=SC2046
    "$cxx" -std=c++20 -Wall -Wextra -Werror -I"$work/$program" "$here/$program.cpp" \
        $(pkg-config --cflags --libs "$package") -o "$work/$program/$program"
    local actual
    actual=$("$work/$program/$program")
    [ "$actual" = "$expected" ] || fail "$program printed '$actual', not '$expected'"
}
check_program UsesLexRuntime lexruntime "&Ouvrir &Close" platform runtime
check_program UsesLexRuntimeQt lexruntime_qt "文件" runtime/qt

echo "package: installed, example and pkg-config programs pass"
