#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

namespace lex {
namespace {

TEST(WindowPlacement, FitsARunWithoutAPlaceAndPullsALostOneBack) {
    const QRect laptop(0, 0, 1280, 770); // 1280x800 less a panel
    const QRect left(-1920, 0, 1920, 1050);
    const struct {
        const char* Name;
        QRect Saved;
        QList<QRect> Screens;
        QRect Expected;
    } cases[] = {
        {"first run", {}, {laptop}, {128, 77, 1024, 616}},
        {"kept", {100, 50, 900, 600}, {laptop}, {100, 50, 900, 600}},
        {"on another screen", {-1500, 100, 1200, 800}, {laptop, left}, {-1500, 100, 1200, 800}},
        {"that screen is gone", {-1500, 100, 1200, 800}, {laptop}, {0, 0, 1200, 770}},
        {"only a sliver shows", {1250, 700, 800, 600}, {laptop}, {480, 170, 800, 600}},
        {"larger than the screen", {0, 0, 2500, 1400}, {laptop}, laptop},
        {"no screen", {10, 10, 300, 200}, {}, {10, 10, 300, 200}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceWindow(c.Saved, c.Screens), c.Expected) << c.Name;
}

} // namespace
} // namespace lex
