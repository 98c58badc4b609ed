#pragma once

#include "app/FormLexDM_U.h"
#include "interchange/InterchangeFormats.h"
#include "platform/CodePageCatalog.h"
#include "runtime/RuntimeModules.h"

#include <QApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace lex::test {

// Runs Act on the modal window of type T once a modal exec() has put it up.
template <class T>
void WhenModal(std::function<void(T&)> Act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, Act] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            Act(*window);
        }
    });
    poll->start(10);
}

// The registries and the code-page list, as the dialogs find them at run
// time; a data module only where a test asks for an interface language.
class DialogTest : public ::testing::Test {
protected:
    DialogTest() {
        RegisterInterchangeFormats();
        InitializeCodePageList();
    }
    ~DialogTest() override {
        dataModule.reset();
        FinalizeCodePageList();
    }

    void UseInterfaceLanguage(std::string codePage) {
        dataModule = std::make_unique<TLexDM>(nullptr, std::move(codePage), "0");
    }

    RuntimeModules modules;
    std::unique_ptr<TLexDM> dataModule;
};

} // namespace lex::test
