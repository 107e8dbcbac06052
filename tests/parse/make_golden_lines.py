#!/usr/bin/env python3
"""Writes the entry lines of the parser's golden comparison (tests/parse/golden/lines.txt).

Deterministic (fixed seed): the benchmark corpus, short cuts of the adversarial
shapes, the fuzzer's dictionary words, and random mixes of the grammar's words,
dates, times, alarms, tags and amounts. The lines are committed with the answers
of `linecal parse -`; regenerate only to widen the comparison, and then record the
answers again from a build known to be right.

usage: make_golden_lines.py ROOT > lines.txt
"""
import random
import re
import sys

root = sys.argv[1]
rng = random.Random(20100310)

corpus = [l for l in open(f"{root}/bench/entry-corpus.txt", encoding="utf-8").read().split("\n") if l]

dict_words = []
for raw in open(f"{root}/fuzz/parse_fuzz.dict", encoding="utf-8"):
    m = re.match(r'^"(.*)"\s*$', raw.rstrip("\n"))
    if m:
        dict_words.append(m.group(1).encode("latin-1", "backslashreplace").decode("unicode_escape")
                          .encode("latin-1").decode("utf-8"))

shapes = [
    ("x", " [a", ""), ("x [", "]x", ""), ("x [a", "]x ]", "x"), ("x", " [ ]", " y"), ("x", " [[", ""),
    ("x", " [a] [b]x", ""), ("x", " 5/12", ""), ("x", " May 5", ""), ("x", " March 3, 2012", ""),
    ("x", " for 1.5 hours in 2.5 days", ""), ("x", " 4pm 10:30am EST", ""), ("x", " for", " 2 hours"),
    ("x for ", "1", ""), ("x for 1", "\t", "x"), ("x in ", "2", ".5"), ("x +", "9", ""), ("x", " next Mon", ""),
    ("x", " @15m", ""), ("x @", "1", ""), ("x", " at", " y"), ("x", "at at ", "y"), ("x", " todo", ""),
    ("x", " ", "y"), ("x", "\t \u00a0", "y"), ("x", " noon PST", ""), ("x", " today tomorrow", ""),
    ("x", " [5/12 4pm", " ]"), ("x", " lunch", ""),
]

titles = ["Buy groceries", "Call Bob", "Lunch", "Dentist", "Meeting", "Trip", "Review notes", "Gym",
          "Pay rent", "Standup", "Party", "Flight to Berlin", "Coffee with Lee", "Write report", "x",
          "Café crème", "Zürich trip", "Réunion", "日本語", "emoji 🎉", "at home", "on call", "for you",
          "in time", "from here", "through it", "to do", "- dash", "Tasks", "todo", "task"]
months = ["Jan", "January", "Feb", "February", "Mar", "March", "Apr", "April", "May", "Jun", "June", "Jul",
          "July", "Aug", "August", "Sep", "Sept", "September", "Oct", "October", "Nov", "November", "Dec",
          "December", "Ma", "jan", "may", "dec"]
weekdays = ["Mon", "Monday", "Tue", "Tues", "Tuesday", "Wed", "Wednesday", "Thu", "Thur", "Thurs",
            "Thursday", "Fri", "Friday", "Sat", "Saturday", "Sun", "Sunday", "mon", "fri", "sun"]
units = ["m", "min", "mins", "minute", "minutes", "h", "hr", "hrs", "hour", "hours", "d", "day", "days",
         "w", "wk", "week", "weeks", "s", "sec", "y", "month"]
zones = ["PST", "EST", "EDT", "PDT", "CET", "UTC", "GMT"]
connectors = ["at", "on", "in", "from", "for", "through", "to", "-", "at at", "next"]
spaces = [" ", " ", " ", " ", "  ", "\t", "\u00a0", "\u2003", "   "]


