#include "ExampleWindows.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace example {

namespace {

template <class TWidget, class... TArgs>
TWidget* Named(const char* Name, TArgs&&... Args) {
    auto* widget = new TWidget(std::forward<TArgs>(Args)...);
    widget->setObjectName(Name);
    return widget;
}

} // namespace

TItemsDialog::TItemsDialog(QWidget* Parent) : QDialog(Parent) {
    setObjectName("itemsDialog");
    setWindowTitle("Items");

    auto* list = Named<QListWidget>("itemList");
    list->addItems({"Apple", "Orange", "Pear"});
    auto* options = new QWidget;
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(Named<QCheckBox>("detailsCheck", "Show &details"));
    optionsLayout->addStretch();
    auto* tabs = Named<QTabWidget>("tabs");
    tabs->addTab(list, "&List");
    tabs->addTab(options, "&Options");

    auto* ok = Named<QPushButton>("okButton", "OK");
    auto* cancel = Named<QPushButton>("cancelButton", "Cancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

TMainWindow::TMainWindow() {
    setObjectName("mainWindow");
    setWindowTitle("Translate Example");

    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("fileMenu");
    QAction* items = file->addAction("&Items...", this, &TMainWindow::ShowItems);
    items->setObjectName("itemsAction");
    items->setStatusTip("Choose some items");
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close)->setObjectName("exitAction");
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("helpMenu");
    help->addAction("&About", this, &TMainWindow::ShowAbout)->setObjectName("aboutAction");

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(Named<QLabel>("welcomeLabel", "Pick some items to get started."));
    auto* button = Named<QPushButton>("itemsButton", "&Items...");
    button->setToolTip("Choose some items");
    connect(button, &QPushButton::clicked, this, &TMainWindow::ShowItems);
    layout->addWidget(button);
    layout->addStretch();
    setCentralWidget(central);

    statusBar()->addWidget(Named<QLabel>("statusLabel", "Ready"));
}

void TMainWindow::ShowItems() {
    TItemsDialog dialog(this);
    dialog.exec();
}

void TMainWindow::ShowAbout() {
    QMessageBox::information(this, "Translate Example",
                             "A small application translated by lexruntime.");
}

} // namespace example
