"""Reads an iCalendar file with the icalendar package, checks each event, and prints one
line "dd.mm.yyyy: SUMMARY" per event, in file order."""
import datetime
import sys

import icalendar

calendar = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
assert not calendar.errors, calendar.errors
assert calendar["VERSION"] == "2.0" and "PRODID" in calendar
for event in calendar.walk("VEVENT"):
    assert not event.errors, event.errors
    start, end = event["DTSTART"].dt, event["DTEND"].dt
    assert type(start) is datetime.date, start
    assert end == start + datetime.timedelta(days=1), (start, end)
    assert "UID" in event and "DTSTAMP" in event and "CATEGORIES" in event
    sys.stdout.buffer.write(
        (start.strftime("%d.%m.%Y") + ": " + str(event["SUMMARY"]) + "\n").encode())
