#include "database/ui/FormOpenDB_U.h"

#include "database/DBSchema.h"
#include "database/SQLConnection.h"
#include "editor/view/DialogButtons.h"
#include "runtime/qt/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

namespace lex {
namespace {

constexpr int TableRole = Qt::UserRole;

QPlainTextEdit* ReadOnlyMemo(const char* Name, QWidget* Parent) {
    auto* memo = new QPlainTextEdit(Parent);
    memo->setObjectName(QString::fromLatin1(Name));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette gray = memo->palette();
    gray.setColor(QPalette::Base, gray.color(QPalette::Window));
    memo->setPalette(gray);
    return memo;
}

QString Latin1(std::string_view Text) {
    return QString::fromLatin1(Text.data(), static_cast<qsizetype>(Text.size()));
}

// Where the settings lead, so that the user sees which database the tables
// come from even when the section is empty and the embedded one is used.
QString ConnectionText(const TDBSettings& Settings) {
    try {
        const TConnectionTarget target = ResolveConnection(Settings);
        QString where = target.DatabaseName;
        if (!target.HostName.isEmpty()) {
            QString server = target.HostName;
            if (target.Port >= 0) server += u':' + QString::number(target.Port);
            where = server + u'/' + where;
        }
        return (target.Embedded ? QStringLiteral("Embedded") : target.Driver) +
               QStringLiteral(": ") + where;
    } catch (const std::exception&) {
        // Listing the tables reports what is wrong.
        return ToQString(ParamValue(Settings.Params, "DriverName"));
    }
}

} // namespace

TFormOpenDB::TFormOpenDB(const TDBSource& Source, QWidget* Parent)
    : QDialog(Parent), showHelp_(Source.ShowHelp) {
    setObjectName(QStringLiteral("FormOpenDB"));
    if (Parent) setFont(Parent->window()->font());
    setWindowTitle(QStringLiteral("Select Table"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet_Tables = new QWidget(PageControl1);
    TabSheet_Tables->setObjectName(QStringLiteral("TabSheet_Tables"));
    TabSheet_Schema = new QWidget(PageControl1);
    TabSheet_Schema->setObjectName(QStringLiteral("TabSheet_Schema"));
    PageControl1->addTab(TabSheet_Tables, QStringLiteral("Tables"));
    PageControl1->addTab(TabSheet_Schema, QStringLiteral("Default Table Schema"));

    Image1 = new QLabel(TabSheet_Tables);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Label_Params = new QLabel(QStringLiteral("DataBase Option:"), TabSheet_Tables);
    Label_Params->setObjectName(QStringLiteral("Label_Params"));
    ComboBox_Connection = new QComboBox(TabSheet_Tables);
    ComboBox_Connection->setObjectName(QStringLiteral("ComboBox_Connection"));
    Memo_Params = ReadOnlyMemo("Memo_Params", TabSheet_Tables);
    Label_Params->setBuddy(Memo_Params);
    Label_Tables = new QLabel(QStringLiteral("Select a Table:"), TabSheet_Tables);
    Label_Tables->setObjectName(QStringLiteral("Label_Tables"));
    CheckListBox_Tables = new QListWidget(TabSheet_Tables);
    CheckListBox_Tables->setObjectName(QStringLiteral("CheckListBox_Tables"));
    Label_Tables->setBuddy(CheckListBox_Tables);
    CheckBox_Clear = new QCheckBox(QStringLiteral("Clear Table Before Save"), TabSheet_Tables);
    CheckBox_Clear->setObjectName(QStringLiteral("CheckBox_Clear"));
    CheckBox_Clear->setEnabled(false);
    Label_NewTable = new QLabel(QStringLiteral("New Table:"), TabSheet_Tables);
    Label_NewTable->setObjectName(QStringLiteral("Label_NewTable"));
    Edit_NewTable = new QLineEdit(TabSheet_Tables);
    Edit_NewTable->setObjectName(QStringLiteral("Edit_NewTable"));
    Label_NewTable->setBuddy(Edit_NewTable);
    Label_NewTable->setEnabled(false);
    Edit_NewTable->setEnabled(false);
    auto* newTable = new QHBoxLayout;
    newTable->addWidget(Label_NewTable);
    newTable->addWidget(Edit_NewTable, 1);
    auto* tables = new QGridLayout(TabSheet_Tables);
    tables->addWidget(Image1, 0, 0, 5, 1);
    tables->addWidget(Label_Params, 0, 1);
    tables->addWidget(ComboBox_Connection, 1, 1);
    tables->addWidget(Memo_Params, 2, 1);
    tables->addWidget(Label_Tables, 3, 1);
    tables->addWidget(CheckListBox_Tables, 4, 1);
    tables->addWidget(CheckBox_Clear, 5, 1);
    tables->addLayout(newTable, 6, 1);
    tables->setColumnStretch(1, 1);
    tables->setRowStretch(2, 1);
    tables->setRowStretch(4, 2);

    Memo1 = ReadOnlyMemo("Memo1", TabSheet_Schema);
    QStringList script;
    for (const std::string_view line : DefaultSchemaScript)
        script << Latin1(line);
    Memo1->setPlainText(script.join(u'\n'));
    Label_Portable = new QLabel(QStringLiteral("Table the tool creates in its embedded database:"),
                                TabSheet_Schema);
    Label_Portable->setObjectName(QStringLiteral("Label_Portable"));
    Memo_Portable = ReadOnlyMemo("Memo_Portable", TabSheet_Schema);
    Memo_Portable->setPlainText(Latin1(PortableSchemaScript));
    Label_Portable->setBuddy(Memo_Portable);
    auto* schema = new QVBoxLayout(TabSheet_Schema);
    schema->addWidget(Memo1, 3);
    schema->addWidget(Label_Portable);
    schema->addWidget(Memo_Portable, 2);

    const TDialogButtons buttons = LayOutDialog(*this, PageControl1, [this] {
        if (showHelp_) showHelp_(this, QStringLiteral("database#selecttable"));
    });
    BitBtn_OK = buttons.OK;
    BitBtn_Cancel = buttons.Cancel;
    BitBtn_Help = buttons.Help;
    connect(CheckListBox_Tables, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* Item) { CheckListBox_TablesClickCheck(Item); });
    // A typed name and a checked table exclude each other.
    connect(Edit_NewTable, &QLineEdit::textEdited, this, [this](const QString& Text) {
        if (!Text.isEmpty())
            for (int i = 0; i < CheckListBox_Tables->count(); ++i)
                CheckListBox_Tables->item(i)->setCheckState(Qt::Unchecked);
        UpdateOkButton();
    });

    setFixedSize(QSize(472, 344).expandedTo(minimumSizeHint()));

    const TDBSettings settings = Source.ReadSettings();
    QStringList params;
    for (const std::string& line : settings.Params)
        params << ToQString(line);
    Memo_Params->setPlainText(params.join(u'\n'));
    ComboBox_Connection->addItem(ConnectionText(settings));
    ListTables(Source, settings);
}

void TFormOpenDB::ListTables(const TDBSource& Source, const TDBSettings& Settings) {
    TSQLConnection& connection = *Source.EditConnection;
    ConfigureConnection(connection, Settings);
    std::vector<std::string> names;
    try {
        names = connection.TableNames();
    } catch (const std::exception& error) {
        connection.Close();
        // The dialog opens all the same; only Cancel leaves it.
        Source.ShowError(parentWidget(), error.what());
        return;
    }
    connection.Close();
    for (const std::string& name : names) {
        auto* item = new QListWidgetItem(ToQString(name), CheckListBox_Tables);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(TableRole, QByteArray::fromStdString(name));
    }
}

int TFormOpenDB::CheckedTableIndex() const {
    for (int i = 0; i < CheckListBox_Tables->count(); ++i)
        if (CheckListBox_Tables->item(i)->checkState() == Qt::Checked) return i;
    return -1;
}

std::string TFormOpenDB::CheckedTable() const {
    const int index = CheckedTableIndex();
    if (index < 0) return {};
    return CheckListBox_Tables->item(index)->data(TableRole).toByteArray().toStdString();
}

std::string TFormOpenDB::ChosenTable() const {
    const std::string checked = CheckedTable();
    return checked.empty() ? Edit_NewTable->text().trimmed().toStdString() : checked;
}

void TFormOpenDB::OfferNewTable() {
    Label_NewTable->setEnabled(true);
    Edit_NewTable->setEnabled(true);
}

void TFormOpenDB::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    BitBtn_Help->setEnabled(static_cast<bool>(showHelp_));
    UpdateOkButton();
}

// One table at most: a check clears every other entry.
void TFormOpenDB::CheckListBox_TablesClickCheck(QListWidgetItem* Item) {
    if (checking_) return;
    checking_ = true;
    for (int i = 0; i < CheckListBox_Tables->count(); ++i)
        if (QListWidgetItem* other = CheckListBox_Tables->item(i); other != Item)
            other->setCheckState(Qt::Unchecked);
    checking_ = false;
    if (Item->checkState() == Qt::Checked) Edit_NewTable->clear();
    UpdateOkButton();
}

void TFormOpenDB::UpdateOkButton() {
    BitBtn_OK->setEnabled(!ChosenTable().empty());
}

} // namespace lex
