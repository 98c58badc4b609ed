#pragma once

#include "interchange/InterchangeFormats.h"
#include "support/DocumentSupport.h"

namespace lex::test {

// The registries with the translators' formats, alive for one test.
class InterchangeTest : public DocumentTest {
protected:
    InterchangeTest() { RegisterInterchangeFormats(); }
};

} // namespace lex::test
