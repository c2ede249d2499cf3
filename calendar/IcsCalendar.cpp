#include "calendar/IcsCalendar.h"

#include "holiday/Exception.h"
#include "holiday/FileDescriptor.h"
#include "holiday/FileErrors.h"
#include "holiday/FilePaths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <libical/ical.h>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <unistd.h>

namespace calendar {

namespace {

// An event lasts at most this many days; a longer one is cut there.
constexpr std::int64_t MaxEventDays = 366;
// Occurrences one recurrence rule may give; a rule of more (every day for centuries) is cut.
constexpr std::int64_t MaxOccurrences = 1'000'000;

struct ComponentDeleter {
    void operator()(icalcomponent* component) const noexcept { icalcomponent_free(component); }
};
struct IteratorDeleter {
    void operator()(icalrecur_iterator* iterator) const noexcept {
        icalrecur_iterator_free(iterator);
    }
};

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::optional<rules::CalendarDate> DateOf(const icaltimetype& time) {
    if (icaltime_is_null_time(time) ||
        !rules::CalendarDate::IsValidYmd(time.year, time.month, time.day)) {
        return std::nullopt;
    }
    return rules::CalendarDate::FromYmd(time.year, time.month, time.day);
}

// The value of an X- property as the calendar means it: libical keeps its escapes.
std::string UnescapedText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' || next == 'N' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

struct IcsCalendar::Events {
    struct Event {
        std::string Title;
        std::string Uid;
        rules::CalendarDate Start;
        std::int64_t Days = 1;
        std::vector<icalrecurrencetype> Recurrences;
        std::vector<rules::CalendarDate> Extra;    // RDATE
        std::vector<rules::CalendarDate> Excluded; // EXDATE, and instances replaced elsewhere
        bool Ends = true;                          // no recurrence without COUNT or UNTIL
    };

    std::string Name;
    SkippedEvents Skipped;
    std::vector<Event> List;

    void Read(icalcomponent* calendar, std::multimap<std::string, rules::CalendarDate>& replaced);
    // Calls take(start) for every start of event's instances up to the year last, ascending.
    template <typename Take> static void Starts(const Event& event, std::int32_t last, Take&& take);
};

void IcsCalendar::Events::Read(icalcomponent* calendar,
                               std::multimap<std::string, rules::CalendarDate>& replaced) {
    if (Name.empty()) {
        for (icalproperty* p = icalcomponent_get_first_property(calendar, ICAL_X_PROPERTY);
             p != nullptr; p = icalcomponent_get_next_property(calendar, ICAL_X_PROPERTY)) {
            const char* name = icalproperty_get_x_name(p);
            const char* value = icalproperty_get_x(p);
            if (name != nullptr && value != nullptr && std::string_view(name) == "X-WR-CALNAME") {
                Name = Trimmed(UnescapedText(value));
                break;
            }
        }
    }
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT);
         e != nullptr; e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const char* uidText = icalcomponent_get_uid(e);
        const std::string uid = uidText != nullptr ? uidText : "";
        // An instance moved or cancelled by this event is no instance of its recurring event.
        if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY) != nullptr) {
            if (const auto id = DateOf(icalcomponent_get_recurrenceid(e))) {
                replaced.emplace(uid, *id);
            }
        }
        if (icalcomponent_get_status(e) == ICAL_STATUS_CANCELLED) {
            ++Skipped.Cancelled;
            continue;
        }
        const char* summary = icalcomponent_get_summary(e);
        std::string title = summary != nullptr ? Trimmed(summary) : std::string();
        if (title.empty()) {
            ++Skipped.NoSummary;
            continue;
        }
        icalproperty* dtstart = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY);
        const icaltimetype startTime =
            dtstart != nullptr ? icalproperty_get_dtstart(dtstart) : icaltime_null_time();
        const std::optional<rules::CalendarDate> start = DateOf(startTime);
        if (!start) {
            ++Skipped.NoDate;
            continue;
        }
        if (!startTime.is_date) {
            ++Skipped.TimeOfDay;
            continue;
        }
        Event event{std::move(title), uid, *start, 1, {}, {}, {}, true};
        if (icalproperty* dtend = icalcomponent_get_first_property(e, ICAL_DTEND_PROPERTY)) {
            if (const auto end = DateOf(icalproperty_get_dtend(dtend))) {
                event.Days = end->DayNumber() - start->DayNumber();
            }
        } else if (icalproperty* d = icalcomponent_get_first_property(e, ICAL_DURATION_PROPERTY)) {
            const icaldurationtype duration = icalproperty_get_duration(d);
            event.Days = duration.is_neg ? 0 : std::int64_t{duration.weeks} * 7 + duration.days;
        }
        event.Days = std::clamp<std::int64_t>(event.Days, 1, MaxEventDays);
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY);
             p != nullptr; p = icalcomponent_get_next_property(e, ICAL_RRULE_PROPERTY)) {
            const icalrecurrencetype rule = icalproperty_get_rrule(p);
            if (rule.freq == ICAL_NO_RECURRENCE) {
                continue;
            }
            event.Ends = event.Ends && (rule.count > 0 || !icaltime_is_null_time(rule.until));
            event.Recurrences.push_back(rule);
        }
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_RDATE_PROPERTY);
             p != nullptr; p = icalcomponent_get_next_property(e, ICAL_RDATE_PROPERTY)) {
            const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
            const icaltimetype time =
                icaltime_is_null_time(rdate.time) ? rdate.period.start : rdate.time;
            if (const auto date = DateOf(time)) {
                event.Extra.push_back(*date);
            }
        }
        for (icalproperty* p = icalcomponent_get_first_property(e, ICAL_EXDATE_PROPERTY);
             p != nullptr; p = icalcomponent_get_next_property(e, ICAL_EXDATE_PROPERTY)) {
            if (const auto date = DateOf(icalproperty_get_exdate(p))) {
                event.Excluded.push_back(*date);
            }
        }
        List.push_back(std::move(event));
    }
}

