#include "tools/holtool/NameList.h"

#include "holiday/Utf8.h"
#include "tools/holtool/ShownName.h"

namespace holtool {

void NameList::Add(std::string_view name) {
    if (mShown == MaxNames) {
        ++mMore;
        return;
    }
    std::string shown = ShownName(name);
    if (shown.size() > MaxNameBytes) {
        std::size_t cut = 0;
        while (cut < shown.size()) {
            const std::size_t next = cut + holiday::DecodeUtf8Char(shown, cut).Bytes;
            if (next > MaxNameBytes) {
                break;
            }
            cut = next;
        }
        shown.resize(cut);
        shown += "...";
    }
    mText += (mShown == 0 ? "" : ", ") + shown;
    ++mShown;
}

std::string NameList::Text() const {
    return mMore == 0 ? mText : mText + " and " + std::to_string(mMore) + " more";
}

} // namespace holtool
