#include "holiday/Exception.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>

namespace holiday {
namespace {

template <typename Error> std::exception_ptr Make(Error error) {
    return std::make_exception_ptr(std::move(error));
}

std::exception_ptr Chain(const std::string& outer, const std::string& middle,
                         const std::string& inner) {
    return Make(Exception(outer, Make(EConvertError(middle, Make(EConvertError(inner))))));
}

TEST(DisplayText, InnermostMessageOrOutermostThenTheFullStop) {
    const struct {
        const char* Name;
        std::exception_ptr Error;
        std::string Shown;
    } cases[] = {
        // The full stop follows a last character above '.'.
        {"letter", Make(EConvertError("Fehler")), "Fehler."},
        {"full stop", Make(EConvertError("Fertig.")), "Fertig."},
        {"question mark", Make(EConvertError("Wirklich?")), "Wirklich?."},
        {"digit", Make(EConvertError("Zeile 7")), "Zeile 7."},
        {"slash", Make(EConvertError("Pfad /")), "Pfad /."},
        {"colon", Make(EConvertError("Grund:")), "Grund:."},
        {"exclamation mark", Make(EConvertError("Achtung!")), "Achtung!"},
        {"parenthesis", Make(EConvertError("(siehe oben)")), "(siehe oben)"},
        {"comma", Make(EConvertError("a,")), "a,"},
        {"hyphen", Make(EConvertError("a-")), "a-"},
        {"quote", Make(EConvertError("\"zitiert\"")), "\"zitiert\""},
        {"blank", Make(EConvertError("Leerzeichen ")), "Leerzeichen "},
        {"two-byte character", Make(EConvertError("groß")), "groß."},
        {"four-byte character", Make(EConvertError("Ende 😀")), "Ende 😀."},
        {"empty", Make(EConvertError("")), ""},
        // The chain of inner errors.
        {"empty own message", Make(Exception("", Make(EConvertError("Innen")))), "Innen."},
        {"innermost wins", Chain("Außen", "Mitte", "Innen"), "Innen."},
        {"empty innermost", Chain("Außen", "Mitte", ""), "Außen."},
        {"other kind inside", Make(Exception("Außen", Make(std::runtime_error("io")))), "io."},
        {"not ours", Make(std::bad_alloc()), std::string(std::bad_alloc().what()) + "."},
        {"no std::exception", Make(42), "Unbekannter Fehler."},
        {"no std::exception inside", Make(Exception("Außen", Make(42))), "Unbekannter Fehler."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DisplayText(c.Error), c.Shown);
        try {
            std::rethrow_exception(c.Error);
        } catch (const std::exception& e) {
            EXPECT_EQ(DisplayText(e), c.Shown);
        } catch (...) {
        }
    }
}

} // namespace
} // namespace holiday
