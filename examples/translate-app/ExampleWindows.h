#pragma once

#include <QDialog>
#include <QMainWindow>

namespace example {

// The windows are built with their English texts, which are the lexicon's
// keys, and know nothing of translation: the screen eye translates each one
// when it first becomes active.

class TItemsDialog : public QDialog {
public:
    explicit TItemsDialog(QWidget* Parent = nullptr);
};

class TMainWindow : public QMainWindow {
public:
    TMainWindow();

private:
    void ShowItems();
    void ShowAbout();
};

} // namespace example