def time_text():
    h = rng.randint(0, 25)
    m = rng.choice([0, 0, 15, 30, 45, rng.randint(0, 70)])
    kind = rng.randrange(10)
    if kind == 0:
        return f"{h}{rng.choice(['am', 'pm', 'a', 'p', 'AM', 'PM', ' pm', ' a'])}"
    if kind == 1:
        return f"{h}:{m:02d}{rng.choice(['am', 'pm', '', ' PM', 'a', 'p'])}"
    if kind == 2:
        return f"{h:02d}{m:02d}"
    if kind == 3:
        return f"{h}{m:02d}{rng.choice(['a', 'p', 'am', 'pm'])}"
    if kind == 4:
        return rng.choice(["noon", "Noon", "noon " + rng.choice(zones)])
    if kind == 5:
        return f"{h}.{m:02d}{rng.choice(['am', 'pm', ''])}"
    if kind == 6:
        return f"{time_text()} {rng.choice(zones)}"
    if kind == 7:
        return f"{h}:{m:02d}"
    if kind == 8:
        return f"{h}{rng.choice(['am', 'pm'])} to {rng.randint(0, 13)}{rng.choice(['am', 'pm'])}"
    return f"{rng.randint(0, 99999)}"


def year():
    return rng.choice([2010, 2011, 2012, 2009, 1999, 2038, 1500, 1601, 8999, 9500, 12, 99, 0, 10000])


def date_text():
    d = rng.randint(0, 40)
    mo = rng.randint(0, 14)
    kind = rng.randrange(9)
    if kind == 0:
        return f"{mo}/{d}"
    if kind == 1:
        return f"{mo}/{d}/{year()}"
    if kind == 2:
        return f"{d}.{mo}.{rng.randint(0, 99):02d}"
    if kind == 3:
        return f"{year():04d}-{mo:02d}-{d:02d}"
    if kind == 4:
        return f"{rng.choice(months)} {d}{rng.choice(['', 'st', 'nd', 'rd', 'th'])}"
    if kind == 5:
        return f"{d}{rng.choice(['', 'st', 'nd', 'rd', 'th'])} {rng.choice(months)}"
    if kind == 6:
        return f"{rng.choice(months)} {d}{rng.choice([' ', ', '])}{year()}"
    if kind == 7:
        return f"{d} {rng.choice(months)} {year()}"
    return f"{mo}-{d}"


def amount():
    n = rng.choice([str(rng.randint(0, 100)), f"{rng.randint(0, 9)}.{rng.randint(0, 9)}", "99999999999",
                    "1.5", "2.5", "0", "١٢"])
    return f"{n}{rng.choice(['', ' ', '  '])}{rng.choice(units)}"


def piece():
    k = rng.randrange(16)
    if k == 0:
        return rng.choice(titles)
    if k == 1:
        return date_text()
    if k == 2:
        return time_text()
    if k == 3:
        return f"@{amount().replace(' ', '')}"
    if k == 4:
        return f"[{rng.choice(['Work', 'Home Stuff', 'Personal', 'a', '', ' ', 'Pets', 'Ärger'])}]"
    if k == 5:
        return f"for {amount()}"
    if k == 6:
        return f"in {amount()}"
    if k == 7:
        return f"+{amount().replace(' ', '')}"
    if k == 8:
        return rng.choice(["next ", "", ""]) + rng.choice(weekdays)
    if k == 9:
        return rng.choice(["today", "Today", "tomorrow", "Tomorrow", "tonight", "todo", "task", "Tasks"])
    if k == 10:
        return rng.choice(connectors)
    if k == 11:
        return "at " + rng.choice(["the office", "Joe's", "HQ", "Main St clinic", "5pm", "home"])
    if k == 12:
        return rng.choice(dict_words).strip()
    if k == 13:
        return rng.choice(corpus)
    if k == 14:
        return rng.choice(["-", "--", "x", "a", "p", "at", "5", "555-1234", "1.5", ",", "20", "Ma", "noon"])
    return rng.choice(titles)


def mix():
    parts = [piece() for _ in range(rng.randint(1, 8))]
    if rng.random() < 0.3:
        rng.shuffle(parts)
    out = ""
    for i, p in enumerate(parts):
        out += (rng.choice(spaces) if i else rng.choice(["", "", "", " ", "\t"])) + p
    if rng.random() < 0.15:
        out += rng.choice(spaces)
    return out


