#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace holtool {

// Names for a message, as many as a screen shows: the first MaxNames, each shown by ShownName
// and cut to MaxNameBytes, joined by ", "; the others only counted ("... and 1999980 more").
class NameList {
public:
    static constexpr std::size_t MaxNames = 20;
    static constexpr std::size_t MaxNameBytes = 60;

    void Add(std::string_view name);
    [[nodiscard]] bool Empty() const noexcept { return mShown == 0; }
    [[nodiscard]] std::string Text() const;

private:
    std::string mText;
    std::size_t mShown = 0;
    std::uint64_t mMore = 0;
};

} // namespace holtool
