#include "app/MainIcons.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QTransform>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitIconResource() {
    Q_INIT_RESOURCE(icons);
}

namespace lex {
namespace {

// The sizes bundled: toolbars and menus use 16, denser screens the others.
constexpr int IconSizes[] = {16, 22, 32};

// The Tango palette.
constexpr QRgb Aluminium1 = 0xffeeeeec, Aluminium2 = 0xffd3d7cf, Aluminium4 = 0xff888a85,
               SkyBlue1 = 0xff729fcf, SkyBlue2 = 0xff3465a4, SkyBlue3 = 0xff204a87,
               ScarletRed1 = 0xffef2929, ScarletRed2 = 0xffcc0000, ScarletRed3 = 0xffa40000;

QPixmap Bundled(const char* Name, int Size) {
    return QPixmap(QStringLiteral(":/icons/%1x%1/%2.png").arg(Size).arg(QLatin1String(Name)));
}

// Drawings are laid out on the 16-pixel grid of the smallest size and scaled
// to whole pixels, so their one-pixel outlines stay sharp at every size.
class TGrid {
public:
    explicit TGrid(int Size) : scale_(Size / 16.0) {}
    QRectF Rect(int X, int Y, int W, int H) const {
        const auto at = [this](int Unit) { return qRound(Unit * scale_); };
        // Half-pixel insets centre a one-pixel pen on the outermost pixels.
        return QRectF(at(X) + 0.5, at(Y) + 0.5, at(X + W) - at(X) - 1, at(Y + H) - at(Y) - 1);
    }
    int Pixels(int Units) const { return qMax(1, qRound(Units * scale_)); }

private:
    double scale_;
};

QLinearGradient Vertical(const QRectF& Rect, QRgb Top, QRgb Bottom) {
    QLinearGradient gradient(Rect.topLeft(), Rect.bottomLeft());
    gradient.setColorAt(0, QColor::fromRgba(Top));
    gradient.setColorAt(1, QColor::fromRgba(Bottom));
    return gradient;
}

// A window as Tango's window pictures show one: a light body under a blue
// title bar, a grey outline. A frame of title-bar height is a minimised one.
void DrawWindow(QPainter& Painter, const TGrid& Grid, const QRectF& Frame, QRgb Top = 0xffffffff,
                QRgb Bottom = Aluminium1) {
    const double title = qMin<double>(Frame.height(), Grid.Pixels(3));
    Painter.setPen(QPen(QColor::fromRgba(Aluminium4), 1));
    Painter.setBrush(Vertical(Frame, Top, Bottom));
    Painter.drawRect(Frame);
    const QRectF bar(Frame.left(), Frame.top(), Frame.width(), title);
    Painter.setPen(QPen(QColor::fromRgba(SkyBlue3), 1));
    Painter.setBrush(Vertical(bar, SkyBlue1, SkyBlue2));
    Painter.drawRect(bar);
}

// A dialog's grey face with an edit box and a button, clear of the emblem.
void DrawForm(QPainter& Painter, const TGrid& Grid) {
    DrawWindow(Painter, Grid, Grid.Rect(1, 1, 14, 14), Aluminium1, Aluminium2);
    Painter.setPen(QPen(QColor::fromRgba(Aluminium4), 1));
    Painter.setBrush(Qt::white);
    Painter.drawRect(Grid.Rect(3, 5, 10, 3));
    Painter.setBrush(QColor::fromRgba(Aluminium1));
    Painter.drawRect(Grid.Rect(3, 9, 4, 3));
}

void DrawSheet(QPainter& Painter, const TGrid& Grid) {
    const QRectF sheet = Grid.Rect(1, 1, 14, 14);
    Painter.setPen(QPen(QColor::fromRgba(Aluminium4), 1));
    Painter.setBrush(Vertical(sheet, 0xffffffff, Aluminium1));
    Painter.drawRect(sheet);
    Painter.setBrush(QColor::fromRgba(Aluminium2));
    Painter.drawRect(Grid.Rect(1, 1, 14, 4));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(Grid.Rect(5, 1, 5, 14));
    // The picked-out column on the left, clear of the emblem.
    Painter.setPen(QPen(QColor::fromRgba(SkyBlue2), 1));
    Painter.setBrush(QColor::fromRgba(SkyBlue1));
    Painter.drawRect(Grid.Rect(1, 1, 5, 14));
}

// Letters in a rounded badge of Tango's red or blue, outlined in the
// colour's darkest shade with a light inner edge, as the set draws buttons.
void DrawBadge(QPainter& Painter, int Size, const char* Text, QRgb Light, QRgb Mid, QRgb Dark) {
    const QRectF outer(0.5, 0.5, Size - 1, Size - 1);
    const double radius = Size / 5.0;
    Painter.setPen(QPen(QColor::fromRgba(Dark), 1));
    Painter.setBrush(Vertical(outer, Light, Mid));
    Painter.drawRoundedRect(outer, radius, radius);
    Painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRoundedRect(outer.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    QFont font = QGuiApplication::font();
    font.setBold(true);
    font.setPixelSize(Size * 9 / 16);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -Size / 32.0);
    Painter.setFont(font);
    const QString text = QString::fromLatin1(Text);
    Painter.setPen(QColor::fromRgba(Dark));
    Painter.drawText(QRectF(0, 1, Size, Size), Qt::AlignCenter, text);
    Painter.setPen(Qt::white);
    Painter.drawText(QRectF(0, 0, Size, Size), Qt::AlignCenter, text);
}

void Draw(QPainter& Painter, TDrawn Drawn, int Size) {
    const TGrid grid(Size);
    const auto windows = [&](std::initializer_list<QRectF> Frames) {
        for (const QRectF& frame : Frames)
            DrawWindow(Painter, grid, frame);
    };
    switch (Drawn) {
    case TDrawn::None:
    case TDrawn::Mirrored:
        break;
    case TDrawn::Window:
        windows({grid.Rect(1, 1, 14, 13)});
        break;
    case TDrawn::TiledRows:
        windows({grid.Rect(1, 1, 14, 7), grid.Rect(1, 8, 14, 7)});
        break;
    case TDrawn::TiledColumns:
        windows({grid.Rect(1, 1, 7, 14), grid.Rect(8, 1, 7, 14)});
        break;
    case TDrawn::Cascade:
        windows({grid.Rect(1, 1, 10, 9), grid.Rect(3, 4, 10, 9), grid.Rect(5, 7, 10, 9)});
        break;
    case TDrawn::Minimized:
        windows({grid.Rect(1, 8, 7, 3), grid.Rect(1, 12, 7, 3), grid.Rect(8, 12, 7, 3)});
        break;
    case TDrawn::Form:
        DrawForm(Painter, grid);
        break;
    case TDrawn::Sheet:
        DrawSheet(Painter, grid);
        break;
    case TDrawn::BadgeGB:
        DrawBadge(Painter, Size, "GB", ScarletRed1, ScarletRed2, ScarletRed3);
        break;
    case TDrawn::BadgeBig5:
        DrawBadge(Painter, Size, "B5", SkyBlue1, SkyBlue2, SkyBlue3);
        break;
    }
}

QPixmap Picture(const TIconSpec& Entry, int Size) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (Entry.Picture && Entry.Drawn == TDrawn::Mirrored)
        painter.drawPixmap(0, 0,
                           Bundled(Entry.Picture, Size).transformed(QTransform().scale(-1, 1)));
    else if (Entry.Picture)
        painter.drawPixmap(0, 0, Bundled(Entry.Picture, Size));
    else
        Draw(painter, Entry.Drawn, Size);
    if (Entry.Emblem) {
        // As the set's own emblems: about five eighths of the picture, taken
        // from the smallest bundled size that is not smaller.
        const int emblem = Size * 5 / 8;
        int source = IconSizes[0];
        for (int size : IconSizes) {
            source = size;
            if (size >= emblem) break;
        }
        painter.drawPixmap(QRect(Size - emblem, Size - emblem, emblem, emblem),
                           Bundled(Entry.Emblem, source));
    }
    return pixmap;
}

} // namespace

QIcon MainIcon(const TIconSpec& Entry) {
    static const bool resources = (InitIconResource(), true);
    (void)resources;
    if (!Entry.Picture && Entry.Drawn == TDrawn::None) return {};
    QIcon icon;
    for (int size : IconSizes)
        icon.addPixmap(Picture(Entry, size));
    return icon;
}

} // namespace lex
