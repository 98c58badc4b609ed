// The main window's icons: every command has a picture of its own at each
// size, and the standard commands show the bundled Tango pictures whatever
// icon theme the desktop has.
#include "app/MainIcons.h"

#include "app/MainActions.h"
#include "support/TempDir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>

namespace lex::test {
namespace {

constexpr int Sizes[] = {16, 22, 32};

QImage Image(const QIcon& Icon, int Size) {
    return Icon.pixmap(QSize(Size, Size))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage BundledImage(const char* Name, int Size) {
    return QImage(QStringLiteral(":/icons/%1x%1/%2.png").arg(Size).arg(QLatin1String(Name)))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool IsBlank(const QImage& Image) {
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (qAlpha(Image.pixel(x, y)) != 0) return false;
    return true;
}

// Swaps in a desktop theme whose pictures are flat red squares.
class FlatRedTheme {
public:
    explicit FlatRedTheme(const QStringList& Names) {
        const QDir root(QString::fromStdString(dir_.path().string()));
        root.mkpath(QStringLiteral("FlatRed/16x16/actions"));
        QFile index(root.filePath(QStringLiteral("FlatRed/index.theme")));
        index.open(QIODevice::WriteOnly);
        index.write("[Icon Theme]\nName=FlatRed\nDirectories=16x16/actions\n\n"
                    "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        for (const QString& name : Names)
            red.save(root.filePath(QStringLiteral("FlatRed/16x16/actions/%1.png").arg(name)));
        QIcon::setThemeSearchPaths({root.path()});
        QIcon::setThemeName(QStringLiteral("FlatRed"));
    }
    ~FlatRedTheme() {
        QIcon::setThemeSearchPaths(paths_);
        QIcon::setThemeName(name_);
    }

private:
    TempDir dir_;
    QStringList paths_ = QIcon::themeSearchPaths();
    QString name_ = QIcon::themeName();
};

TEST(MainIconsTest, EveryCommandHasAPictureOfItsOwnAtEachSize) {
    QWidget owner;
    TMainActions actions;
    actions.CreateActions(&owner);
    std::map<QByteArray, QString> seen;
    for (const QAction* action : owner.actions()) {
        // Check items show their check mark instead.
        if (action->isCheckable()) continue;
        SCOPED_TRACE(action->objectName().toStdString());
        const QIcon icon = action->icon();
        ASSERT_FALSE(icon.isNull());
        for (int size : Sizes) {
            const QImage image = Image(icon, size);
            EXPECT_EQ(image.size(), QSize(size, size));
            EXPECT_FALSE(IsBlank(image));
        }
        const QImage small = Image(icon, 16);
        const auto [other, fresh] = seen.emplace(
            QByteArray(reinterpret_cast<const char*>(small.constBits()), small.sizeInBytes()),
            action->objectName());
        EXPECT_TRUE(fresh) << "looks like " << other->second.toStdString();
    }
    EXPECT_GT(seen.size(), 40U);
}

TEST(MainIconsTest, StandardCommandsShowTheBundledPicturesWhateverTheDesktopTheme) {
    const struct {
        const char* Action;
        const char* Picture;
    } cases[] = {
        {"Action_NewLex", "document-new"},
        {"Action_Open", "document-open"},
        {"Action_Save", "document-save"},
        {"Action_SaveAs", "document-save-as"},
        {"Action_Exit", "system-log-out"},
        {"EditCut1", "edit-cut"},
        {"EditCopy1", "edit-copy"},
        {"EditPaste1", "edit-paste"},
        {"EditUndo1", "edit-undo"},
        {"Action_Find", "edit-find"},
        {"Action_FindPrior", "go-previous"},
        {"Action_FindNext", "go-next"},
        {"Action_Locate", "go-jump"},
        {"Action_NewNode", "list-add"},
        {"Action_DeleteNode", "list-remove"},
        {"Action_Font", "preferences-desktop-font"},
        {"Action_Restore", "preferences-system-windows"},
        {"HelpContents1", "help-browser"},
        {"Action_About", "dialog-information"},
    };
    QStringList themed;
    for (const auto& test : cases)
        themed << QLatin1String(test.Picture);
    const FlatRedTheme theme(themed);
    ASSERT_FALSE(QIcon::fromTheme(QStringLiteral("document-new")).isNull());
    QWidget owner;
    TMainActions actions;
    actions.CreateActions(&owner);

    for (const auto& test : cases) {
        SCOPED_TRACE(test.Action);
        const QIcon icon = owner.findChild<QAction*>(QLatin1String(test.Action))->icon();
        for (int size : Sizes) {
            const QImage bundled = BundledImage(test.Picture, size);
            ASSERT_FALSE(bundled.isNull()) << size;
            EXPECT_EQ(Image(icon, size), bundled) << size;
        }
    }
}

} // namespace
} // namespace lex::test
