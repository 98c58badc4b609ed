// Compiled through `pkg-config lexruntime_qt` against the installed libraries
// with every installed Qt-side header included.
#include "InstalledHeaders.h"

#include <iostream>

int main() {
    // "文件" in GB2312.
    std::cout << lex::ToQString("\xce\xc4\xbc\xfe", 936).toStdString() << '\n';
}
