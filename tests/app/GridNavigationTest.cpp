#include "app/GridNavigation.h"

#include <gtest/gtest.h>

using namespace app;

namespace {

using holiday::GridCoord;

TEST(NavigateGrid, KeysGiveTheNewCellAnchorTopRowAndEditor) {
    // 6 columns, 10 rows, column 0 and row 0 fixed; rows 2 to 5 shown, at most 5 on top.
    const GridNavigationState base{{2, 3}, {2, 3}, {1, 1}, {6, 10}, 2, 5, 4, true};
    struct Case {
        GridKey Key;
        bool Shift, Ctrl;
        EnterMove Enter;
        GridCoord From, Anchor; // the state's current cell and anchor
        bool Open;              // the editor before
        GridNavigation Expected;
    };
    using enum GridKey;
    constexpr EnterMove no = EnterMove::None, down = EnterMove::Down, right = EnterMove::Right;
    // clang-format off
    const Case cases[] = {
        {Up, false, false, no, {2, 3}, {4, 5}, true, {{2, 2}, {2, 2}, 2, false}},
        {Up, false, false, no, {2, 1}, {2, 1}, true, {{2, 1}, {2, 1}, 2, true}}, // at the edge
        {Down, false, false, no, {2, 9}, {2, 9}, true, {{2, 9}, {2, 9}, 2, true}},
        {Left, false, false, no, {1, 3}, {3, 3}, true, {{1, 3}, {1, 3}, 2, true}},
        {Right, false, false, no, {2, 3}, {2, 3}, false, {{3, 3}, {3, 3}, 2, false}},
        {PageDown, false, false, no, {2, 3}, {2, 3}, true, {{2, 7}, {2, 7}, 5, false}},
        {PageDown, false, false, no, {2, 8}, {2, 8}, false, {{2, 9}, {2, 9}, 5, false}},
        {PageUp, false, false, no, {2, 3}, {2, 3}, false, {{2, 1}, {2, 1}, 0, false}},
        {Home, false, false, no, {4, 3}, {4, 3}, false, {{1, 3}, {1, 3}, 2, false}},
        {Home, false, true, no, {4, 3}, {4, 3}, false, {{1, 1}, {1, 1}, 2, false}},
        {End, false, false, no, {2, 3}, {2, 3}, false, {{5, 3}, {5, 3}, 2, false}},
        {End, false, true, no, {2, 3}, {2, 3}, false, {{5, 9}, {5, 9}, 2, false}},
        // Shift moves the anchor; vertically it closes the editor.
        {Down, true, false, no, {2, 3}, {4, 5}, true, {{2, 3}, {4, 6}, 2, false}},
        {Up, true, false, no, {2, 3}, {2, 1}, false, {{2, 3}, {2, 1}, 2, false}},
        {Right, true, false, no, {2, 3}, {2, 3}, true, {{2, 3}, {3, 3}, 2, true}},
        {End, true, true, no, {2, 3}, {2, 3}, false, {{2, 3}, {5, 9}, 2, false}},
        // Enter: a move opens the editor on the new cell, no move toggles it, Ctrl only moves.
        {Enter, false, false, down, {2, 3}, {4, 5}, true, {{2, 4}, {2, 4}, 2, true}},
        {Enter, true, false, right, {2, 3}, {2, 3}, false, {{3, 3}, {3, 3}, 2, true}},
        {Enter, false, false, down, {2, 9}, {2, 9}, true, {{2, 9}, {2, 9}, 2, false}},
        {Enter, false, false, right, {5, 3}, {4, 5}, false, {{5, 3}, {4, 5}, 2, true}},
        {Enter, false, true, down, {2, 3}, {2, 3}, true, {{2, 4}, {2, 4}, 2, false}},
        {Enter, false, true, right, {5, 3}, {5, 3}, true, {{5, 3}, {5, 3}, 2, true}},
        {Enter, false, false, no, {2, 3}, {2, 3}, true, {{2, 3}, {2, 3}, 2, false}},
    };
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        GridNavigationState state = base;
        state.Current = c.From;
        state.Anchor = c.Anchor;
        state.EditorOpen = c.Open;
        const GridNavigation to = NavigateGrid(state, c.Key, c.Shift, c.Ctrl, c.Enter);
        EXPECT_EQ(to, c.Expected) << "case " << i << ": (" << to.Current.Col << ","
                                  << to.Current.Row << ") (" << to.Anchor.Col << ","
                                  << to.Anchor.Row << ") top " << to.TopRow << " open "
                                  << to.EditorOpen;
    }
}

} // namespace
