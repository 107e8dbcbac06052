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

# One entry per line: no line breaks inside, no blank lines (the batch skips them).
clean = []
for l in lines:
    l = l.replace("\n", " ").replace("\r", " ")
    if l.strip(" \t"):
        clean.append(l)
sys.stdout.write("\n".join(clean) + "\n")
