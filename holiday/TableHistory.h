#pragma once

#include "holiday/TableChange.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace holiday {

class HolidayTable;

// The undo and redo history of one HolidayTable: a list of TableChange steps, of which the
// first Done are applied and the rest can be redone. A step is what one command changed
// (recorded while a Step scope lives); a new step drops the steps that could be redone.
//
// Memory is bounded: the steps keep at most MaxBytes together, the oldest dropped first (the
// newest step always stays). Emptying the whole CellStore (the open command's reset) makes the
// history void; it is then emptied before its next use.
class TableHistory {
public:
    static constexpr std::size_t DefaultMaxBytes = std::size_t{512} << 20;

    explicit TableHistory(HolidayTable& table, std::size_t maxBytes = DefaultMaxBytes) noexcept
        : mTable(table), mMaxBytes(maxBytes) {}
    TableHistory(const TableHistory&) = delete;
    TableHistory& operator=(const TableHistory&) = delete;
    ~TableHistory();

    // Records every change of the table's texts, counts and fixed counts while it lives, as one
    // step (nothing when nothing changed; what changed before an error is a step too). A step
    // inside another one joins it. A step with the same non-zero merge key as the newest step,
    // right after it, joins that step: the edit of one cell, keystroke by keystroke.
    class Step {
    public:
        explicit Step(TableHistory& history, std::uint64_t mergeKey = 0);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        TableHistory& mHistory;
        bool mOwn = false; // the outermost step, which records
    };

    // A key no other caller gets, for Step's merge key.
    [[nodiscard]] static std::uint64_t NewMergeKey() noexcept;

    [[nodiscard]] bool CanUndo() const noexcept;
    [[nodiscard]] bool CanRedo() const noexcept;
    // Takes back the newest applied step (makes the next one again), restores the current cell
    // and the anchor from before (after) it, and gives the place to show; none when there is
    // nothing to undo (redo). The observers are told once. Throws what the table's operations
    // throw (std::bad_alloc); the history is then emptied, the table keeping what was done.
    std::optional<TablePlace> Undo();
    std::optional<TablePlace> Redo();

    void Clear() noexcept;
    [[nodiscard]] std::size_t StepCount() const noexcept { return mSteps.size(); }
    [[nodiscard]] std::size_t DoneCount() const noexcept { return mDone; }
    // The memory the steps hold.
    [[nodiscard]] std::size_t Bytes() const noexcept { return mBytes; }

private:
    [[nodiscard]] bool Void() const noexcept;
    [[nodiscard]] TablePlace PlaceNow() const noexcept;
    void Begin(std::uint64_t mergeKey);
    void End() noexcept;
    void DropOldest() noexcept;

    HolidayTable& mTable;
    std::size_t mMaxBytes;
    std::deque<TableChange> mSteps;
    std::size_t mDone = 0;
    std::size_t mBytes = 0;
    std::uint64_t mResets = 0; // the table's StoreResets when the history was last valid
    // The step being recorded: a new one, or the newest of mSteps continued.
    std::optional<TableChange> mNew;
    bool mContinuing = false;
    std::size_t mContinuedBytes = 0;
};

} // namespace holiday
