#include "holiday/CellStore.h"

#include "holiday/LargeMemory.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace holiday {

const CellStore::RowSlot* CellStore::FindRow(std::int32_t row) const noexcept {
    if (row < 0) {
        return nullptr;
    }
    if (row < PagedRowLimit) {
        const auto page = static_cast<std::size_t>(row / PageRows);
        if (page >= mPages.size() || !mPages[page]) {
            return nullptr;
        }
        return &mPages[page]->mRows[row % PageRows];
    }
    const auto it = mFarRows.find(row);
    return it == mFarRows.end() ? nullptr : &it->second;
}

CellStore::RowSlot* CellStore::FindRow(std::int32_t row) noexcept {
    return const_cast<RowSlot*>(static_cast<const CellStore*>(this)->FindRow(row));
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

template <typename Visitor>
void CellStore::ForEachRow(std::int64_t rowLimit, Visitor&& visit) const {
    for (std::size_t page = 0; page < mPages.size(); ++page) {
        if (!mPages[page]) {
            continue;
        }
        const auto first = static_cast<std::int32_t>(page) * PageRows;
        if (first >= rowLimit) {
            return;
        }
        for (std::int32_t i = 0; i < PageRows && first + i < rowLimit; ++i) {
            visit(first + i, const_cast<RowSlot&>(mPages[page]->mRows[i]));
        }
    }
    for (auto& [row, slot] : mFarRows) {
        if (row >= rowLimit) {
            return;
        }
        visit(row, const_cast<RowSlot&>(slot));
    }
}

bool CellStore::Empty() const noexcept {
    bool empty = true;
    ForEachRow(mRowEnd, [&](std::int32_t, const RowSlot& slot) {
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
    if (slot == nullptr || !slot->IsRaw()) {
        return {};
    }
    return {slot->Raw(), slot->LastCol()};
}

void CellStore::TrimAppendRow() noexcept {
    RowSlot* slot = FindRow(mAppendRow);
    if (slot == nullptr || slot->Packed() == nullptr || slot->Packed()->Wide) {
        return;
    }
    mRowSizeHint = slot->Packed()->Bytes.size() + 8;
    slot->Trim();
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
    if (col > data.LastCol && row != mAppendRow) { // appends moving on to another row
        TrimAppendRow();
        mAppendRow = row;
        // Rows filled in order tend to be alike: one allocation of the last one's size.
        if (fresh && !data.Wide && mRowSizeHint > data.Bytes.capacity()) {
            data.Bytes.reserve(mRowSizeHint);
        }
    }
    data.Set(col, text);
    if (data.LastCol < 0) {
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
    // The packed size first, then one allocation.
    std::size_t total = 0;
    std::size_t gap = 0; // empty cells since the last text
    std::int32_t last = -1;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const std::size_t length = texts[k].size();
        if (length == 0) {
            ++gap;
            continue;
        }
        char scratch[10];
        total +=
            detail::EncodeVarint(scratch, gap) + detail::EncodeVarint(scratch, length) + length;
        gap = 0;
        last = static_cast<std::int32_t>(k);
    }
    if (last < 0) {
        return;
    }
    RowSlot& slot = found != nullptr ? *found : MakeRow(row);
    NoteRow(row);
    if (row != mAppendRow) {
        TrimAppendRow();
        mAppendRow = row;
    }
    auto packed = std::make_unique<detail::PackedRow>();
    std::string& bytes = packed->Bytes;
    bytes.resize(total);
    char* out = bytes.data();
    gap = 0;
    for (const std::string_view text : texts) {
        if (text.empty()) {
            ++gap;
            continue;
        }
        out += detail::EncodeVarint(out, gap);
        out += detail::EncodeVarint(out, text.size());
        std::memcpy(out, text.data(), text.size());
        out += text.size();
        gap = 0;
    }
    mRowSizeHint = total + 8;
    packed->LastCol = last;
    if (bytes.size() > detail::PackedRow::WideBytes) {
        packed->MakeWide();
    }
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
            const detail::PackedRow& from = *src->Packed();
            auto copy = std::make_unique<detail::PackedRow>();
            copy->Bytes = from.Bytes;
            copy->Wide = from.Wide ? std::make_unique<detail::Segments>(*from.Wide) : nullptr;
            copy->LastCol = from.LastCol;
            tgt->SetPacked(std::move(copy));
        }
        return;
    }
    // Mixed: the source's entries below colLimit, then the target's from colLimit on.
    auto merged = std::make_unique<detail::PackedRow>();
    std::int32_t col = 0;
    std::string_view text;
    if (src != nullptr) {
        for (RowEntries it = src->Entries(); it.Next(col, text) && col < colLimit;) {
            merged->Append(col, text);
        }
    }
    if (tgt != nullptr) {
        for (RowEntries it = tgt->Entries(); it.Next(col, text);) {
            if (col >= colLimit) {
                merged->Append(col, text);
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
    ForEachRow(rowLimit, [&](std::int32_t, RowSlot& slot) {
        const std::int32_t last = slot.LastCol();
        if (last < 0) {
            return;
        }
        if (last < colLimit) {
            slot.Reset();
            return;
        }
        auto kept = std::make_unique<detail::PackedRow>();
        std::int32_t col = 0;
        std::string_view text;
        for (RowEntries it = slot.Entries(); it.Next(col, text);) {
            if (col >= colLimit) {
                kept->Append(col, text);
            }
        }
        slot.SetPacked(std::move(kept));
    });
}

std::size_t CellStore::MemoryUsage() const noexcept {
    std::size_t total = mPages.capacity() * sizeof(std::unique_ptr<Page>) + mBlockBytes;
    ForEachRow(mRowEnd, [&](std::int32_t, const RowSlot& slot) {
        const detail::PackedRow* packed = slot.Packed();
        if (packed == nullptr) {
            return;
        }
        total += sizeof(detail::PackedRow) + 16;
        if (packed->Bytes.capacity() > 15) {
            total += packed->Bytes.capacity() + 1;
        }
        if (packed->Wide) {
            for (const auto& [col, bytes] : *packed->Wide) {
                total += 80 + (bytes.capacity() > 15 ? bytes.capacity() + 1 : 0);
            }
        }
    });
    for (const auto& page : mPages) {
        if (page) {
            total += sizeof(Page);
        }
    }
    total += mFarRows.size() * (sizeof(RowSlot) + 48);
    return total;
}

} // namespace holiday
