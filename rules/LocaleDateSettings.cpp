#include "rules/LocaleDateSettings.h"

#include <cstddef>
#include <cstdint>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace rules {

namespace {

// One piece of a converted pattern: a date field in the short date pattern language, or text.
struct PatternPiece {
    bool IsField = false;
    std::string Text;
};

void AppendText(std::vector<PatternPiece>& pieces, std::string_view text) {
    if (text.empty()) {
        return;
    }
    if (pieces.empty() || pieces.back().IsField) {
        pieces.push_back({false, std::string(text)});
    } else {
        pieces.back().Text += text;
    }
}

void AppendField(std::vector<PatternPiece>& pieces, std::string_view field) {
    pieces.push_back({true, std::string(field)});
}

void SplitStrftimePattern(std::string_view pattern, std::vector<PatternPiece>& pieces, int depth) {
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i++];
        if (c != '%') {
            AppendText(pieces, std::string_view(&c, 1));
            continue;
        }
        bool noPadding = false;
        bool zeroPadding = false;
        while (i < pattern.size() &&
               std::string_view("-_0^#").find(pattern[i]) != std::string_view::npos) {
            noPadding = noPadding || pattern[i] == '-' || pattern[i] == '_';
            zeroPadding = zeroPadding || pattern[i] == '0';
            ++i;
        }
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
            ++i;
        }
        if (i < pattern.size() && (pattern[i] == 'E' || pattern[i] == 'O')) {
            ++i;
        }
        if (i >= pattern.size()) {
            AppendText(pieces, "%");
            break;
        }
        switch (pattern[i++]) {
        case 'd':
            AppendField(pieces, noPadding ? "d" : "dd");
            break;
        case 'e':
            AppendField(pieces, zeroPadding ? "dd" : "d");
            break;
        case 'm':
            AppendField(pieces, noPadding ? "m" : "mm");
            break;
        case 'Y':
            AppendField(pieces, "yyyy");
            break;
        case 'y':
            AppendField(pieces, "yy");
            break;
        case 'b':
        case 'h':
            AppendField(pieces, "mmm");
            break;
        case 'B':
            AppendField(pieces, "mmmm");
            break;
        case 'a':
            AppendField(pieces, "ddd");
            break;
        case 'A':
            AppendField(pieces, "dddd");
            break;
        case 'D':
        case 'x':
            if (depth == 0) {
                SplitStrftimePattern("%m/%d/%y", pieces, depth + 1);
            }
            break;
        case 'F':
            if (depth == 0) {
                SplitStrftimePattern("%Y-%m-%d", pieces, depth + 1);
            }
            break;
        case '%':
            AppendText(pieces, "%");
            break;
        case 'n':
            AppendText(pieces, "\n");
            break;
        case 't':
            AppendText(pieces, "\t");
            break;
        default:
            break; // times, weeks, eras and the like have no place in a short date
        }
    }
}

[[nodiscard]] bool IsAsciiLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the UTF-8 sequence that starts text (1 for a stray byte).
[[nodiscard]] std::size_t FirstCharacterLength(std::string_view text) noexcept {
    const auto lead = static_cast<unsigned char>(text.front());
    std::size_t length = 1;
    if (lead >= 0xF0) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    return length <= text.size() ? length : 1;
}

void AppendQuotedText(std::string& out, std::string_view text, bool slashIsSeparator) {
    bool needsQuotes = false;
    for (const char c : text) {
        if (IsAsciiLetter(c) || c == '"' || c == '\'' || (c == '/' && !slashIsSeparator)) {
            needsQuotes = true;
        }
    }
    if (!needsQuotes) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') {
            out += "\"'\"'\""; // a double quote is written inside single quotes
        } else {
            out += c;
        }
    }
    out += '"';
}

[[nodiscard]] bool IsValidUtf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Reads locale texts and gives them as UTF-8.
class LocaleTextReader {
public:
    // Without knownCodeset the texts are taken as they are, if they are UTF-8.
    LocaleTextReader(locale_t locale, bool knownCodeset) : mLocale(locale) {
        const std::string codeset = nl_langinfo_l(CODESET, locale);
        if (knownCodeset && codeset != "UTF-8" && codeset != "utf8") {
            mConverter = iconv_open("UTF-8", codeset.c_str());
        }
    }
    ~LocaleTextReader() {
        if (mConverter != NoConverter) {
            iconv_close(mConverter);
        }
    }
    LocaleTextReader(const LocaleTextReader&) = delete;
    LocaleTextReader& operator=(const LocaleTextReader&) = delete;

