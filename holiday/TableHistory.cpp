#include "holiday/TableHistory.h"

#include "holiday/HolidayTable.h"

#include <atomic>

namespace holiday {

TableHistory::~TableHistory() {
    if (mTable.Recording() != nullptr && (mNew || mContinuing)) {
        mTable.SetRecording(nullptr);
    }
}

std::uint64_t TableHistory::NewMergeKey() noexcept {
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

bool TableHistory::Void() const noexcept {
    return mTable.StoreResets() != mResets;
}

TablePlace TableHistory::PlaceNow() const noexcept {
    return {mTable.CurrentCell(), mTable.Anchor(), mTable.TopLeft()};
}

bool TableHistory::CanUndo() const noexcept {
    return !Void() && mDone > 0;
}

bool TableHistory::CanRedo() const noexcept {
    return !Void() && mDone < mSteps.size();
}

void TableHistory::Clear() noexcept {
    mSteps.clear();
    mDone = 0;
    mBytes = 0;
    mResets = mTable.StoreResets();
}

TableHistory::Step::Step(TableHistory& history, std::uint64_t mergeKey) : mHistory(history) {
    if (history.mTable.Recording() == nullptr) {
        history.Begin(mergeKey);
        mOwn = true;
    }
}

TableHistory::Step::~Step() {
    if (mOwn) {
        mHistory.End();
    }
}

void TableHistory::Begin(std::uint64_t mergeKey) {
    if (Void()) {
        Clear();
    }
    if (mergeKey != 0 && mDone == mSteps.size() && mDone > 0 &&
        mSteps.back().MergeKey() == mergeKey) {
        mContinuing = true;
        mContinuedBytes = mSteps.back().Bytes();
        mTable.SetRecording(&mSteps.back());
        return;
    }
    if (mDone > 0) {
        // The newest step's last cell takes its text now, before anything else changes.
        TableChange& last = mSteps[mDone - 1];
        mBytes -= last.Bytes();
        last.Seal(mTable.Cells());
        mBytes += last.Bytes();
    }
    mNew.emplace(PlaceNow(), mergeKey);
    mTable.SetRecording(&*mNew);
}

void TableHistory::End() noexcept {
    mTable.SetRecording(nullptr);
    try {
        if (mContinuing) {
            mContinuing = false;
            TableChange& step = mSteps.back();
            step.SetAfter(PlaceNow());
            mBytes = mBytes - mContinuedBytes + step.Bytes();
        } else if (mNew) {
            if (!mNew->Empty()) {
                mNew->SetAfter(PlaceNow());
                mNew->Trim();
                while (mSteps.size() > mDone) {
                    mBytes -= mSteps.back().Bytes();
                    mSteps.pop_back();
                }
                mSteps.push_back(std::move(*mNew));
                mDone = mSteps.size();
                mBytes += mSteps.back().Bytes();
            }
            mNew.reset();
        }
    } catch (...) {
        // No room to keep the step: a history without it would not fit the table.
        mNew.reset();
        Clear();
        return;
    }
    while (mBytes > mMaxBytes && mSteps.size() > 1) {
        DropOldest();
    }
}

void TableHistory::DropOldest() noexcept {
    if (mDone > 0) {
        mBytes -= mSteps.front().Bytes();
        mSteps.pop_front();
        --mDone;
    } else {
        // Everything is undone: the step farthest from the table goes.
        mBytes -= mSteps.back().Bytes();
        mSteps.pop_back();
    }
}

std::optional<TablePlace> TableHistory::Undo() {
    if (!CanUndo() || mTable.Recording() != nullptr) {
        return std::nullopt;
    }
    mBytes -= mSteps[mDone - 1].Bytes();
    mSteps[mDone - 1].Seal(mTable.Cells());
    mBytes += mSteps[mDone - 1].Bytes();
    if (mSteps[mDone - 1].Empty()) {
        // A cell edited back to its text: no step.
        mBytes -= mSteps[mDone - 1].Bytes();
        mSteps.erase(mSteps.begin() + static_cast<std::ptrdiff_t>(mDone - 1));
        --mDone;
        return Undo();
    }
    TableChange& step = mSteps[mDone - 1];
    try {
        const HolidayTable::NotificationBatch batch(mTable);
        step.Undo(mTable);
        mTable.SetCurrentCell(step.Before().Current);
        mTable.SetAnchor(step.Before().Anchor);
    } catch (...) {
        Clear();
        throw;
    }
    --mDone;
    return step.Before();
}

std::optional<TablePlace> TableHistory::Redo() {
    if (!CanRedo() || mTable.Recording() != nullptr) {
        return std::nullopt;
    }
    const TableChange& step = mSteps[mDone];
    try {
        const HolidayTable::NotificationBatch batch(mTable);
        step.Redo(mTable);
        mTable.SetCurrentCell(step.After().Current);
        mTable.SetAnchor(step.After().Anchor);
    } catch (...) {
        Clear();
        throw;
    }
    ++mDone;
    return step.After();
}

} // namespace holiday
