#include "formfiles/FormFileFormats.h"

#include "runtime/FileFormats.h"

namespace lex {
namespace {

const TFileFormat FormFileFormat{TFileKind::Form, "dfm", "dfm;lfm", "Borland Delphi DFM",
                                 "form file"};

} // namespace

void RegisterFormFileFormats() {
    RegisterFileFormat(FormFileFormat);
}

} // namespace lex
