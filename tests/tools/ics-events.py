"""Reads an iCalendar file with the icalendar package and prints "dd.mm.yyyy: SUMMARY [CATEGORY]"
per all-day event; fails on anything the package finds wrong or an event lacks. (This package
splits a category at an escaped comma too; joined again, the parts give the category.)"""
import datetime, sys, icalendar

calendar = icalendar.Calendar.from_ical(open(sys.argv[1], "rb").read())
assert not calendar.errors and calendar["VERSION"] == "2.0" and "PRODID" in calendar
for event in calendar.walk("VEVENT"):
    start, end = event["DTSTART"].dt, event["DTEND"].dt
    assert not event.errors and type(start) is datetime.date
    assert end == start + datetime.timedelta(days=1) and "UID" in event and "DTSTAMP" in event
    category = ",".join(str(part) for part in event["CATEGORIES"].cats)
    line = start.strftime("%d.%m.%Y: ") + str(event["SUMMARY"]) + " [" + category + "]\n"
    sys.stdout.buffer.write(line.encode())