    // The item as UTF-8, or nothing when it is empty or cannot be converted.
    [[nodiscard]] std::optional<std::string> Read(nl_item item) const {
        const char* raw = nl_langinfo_l(item, mLocale);
        if (raw == nullptr || *raw == '\0') {
            return std::nullopt;
        }
        std::string text = raw;
        if (mConverter != NoConverter && !Convert(text)) {
            return std::nullopt;
        }
        return IsValidUtf8(text) ? std::optional<std::string>(std::move(text)) : std::nullopt;
    }

private:
    static inline const iconv_t NoConverter =
        reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

    bool Convert(std::string& text) const {
        iconv(mConverter, nullptr, nullptr, nullptr, nullptr);
        std::string input = text;
        std::string output(input.size() * 4 + 4, '\0');
        char* in = input.data();
        char* out = output.data();
        std::size_t inLeft = input.size();
        std::size_t outLeft = output.size();
        if (iconv(mConverter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            return false;
        }
        output.resize(output.size() - outLeft);
        text = std::move(output);
        return true;
    }

    locale_t mLocale;
    iconv_t mConverter = NoConverter;
};

} // namespace

LocaleDateSettings LocaleDateSettings::German() {
    return LocaleDateSettings{
        "dd.mm.yyyy",
        ".",
        {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},
        {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
        {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
        {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
         "Oktober", "November", "Dezember"}};
}

LocaleDateSettings SettingsFromStrftimePattern(std::string_view pattern) {
    std::vector<PatternPiece> pieces;
    SplitStrftimePattern(pattern, pieces, 0);

    LocaleDateSettings settings;
    bool anyField = false;
    std::optional<std::string> separator;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].IsField) {
            anyField = true;
        } else if (anyField && !separator && i + 1 < pieces.size()) {
            // Neighbouring texts are merged, so a text followed by anything is between fields.
            const std::string& text = pieces[i].Text;
            separator = text.substr(0, FirstCharacterLength(text));
        }
    }
    if (!anyField) {
        return settings;
    }
    if (separator) {
        settings.DateSeparator = *separator;
    }
    const bool slashIsSeparator = settings.DateSeparator == "/";
    settings.ShortDateFormat.clear();
    for (const PatternPiece& piece : pieces) {
        if (piece.IsField) {
            settings.ShortDateFormat += piece.Text;
        } else {
            AppendQuotedText(settings.ShortDateFormat, piece.Text, slashIsSeparator);
        }
    }
    return settings;
}

LocaleDateSettings ReadUserLocaleDateSettings() {
    struct LocaleFree {
        void operator()(locale_t locale) const noexcept { freelocale(locale); }
    };
    using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleFree>;

    // The codeset of the texts comes with LC_CTYPE; when the environment's LC_CTYPE is
    // unusable, the texts are still taken if they are valid UTF-8.
    bool knownCodeset = true;
    LocalePtr locale(newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", nullptr));
    if (!locale) {
        knownCodeset = false;
        locale.reset(newlocale(LC_TIME_MASK, "", nullptr));
    }
    if (!locale) {
        return {};
    }

    const LocaleTextReader reader(locale.get(), knownCodeset);
    LocaleDateSettings settings;
    if (const auto pattern = reader.Read(D_FMT)) {
        settings = SettingsFromStrftimePattern(*pattern);
    }
    const auto readNames = [&reader](auto& names, int firstItem) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (auto name = reader.Read(static_cast<nl_item>(firstItem + static_cast<int>(i)))) {
                names[i] = std::move(*name);
            }
        }
    };
    readNames(settings.ShortDayNames, ABDAY_1);
    readNames(settings.LongDayNames, DAY_1);
    readNames(settings.ShortMonthNames, ABMON_1);
    readNames(settings.LongMonthNames, MON_1);
    return settings;
}

} // namespace rules