template <typename Take>
void IcsCalendar::Events::Starts(const Event& event, std::int32_t last, Take&& take) {
    std::set<rules::CalendarDate> starts{event.Start};
    starts.insert(event.Extra.begin(), event.Extra.end());
    for (const icalrecurrencetype& rule : event.Recurrences) {
        // Not icaltime_null_date(): the iterator reads its time of day of -1 as the day before.
        icaltimetype first{};
        first.is_date = 1;
        const rules::CalendarDate::Ymd ymd = event.Start.ToYmd();
        first.year = ymd.Year;
        first.month = ymd.Month;
        first.day = ymd.Day;
        const std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(
            icalrecur_iterator_new(rule, first));
        if (!it) {
            continue;
        }
        for (std::int64_t n = 0; n < MaxOccurrences; ++n) {
            const icaltimetype next = icalrecur_iterator_next(it.get());
            if (icaltime_is_null_time(next) || next.year > last) {
                break;
            }
            if (const auto date = DateOf(next)) {
                starts.insert(*date);
            }
        }
    }
    for (const rules::CalendarDate excluded : event.Excluded) {
        starts.erase(excluded);
    }
    for (const rules::CalendarDate start : starts) {
        if (start.Year() > last) {
            break;
        }
        take(start);
    }
}

IcsCalendar::IcsCalendar(std::string_view text, const std::string& shownPath)
    : mEvents(std::make_unique<Events>()) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    icalerror_set_errors_are_fatal(0);
    const std::string copy(text); // libical reads a zero-terminated text
    const std::unique_ptr<icalcomponent, ComponentDeleter> root(
        icalparser_parse_string(copy.c_str()));
    std::vector<icalcomponent*> calendars;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars.push_back(root.get());
    } else if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        for (icalcomponent* c =
                 icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             c != nullptr;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            calendars.push_back(c);
        }
    }
    if (calendars.empty()) {
        throw holiday::EFOpenError("Datei " + shownPath + " ist keine iCalendar-Datei");
    }
    std::multimap<std::string, rules::CalendarDate> replaced;
    for (icalcomponent* calendar : calendars) {
        mEvents->Read(calendar, replaced);
    }
    for (Events::Event& event : mEvents->List) {
        if (event.Recurrences.empty() && event.Extra.empty()) {
            continue;
        }
        const auto [from, to] = replaced.equal_range(event.Uid);
        for (auto it = from; it != to; ++it) {
            event.Excluded.push_back(it->second);
        }
    }
}