lines = []
lines += corpus
for head, repeat, tail in shapes:
    for n in (1, 2, 3, 5, 8, 13, 40):
        lines.append(head + repeat * n + tail)
for w in dict_words:
    lines.append(w)
    lines.append("Buy milk" + w + "tomorrow")
    lines.append(w + "x" + w)
for _ in range(3000):
    a, b = rng.choice(dict_words), rng.choice(dict_words)
    lines.append(rng.choice(titles) + a + rng.choice(["", "x", "5", "4pm"]) + b + rng.choice(["", "y", " 1"]))
for _ in range(4000):
    lines.append(mix())

# Everyday phrases, each family, in random company; a generator of its own, so
# that the lines above stay as they were recorded.
every = random.Random(20261207)
everyday = [
    "the day after tomorrow", "day after tomorrow", "the day before yesterday", "yesterday", "last Friday",
    "last mon", "2 days ago", "three weeks ago", "a week ago", "tonight", "tonight at 8", "this morning",
    "this afternoon", "this evening", "tomorrow morning", "tomorrow afternoon at 5", "at 8 in the evening",
    "8 in the morning", "at 10 at night", "midnight", "at midnight", "morning", "evening at 7", "Friday night",
    "3-4pm", "3pm-4pm", "from 9 to 11am", "between 2 and 3pm", "9:30-10:15am", "Mon-Wed", "Monday to Friday",
    "May 3-5", "3-5 May", "from May 3 to May 5", "Dec 24 - Jan 2", "until 5pm", "till Friday",
    "through Sunday", "on the 1st", "the 15th", "on the 3rd of May", "the first of June", "on 5th",
    "the twenty-first", "next week", "next month", "this weekend", "next weekend", "end of month",
    "end of the week", "end of year", "next year", "in 2027", "2027", "in half an hour", "in an hour",
    "in two hours", "in a couple of days", "in twenty minutes", "an hour from now", "3 days from now",
    "a week from now", "half a day", "by April 15", "due Friday", "before 5pm", "2.5 kg", "555-1234", "3x",
    "50%", "10 km", "415-555-0199", "Feb 30", "24.12.2026", "31/12/2026",
]
holidays = ["Christmas", "christmas eve", "New Year's Eve", "new years day", "Thanksgiving", "Easter 2014",
            "Good Friday", "Mother's Day", "labor day", "Labour Day", "Halloween", "Valentine's",
            "st. patrick's day", "MLK day", "Martin Luther King Jr. Day", "Hanukkah", "Rosh Hashanah",
            "Yom Kippur", "Passover", "Ramadan", "Eid al-Fitr", "on Xmas", "for thanksgiving",
            "by Christmas 2012", "Whit Monday", "Pentecost", "Black Friday", "boxing day", "4th of July",
            "fourth of july", "Independence Day", "Memorial Day", "Presidents' Day", "Father's Day",
            "Columbus Day", "ash wednesday", "palm sunday", "maundy thursday", "orthodox easter",
            "Chinese New Year", "lunar new year", "eid ul-adha", "whitsunday", "mothering sunday"]
near_misses = ["white", "laboratory", "eastern", "newer", "mothers", "Monday-ish", "ago-go", "the", "on",
               "night owl", "afternoons", "2-4", "a-b", "half", "end", "weekend's", "next", "last", "due",
               "by", "before", "till", "until", "between", "from now on", "in the", "at night", "st", "eid"]


def everyday_piece():
    k = every.randrange(6)
    if k == 0:
        return every.choice(holidays)
    if k == 1:
        return every.choice(near_misses)
    if k == 2:
        return every.choice(titles)
    return every.choice(everyday)


for phrase in everyday + holidays:
    lines.append(every.choice(titles) + " " + phrase)
    lines.append(phrase.upper() + " " + every.choice(titles))
for _ in range(1500):
    parts = [everyday_piece() for _ in range(every.randint(1, 5))]
    lines.append(" ".join(parts))

# One entry per line: no line breaks inside, no blank lines (the batch skips them).
clean = []
for l in lines:
    l = l.replace("\n", " ").replace("\r", " ")
    if l.strip(" \t"):
        clean.append(l)
sys.stdout.write("\n".join(clean) + "\n")
