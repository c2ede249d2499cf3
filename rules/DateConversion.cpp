#include "rules/DateConversion.h"

#include "holiday/Exception.h"

#include <cstddef>
#include <string>

namespace rules {

namespace {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

[[nodiscard]] char Lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] DateOrder DateOrderOf(std::string_view pattern) noexcept {
    char quote = '\0';
    for (const char c : pattern) {
        if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        switch (Lower(c)) {
        case 'd':
            return DateOrder::DayMonthYear;
        case 'm':
            return DateOrder::MonthDayYear;
        case 'y':
        case 'e':
            return DateOrder::YearMonthDay;
        default:
            break;
        }
    }
    return DateOrder::MonthDayYear;
}

// A position in a date text with the reading steps of ParseLocaleDate.
class DateScanner {
public:
    DateScanner(std::string_view text, std::string_view separator) noexcept
        : mText(text), mSeparator(separator) {}

    void SkipBlanks() noexcept {
        while (mPos < mText.size() && mText[mPos] == ' ') {
            ++mPos;
        }
    }

    // Digits are taken while the value is below 1000; at least one is needed.
    [[nodiscard]] bool ReadNumber(std::int32_t& value, std::int32_t& digits) noexcept {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (mPos < mText.size() && value < 1000 && mText[mPos] >= '0' && mText[mPos] <= '9') {
            value = value * 10 + (mText[mPos] - '0');
            ++digits;
            ++mPos;
        }
        return digits > 0;
    }

    [[nodiscard]] bool ReadSeparator() noexcept {
        SkipBlanks();
        if (mSeparator.empty() || mText.substr(mPos, mSeparator.size()) != mSeparator) {
            return false;
        }
        mPos += mSeparator.size();
        return true;
    }