IcsCalendar IcsCalendar::ReadFile(const std::string& path) {
    const std::string shown = holiday::AbsolutePath(path);
    holiday::FileDescriptor file;
    try {
        file = holiday::FileDescriptor::Open(path, O_RDONLY);
    } catch (const std::system_error& error) {
        throw holiday::EFOpenError(holiday::detail::OpenErrorMessage(
            shown, holiday::detail::SystemErrorText(error.code().value())));
    }
    std::string text;
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), block, sizeof block);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw holiday::EFOpenError(
                holiday::detail::ReadErrorMessage(shown, holiday::detail::SystemErrorText(errno)));
        }
        if (got == 0) {
            break;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
    return IcsCalendar(text, shown);
}

IcsCalendar::~IcsCalendar() = default;
IcsCalendar::IcsCalendar(IcsCalendar&&) noexcept = default;
IcsCalendar& IcsCalendar::operator=(IcsCalendar&&) noexcept = default;

const std::string& IcsCalendar::Name() const noexcept {
    return mEvents->Name;
}

const SkippedEvents& IcsCalendar::Skipped() const noexcept {
    return mEvents->Skipped;
}

std::size_t IcsCalendar::EventCount() const noexcept {
    return mEvents->List.size();
}

std::optional<YearSpan> IcsCalendar::Years() const {
    std::optional<YearSpan> span;
    for (const Events::Event& event : mEvents->List) {
        if (!event.Ends) {
            continue;
        }
        Events::Starts(event, 9999, [&](rules::CalendarDate start) {
            const std::int32_t first = start.Year();
            std::int32_t last = 9999;
            try {
                last = start.AddDays(event.Days - 1).Year();
            } catch (const holiday::EConvertError&) { // the event runs past the year 9999
            }
            span = span ? YearSpan{std::min(span->First, first), std::max(span->Last, last)}
                        : YearSpan{first, last};
        });
    }
    return span;
}

YearSpan ConsideredYears(std::span<const IcsCalendar> calendars, std::int32_t currentYear) {
    std::optional<YearSpan> span;
    for (const IcsCalendar& calendar : calendars) {
        if (const std::optional<YearSpan> years = calendar.Years()) {
            span = span ? YearSpan{std::min(span->First, years->First),
                                   std::max(span->Last, years->Last)}
                        : *years;
        }
    }
    if (!span) {
        const std::int32_t first = std::clamp(currentYear, 1, 9990);
        return {first, first + 9};
    }
    return *span;
}

std::vector<CalendarHoliday> IcsCalendar::Holidays(YearSpan years) const {
    std::vector<CalendarHoliday> holidays;
    const rules::CalendarDate firstDay = rules::CalendarDate::FromYmd(years.First, 1, 1);
    const rules::CalendarDate lastDay = rules::CalendarDate::FromYmd(years.Last, 12, 31);
    for (const Events::Event& event : mEvents->List) {
        Events::Starts(event, years.Last, [&](rules::CalendarDate start) {
            for (std::int64_t day = 0; day < event.Days; ++day) {
                if (start.DayNumber() + day > lastDay.DayNumber()) {
                    break;
                }
                const rules::CalendarDate date = start.AddDays(day);
                if (date >= firstDay) {
                    holidays.push_back({event.Title, date});
                }
            }
        });
    }
    std::sort(holidays.begin(), holidays.end(), [](const auto& a, const auto& b) {
        return a.Date != b.Date ? a.Date < b.Date : a.Title < b.Title;
    });
    holidays.erase(std::unique(holidays.begin(), holidays.end()), holidays.end());
    return holidays;
}

std::string FileStem(const std::string& path) {
    const std::string name = holiday::NameOfFile(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string DefaultConfigName(const IcsCalendar& calendar, const std::string& path) {
    return calendar.Name().empty() ? FileStem(path) : calendar.Name();
}

std::int32_t CurrentYear() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

} // namespace calendar
