#include "app/GridNavigation.h"

#include <algorithm>

namespace app {

using holiday::GridCoord;

namespace {

[[nodiscard]] GridNavigation EnterKey(const GridNavigationState& state, bool ctrl,
                                      EnterMove enter) noexcept {
    GridCoord to = state.Current;
    if (enter == EnterMove::Down && to.Row < state.Extent.Row - 1) {
        ++to.Row;
    } else if (enter == EnterMove::Right && to.Col < state.Extent.Col - 1) {
        ++to.Col;
    }
    const bool moved = to != state.Current;
    const bool fixed = to.Col < state.FirstCell.Col || to.Row < state.FirstCell.Row;
    bool open = state.EditorOpen && !moved;
    if (!ctrl) {
        open = !open && !fixed;
    }
    return {to, moved ? to : state.Anchor, state.TopRow, open};
}

} // namespace

GridNavigation NavigateGrid(const GridNavigationState& state, GridKey key, bool shift, bool ctrl,
                            EnterMove enter) noexcept {
    if (key == GridKey::Enter) {
        return EnterKey(state, ctrl, enter);
    }
    const GridCoord last{state.Extent.Col - 1, state.Extent.Row - 1};
    const GridCoord from = shift ? state.Anchor : state.Current;
    const std::int32_t page = state.PageRows;
    GridCoord to = from;
    std::int32_t top = state.TopRow;
    bool vertical = true;
    switch (key) {
    case GridKey::Up:
        to.Row = from.Row - 1;
        break;
    case GridKey::Down:
        to.Row = from.Row + 1;
        break;
    case GridKey::PageUp:
        to.Row = from.Row - std::min(page, from.Row);
        top = state.TopRow - std::min(page, state.TopRow);
        break;
    case GridKey::PageDown:
        to.Row = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{from.Row} + page, last.Row));
        top = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{state.TopRow} + page, state.MaxTopRow));
        break;
    case GridKey::Left:
        to.Col = from.Col - 1;
        vertical = false;
        break;
    case GridKey::Right:
        to.Col = from.Col + 1;
        vertical = false;
        break;
    case GridKey::Home:
        to = {state.FirstCell.Col, ctrl ? state.FirstCell.Row : from.Row};
        vertical = false;
        break;
    case GridKey::End:
        to = {last.Col, ctrl ? last.Row : from.Row};
        vertical = false;
        break;
    case GridKey::Enter:
        break;
    }
    to.Col = std::clamp(to.Col, state.FirstCell.Col, last.Col);
    to.Row = std::clamp(to.Row, state.FirstCell.Row, last.Row);
    if (shift) {
        return {state.Current, to, top, state.EditorOpen && !vertical};
    }
    return {to, to, top, state.EditorOpen && to == state.Current};
}

} // namespace app