    [[nodiscard]] bool AtEnd() const noexcept { return mPos == mText.size(); }

private:
    std::string_view mText;
    std::string_view mSeparator;
    std::size_t mPos = 0;
};

// The year ending in twoDigits that lies within currentYear - 50 .. currentYear + 49.
[[nodiscard]] std::int32_t CompleteTwoDigitYear(std::int32_t twoDigits,
                                                std::int32_t currentYear) noexcept {
    const std::int64_t current = currentYear;
    std::int64_t year = current - ((current % 100) + 100) % 100 + twoDigits;
    if (year > current + 49) {
        year -= 100;
    } else if (year < current - 50) {
        year += 100;
    }
    // Outside the 32-bit range the date is invalid anyway.
    return year < 0 || year > 99999 ? 0 : static_cast<std::int32_t>(year);
}

[[noreturn]] void ThrowInvalidDate(std::string_view text) {
    std::string message;
    message.reserve(text.size() + 30);
    message += '\'';
    message += text;
    message += "' ist kein gültiges Datum";
    throw holiday::EConvertError(message);
}

[[noreturn]] void ThrowInvalidInteger(std::string_view text) {
    std::string message;
    message.reserve(text.size() + 40);
    message += "''";
    message += text;
    message += "'' ist kein gültiger Integer-Wert";
    throw holiday::EConvertError(message);
}

[[nodiscard]] int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Appends value (not negative) in decimal, with leading zeros up to minDigits digits.
void AppendNumber(std::string& out, std::int32_t value, int minDigits) {
    char digits[12];
    std::size_t start = sizeof digits;
    auto rest = static_cast<std::uint32_t>(value);
    do {
        digits[--start] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    while (sizeof digits - start < static_cast<std::size_t>(minDigits)) {
        digits[--start] = '0';
    }
    out.append(digits + start, sizeof digits - start);
}

} // namespace

CalendarDate ParseLocaleDate(std::string_view text, const LocaleDateSettings& settings,
                             std::int32_t currentYear) {
    const DateOrder order = DateOrderOf(settings.ShortDateFormat);
    DateScanner scanner(text, settings.DateSeparator);

    std::int32_t n1 = 0;
    std::int32_t n2 = 0;
    std::int32_t n3 = 0;
    std::int32_t digits1 = 0;
    std::int32_t digits2 = 0;
    std::int32_t digits3 = 0;
    if (!scanner.ReadNumber(n1, digits1) || !scanner.ReadSeparator() ||
        !scanner.ReadNumber(n2, digits2)) {
        ThrowInvalidDate(text);
    }

    std::int32_t year = currentYear;
    std::int32_t month = 0;
    std::int32_t day = 0;
    if (scanner.ReadSeparator()) {
        if (!scanner.ReadNumber(n3, digits3)) {
            ThrowInvalidDate(text);
        }
        std::int32_t yearDigits = digits3;
        switch (order) {
        case DateOrder::DayMonthYear:
            day = n1;
            month = n2;
            year = n3;
            break;
        case DateOrder::MonthDayYear:
            month = n1;
            day = n2;
            year = n3;
            break;
        case DateOrder::YearMonthDay:
            year = n1;
            month = n2;
            day = n3;
            yearDigits = digits1;
            break;
        }
        if (yearDigits <= 2) {
            year = CompleteTwoDigitYear(year, currentYear);
        }
    } else if (order == DateOrder::DayMonthYear) {
        day = n1;
        month = n2;
    } else {
        month = n1;
        day = n2;
    }

    (void)scanner.ReadSeparator();
    scanner.SkipBlanks();
    if (!scanner.AtEnd() || !CalendarDate::IsValidYmd(year, month, day)) {
        ThrowInvalidDate(text);
    }
    return CalendarDate::FromYmd(year, month, day);
}

std::int32_t ParseInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    const std::string_view rest = text.substr(pos);
    std::size_t prefix = 0;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        prefix = 1;
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        prefix = 2;
    }

    if (prefix != 0) {
        const std::string_view hex = rest.substr(prefix);
        if (hex.empty()) {
            ThrowInvalidInteger(text);
        }
        std::uint32_t value = 0;
        for (const char c : hex) {
            const int digit = HexDigitValue(c);
            if (digit < 0 || value > 0x0FFFFFFFu) {
                ThrowInvalidInteger(text);
            }
            value = value * 16u + static_cast<std::uint32_t>(digit);
        }
        if (negative) {
            value = 0u - value;
        }
        return static_cast<std::int32_t>(value); // two's complement
    }

    if (rest.empty()) {
        ThrowInvalidInteger(text);
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (const char c : rest) {
        if (c < '0' || c > '9') {
            ThrowInvalidInteger(text);
        }
        value = value * 10 + (c - '0');
        if (value > limit) {
            ThrowInvalidInteger(text);
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string FormatShortDate(CalendarDate date, const LocaleDateSettings& settings) {
    std::string out;
    out.reserve(settings.ShortDateFormat.size() + 8);
    AppendShortDate(out, date, settings);
    return out;
}

void AppendShortDate(std::string& out, CalendarDate date, const LocaleDateSettings& settings) {
    const CalendarDate::Ymd ymd = date.ToYmd();
    const std::string_view pattern = settings.ShortDateFormat;

    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = close == std::string_view::npos ? pattern.size() : close + 1;
            continue;
        }
        const char letter = Lower(c);
        if (letter != 'd' && letter != 'm' && letter != 'y') {
            if (c == '/') {
                out += settings.DateSeparator;
            } else {
                out += c;
            }
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        i += run;
        switch (letter) {
        case 'd':
            if (run <= 2) {
                AppendNumber(out, ymd.Day, static_cast<int>(run));
            } else {
                const auto weekday = static_cast<std::size_t>(date.DayOfWeek() - 1);
                out += run == 3 ? settings.ShortDayNames[weekday] : settings.LongDayNames[weekday];
            }
            break;
        case 'm':
            if (run <= 2) {
                AppendNumber(out, ymd.Month, static_cast<int>(run));
            } else {
                const auto month = static_cast<std::size_t>(ymd.Month - 1);
                out += run == 3 ? settings.ShortMonthNames[month] : settings.LongMonthNames[month];
            }
            break;
        default:
            if (run <= 2) {
                AppendNumber(out, ymd.Year % 100, 2);
            } else {
                AppendNumber(out, ymd.Year, 4);
            }
            break;
        }
    }
}

} // namespace rules
