#include "holiday/CellStore.h"

#include "holiday/LargeMemory.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace holiday {

template <typename Self>
CellStore::SlotOf<Self>* CellStore::FindRowIn(Self& self, std::int32_t row) noexcept {
    if (row < 0) {
        return nullptr;
    }
    if (row < PagedRowLimit) {
        const auto page = static_cast<std::size_t>(row / PageRows);
        if (page >= self.mPages.size() || !self.mPages[page]) {
            return nullptr;
        }
        return &self.mPages[page]->mRows[row % PageRows];
    }
    const auto it = self.mFarRows.find(row);
    return it == self.mFarRows.end() ? nullptr : &it->second;
}

const CellStore::RowSlot* CellStore::FindRow(std::int32_t row) const noexcept {
    return FindRowIn(*this, row);
}

CellStore::RowSlot* CellStore::FindRow(std::int32_t row) noexcept {
    return FindRowIn(*this, row);
}

CellStore::RowSlot& CellStore::MakeRowSlow(std::int32_t row) {
    if (row < PagedRowLimit) {
        const auto page = static_cast<std::size_t>(row / PageRows);
        if (page >= mPages.size()) {
            mPages.resize(page + 1);
        }
        if (!mPages[page]) {
            mPages[page] = std::make_unique<Page>();
        }
        return mPages[page]->mRows[row % PageRows];
    }
    return mFarRows[row];
}

template <typename Self, typename Visitor>
void CellStore::ForEachRowIn(Self& self, std::int64_t rowLimit, Visitor&& visit) {
    for (std::size_t page = 0; page < self.mPages.size(); ++page) {
        if (!self.mPages[page]) {
            continue;
        }
        const auto first = static_cast<std::int32_t>(page) * PageRows;
        if (first >= rowLimit) {
            return;
        }
        SlotOf<Self>* slots = self.mPages[page]->mRows;
        for (std::int32_t i = 0; i < PageRows && first + i < rowLimit; ++i) {
            visit(first + i, slots[i]);
        }
    }
    for (auto& [row, slot] : self.mFarRows) {
        if (row >= rowLimit) {
            return;
        }
        visit(row, slot);
    }
}

bool CellStore::Empty() const noexcept {
    bool empty = true;
    ForEachRowIn(*this, mRowEnd, [&](std::int32_t, const RowSlot& slot) {
        if (slot.LastCol() >= 0) {
            empty = false;
        }
    });
    return empty;
}

std::string_view CellStore::View(std::int32_t col, std::int32_t row) const noexcept {
    const RowSlot* slot = FindRow(row);
    return slot == nullptr ? std::string_view() : slot->View(col);
}

std::string CellStore::Get(std::int32_t col, std::int32_t row) const {
    return std::string(View(col, row));
}

CellStore::RowEntries CellStore::Entries(std::int32_t row) const noexcept {
    const RowSlot* slot = FindRow(row);
    return slot == nullptr ? RowEntries() : slot->Entries();
}

std::int32_t CellStore::LastCol(std::int32_t row) const noexcept {
    const RowSlot* slot = FindRow(row);
    return slot == nullptr ? -1 : slot->LastCol();
}

CellStore::RawRow CellStore::RawBytes(std::int32_t row) const noexcept {
    const RowSlot* slot = FindRow(row);
    const RowSlot::AsRead* raw = slot != nullptr ? slot->Read() : nullptr;
    if (raw == nullptr) {
        return {};
    }
    return {{raw->Bytes, raw->Size}, raw->LastCol};
}

void CellStore::TrimAppendRow() noexcept {
    RowSlot* slot = FindRow(mAppendRow);
    detail::PackedRow* packed = slot != nullptr ? slot->Packed() : nullptr;
    if (packed == nullptr || packed->IsWide()) {
        return;
    }
    mRowSizeHint = packed->NarrowBytes() + 8;
    packed->Trim();
}

void CellStore::Set(std::int32_t col, std::int32_t row, std::string_view text) {
    ++mRevision;
    if (col < 0 || row < 0) {
        throw std::out_of_range("CellStore: negative cell position");
    }
    RowSlot* found = FindRow(row);
    if (text.empty() && (found == nullptr || col > found->LastCol())) {
        return;
    }
    RowSlot& slot = found != nullptr ? *found : MakeRow(row);
    // A text read from this very row (through Entries or View) would move while the row is
    // rewritten; texts of rows as read never move.
    std::string ownCopy;
    if (const detail::PackedRow* packed = slot.Packed();
        packed != nullptr && packed->Holds(col, text)) {
        ownCopy.assign(text);
        text = ownCopy;
    }
    NoteRow(row);
    const bool fresh = slot.LastCol() < 0;
    detail::PackedRow& data = slot.MakePacked();
    if (col > data.LastCol() && row != mAppendRow) { // appends moving on to another row
        TrimAppendRow();
        mAppendRow = row;
        // Rows filled in order tend to be alike: one allocation of the last one's size (no
        // figure of its own in bench/README.md yet).
        if (fresh) {
            data.Reserve(mRowSizeHint);
        }
    }
    data.Set(col, text);
    if (data.LastCol() < 0) {
        slot.Reset();
    }
}

