#pragma once

#include "rules/CalendarDate.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace calendar {

// One day a calendar gives as a holiday: the event's summary and the date.
struct CalendarHoliday {
    std::string Title;
    rules::CalendarDate Date;

    friend bool operator==(const CalendarHoliday&, const CalendarHoliday&) = default;
};

// The events of a calendar that are no holidays, by the reason.
struct SkippedEvents {
    std::int32_t TimeOfDay = 0; // DTSTART with a time of day
    std::int32_t NoSummary = 0; // no SUMMARY, or one of blanks only
    std::int32_t Cancelled = 0; // STATUS:CANCELLED
    std::int32_t NoDate = 0;    // no DTSTART, or one outside the years 1 to 9999

    [[nodiscard]] std::int32_t Total() const noexcept {
        return TimeOfDay + NoSummary + Cancelled + NoDate;
    }
};

// An inclusive span of years.
struct YearSpan {
    std::int32_t First = 0;
    std::int32_t Last = 0;
};

// The holidays of an iCalendar file (RFC 5545), read with libical: every VEVENT of every
// VCALENDAR whose DTSTART is a date (all day). The summary, with surrounding blanks trimmed, is
// the title. An event lasts from DTSTART up to DTEND (exclusive), or for its DURATION in days,
// else one day; each of its days is a holiday. RRULE, RDATE and EXDATE are expanded with
// libical's recurrence iterator; an instance that another event replaces (same UID,
// RECURRENCE-ID) is left to that event. Events with a time of day, without a summary or
// cancelled are counted in Skipped(), never read as holidays.
class IcsCalendar {
public:
    // Reads the calendar text (UTF-8; CR LF or LF line ends, folded lines, a byte order mark
    // at the start). Throws holiday::EFOpenError "Datei %s ist keine iCalendar-Datei" with
    // shownPath when the text holds no VCALENDAR.
    IcsCalendar(std::string_view text, const std::string& shownPath);
    // Reads the file at path. Throws holiday::EFOpenError: the file cannot be opened ("Datei
    // %s kann nicht geöffnet werden. %s") or read, or holds no calendar (as above).
    [[nodiscard]] static IcsCalendar ReadFile(const std::string& path);

    ~IcsCalendar();
    IcsCalendar(IcsCalendar&&) noexcept;
    IcsCalendar& operator=(IcsCalendar&&) noexcept;
    IcsCalendar(const IcsCalendar&) = delete;
    IcsCalendar& operator=(const IcsCalendar&) = delete;

    // X-WR-CALNAME of the first calendar that has one, blanks trimmed; empty when none has.
    [[nodiscard]] const std::string& Name() const noexcept;
    [[nodiscard]] const SkippedEvents& Skipped() const noexcept;
    // How many events are read as holidays (a recurring event counts once).
    [[nodiscard]] std::size_t EventCount() const noexcept;

    // The years the calendar speaks of: from the first to the last date of its events that
    // end (single events, recurrences with COUNT or UNTIL); nullopt when there are none, as
    // when every event recurs without end.
    [[nodiscard]] std::optional<YearSpan> Years() const;

    // Every holiday in the years first to last, by date, then by title; a title's date given
    // twice is given once.
    [[nodiscard]] std::vector<CalendarHoliday> Holidays(YearSpan years) const;

private:
    struct Events;
    std::unique_ptr<Events> mEvents;
};

// The years of the calendars together: from the first to the last year any of them speaks
// of (IcsCalendar::Years), else currentYear and the nine years after it.
[[nodiscard]] YearSpan ConsideredYears(std::span<const IcsCalendar> calendars,
                                       std::int32_t currentYear);

// The name of path without its folder and its last extension: "/a/bayern.ics" gives "bayern".
[[nodiscard]] std::string FileStem(const std::string& path);

// The configuration name an import of the calendar read from path gives by default: the
// calendar's own name (X-WR-CALNAME), else FileStem(path).
[[nodiscard]] std::string DefaultConfigName(const IcsCalendar& calendar, const std::string& path);

// The current year of the local clock.
[[nodiscard]] std::int32_t CurrentYear();

} // namespace calendar
