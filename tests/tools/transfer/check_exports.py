#!/usr/bin/python3
"""Exports written by orvane-transfer, read back by independent parsers:
vCard 3.0 and 4.0 by python3-vobject, CSV by Python's csv module.

usage: check_exports.py ORVANE_TRANSFER ORVANE_CREATEDB
"""
import csv
import os
import subprocess
import sys
import tempfile

import vobject

LONG = ("Long, field; with \\ and \"quotes\" ünd 語 " * 300)[:10000]
ROWS = [
    ["Ann", "Lee", "1 Main St", "K1A 0B1", "Ontario", "Canada", "555-0100"],
    ["Semi;colon", "Com,ma", "Back\\slash \\n literal", "\"quoted\"", "'single'", "a\\,b", "+1 (555) 0101"],
    ["Multi", "Line", "Line one\nLine two", "", "", "", ""],
    ["Zoë", "Ångström-Müller", "Storgatan 1, Stockholm", "111 22", "Stockholms län", "Sverige", "☎ 070"],
    ["東京", "太郎", "千代田区 1-1", "100-0001", "東京都", "日本", "03-0000"],
    [LONG, "Long", LONG, "", "", "", LONG],
]
HEADER = ["Firstname", "Lastname", "Address", "Zip/PostalCode", "State/Province", "Country", "PhoneNumber"]


def run(*args, **kwargs):
    return subprocess.run(list(args), check=True, capture_output=True, **kwargs).stdout


def check_vcards(text, version):
    cards = list(vobject.readComponents(text))
    assert len(cards) == len(ROWS), (version, len(cards))
    uids = set()
    for card, row in zip(cards, ROWS):
        first, last, street, zip_code, state, country, phone = row
        assert card.version.value == version, card.version.value
        assert card.n.value.given == first, (card.n.value.given, first)
        assert card.n.value.family == last, (card.n.value.family, last)
        assert card.fn.value == " ".join(p for p in (first, last) if p), card.fn.value
        if street or zip_code or state or country:
            adr = card.adr.value
            assert (adr.street, adr.code, adr.region, adr.country) == (street, zip_code, state, country), adr
        if phone:
            assert card.tel.value == phone, (card.tel.value, phone)
        uids.add(card.uid.value)
    assert len(uids) == len(ROWS), uids
    for line in text.split("\r\n"):
        assert len(line.encode("utf-8")) <= 75, line
        assert "\n" not in line and "\r" not in line


def main():
    tool, createdb = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as folder:
        database = os.path.join(folder, "book.mdb")
        run(createdb, database)
        source = os.path.join(folder, "in.csv")
        with open(source, "w", newline="", encoding="utf-8") as f:
            writer = csv.writer(f)
            writer.writerow(HEADER)
            writer.writerows(ROWS)
        run(tool, "import", source, "--database", database)

        for fmt, version in (("vcard3", "3.0"), ("vcard4", "4.0")):
            raw = run(tool, "export", "-", "--database", database, "--format", fmt)
            check_vcards(raw.decode("utf-8"), version)

        exported = os.path.join(folder, "out.csv")
        run(tool, "export", exported, "--database", database)
        with open(exported, newline="", encoding="utf-8") as f:
            rows = list(csv.reader(f, strict=True))
        assert rows[0] == HEADER, rows[0]
        assert rows[1:] == ROWS, rows[1:]
        with open(exported, "rb") as f:
            assert f.read().count(b"\r\n") >= len(ROWS) + 1
    print("vobject and csv read the exports back unchanged")


if __name__ == "__main__":
    main()