void CellStore::SetRow(std::int32_t row, std::span<const std::string_view> texts) {
    ++mRevision;
    if (row < 0) {
        throw std::out_of_range("CellStore: negative row");
    }
    RowSlot* found = FindRow(row);
    if ((found != nullptr && found->LastCol() >= 0) ||
        texts.size() > static_cast<std::size_t>(INT32_MAX)) {
        for (std::size_t k = 0; k < texts.size(); ++k) {
            Set(static_cast<std::int32_t>(k), row, texts[k]);
        }
        return;
    }
    detail::PackedRow packed = detail::PackedRow::FromTexts(texts);
    if (packed.LastCol() < 0) {
        return;
    }
    RowSlot& slot = found != nullptr ? *found : MakeRow(row);
    NoteRow(row);
    if (row != mAppendRow) {
        TrimAppendRow();
        mAppendRow = row;
    }
    mRowSizeHint = packed.NarrowBytes() + 8;
    slot.SetPacked(std::move(packed));
}

void CellStore::FreeBlock::operator()(char* block) const noexcept {
    detail::FreeLarge(block);
}

char* CellStore::NewBlock(std::size_t size) {
    mBlocks.reserve(mBlocks.size() + 1);
    // Not initialised: the reader fills it.
    mBlocks.emplace_back(static_cast<char*>(detail::AllocateLarge(size)));
    mBlockBytes += size;
    return mBlocks.back().get();
}

void CellStore::DropBlock(const char* block) noexcept {
    for (auto it = mBlocks.begin(); it != mBlocks.end(); ++it) {
        if (it->get() == block) {
            mBlocks.erase(it);
            return;
        }
    }
}

void CellStore::TakeOver(CellStore&& other) noexcept {
    if (&other == this) {
        return;
    }
    const std::uint64_t revision = std::max(mRevision, other.mRevision) + 1;
    *this = std::move(other);
    other.ClearAll();
    mRevision = revision;
    other.mRevision = revision;
}

void CellStore::ClearAll() noexcept {
    ++mRevision;
    mPages.clear();
    mPages.shrink_to_fit();
    mFarRows.clear();
    mBlocks.clear();
    mBlocks.shrink_to_fit();
    mBlockBytes = 0;
    mRowEnd = 0;
    mAppendRow = -1;
    mRowSizeHint = 0;
}

void CellStore::CopyRow(std::int32_t target, std::int32_t source, std::int32_t colLimit) {
    ++mRevision;
    if (target < 0 || source < 0) {
        throw std::out_of_range("CellStore: negative row");
    }
    if (target == source || colLimit <= 0) {
        return;
    }
    const RowSlot* src = FindRow(source);
    RowSlot* tgt = FindRow(target);
    const std::int32_t srcLast = src == nullptr ? -1 : src->LastCol();
    const std::int32_t tgtLast = tgt == nullptr ? -1 : tgt->LastCol();
    if (srcLast < 0 && tgtLast < 0) {
        return;
    }
    NoteRow(target);
    if (srcLast < colLimit && tgtLast < colLimit) { // the whole row moves over
        if (tgt == nullptr) {
            tgt = &MakeRow(target);
        }
        if (srcLast < 0) {
            tgt->Reset();
        } else if (src->IsRaw()) { // the bytes as read are shared, never changed
            tgt->SetRaw(src->Raw().data(), src->Raw().size(), srcLast);
        } else {
            tgt->SetPacked(detail::PackedRow(*src->Packed()));
        }
        return;
    }
    // Mixed: the source's entries below colLimit, then the target's from colLimit on.
    detail::PackedRow merged;
    std::int32_t col = 0;
    std::string_view text;
    if (src != nullptr) {
        for (RowEntries it = src->Entries(); it.Next(col, text) && col < colLimit;) {
            merged.Append(col, text);
        }
    }
    if (tgt != nullptr) {
        for (RowEntries it = tgt->Entries(); it.Next(col, text);) {
            if (col >= colLimit) {
                merged.Append(col, text);
            }
        }
    } else {
        tgt = &MakeRow(target);
    }
    tgt->SetPacked(std::move(merged));
}

void CellStore::ClearRange(std::int32_t colLimit, std::int32_t rowLimit) {
    ++mRevision;
    if (colLimit <= 0 || rowLimit <= 0) {
        return;
    }
    ForEachRowIn(*this, rowLimit, [&](std::int32_t, RowSlot& slot) {
        const std::int32_t last = slot.LastCol();
        if (last < 0) {
            return;
        }
        if (last < colLimit) {
            slot.Reset();
            return;
        }
        detail::PackedRow kept;
        std::int32_t col = 0;
        std::string_view text;
        for (RowEntries it = slot.Entries(); it.Next(col, text);) {
            if (col >= colLimit) {
                kept.Append(col, text);
            }
        }
        slot.SetPacked(std::move(kept));
    });
}

std::size_t CellStore::MemoryUsage() const noexcept {
    // Heap blocks as glibc's malloc hands them out (detail::HeapBlockBytes), for the layouts of
    // libstdc++ on a 64-bit system; other layouts only make the estimate less exact.
    using detail::HeapBlockBytes;
    std::size_t total = mPages.capacity() * sizeof(std::unique_ptr<Page>) + mBlockBytes;
    ForEachRowIn(*this, mRowEnd, [&](std::int32_t, const RowSlot& slot) {
        if (const detail::PackedRow* packed = slot.Packed()) {
            total += HeapBlockBytes(sizeof(detail::PackedRow)) + packed->HeapBytes();
        }
    });
    for (const auto& page : mPages) {
        if (page) {
            total += HeapBlockBytes(sizeof(Page));
        }
    }
    // A node of std::map: two child links, the parent link and the colour (32 bytes), then
    // the value.
    constexpr std::size_t FarRowBytes = HeapBlockBytes(32 + sizeof(decltype(mFarRows)::value_type));
    return total + mFarRows.size() * FarRowBytes;
}

} // namespace holiday
