#!/usr/bin/env python3
"""Writes the address book's reference lists, one entry per line, CR LF.

  app/Lists/StateProvince.txt  US states, DC and territories, then Canada's
                               provinces and territories
  app/Lists/Country.txt        country names from Debian's iso-codes
                               (ISO 3166-1), sorted by name, UTF-8

Usage: make_lists.py [repository root]
"""
import json
import pathlib
import sys
import unicodedata

US_STATES = [
    "Alabama", "Alaska", "Arizona", "Arkansas", "California", "Colorado", "Connecticut", "Delaware",
    "District of Columbia", "Florida", "Georgia", "Hawaii", "Idaho", "Illinois", "Indiana", "Iowa", "Kansas",
    "Kentucky", "Louisiana", "Maine", "Maryland", "Massachusetts", "Michigan", "Minnesota", "Mississippi",
    "Missouri", "Montana", "Nebraska", "Nevada", "New Hampshire", "New Jersey", "New Mexico", "New York",
    "North Carolina", "North Dakota", "Ohio", "Oklahoma", "Oregon", "Pennsylvania", "Rhode Island",
    "South Carolina", "South Dakota", "Tennessee", "Texas", "Utah", "Vermont", "Virginia", "Washington",
    "West Virginia", "Wisconsin", "Wyoming",
]
US_TERRITORIES = ["American Samoa", "Guam", "Northern Mariana Islands", "Puerto Rico", "U.S. Virgin Islands"]
CANADA = [
    "Alberta", "British Columbia", "Manitoba", "New Brunswick", "Newfoundland and Labrador",
    "Northwest Territories", "Nova Scotia", "Nunavut", "Ontario", "Prince Edward Island", "Quebec",
    "Saskatchewan", "Yukon",
]
ISO_3166 = pathlib.Path("/usr/share/iso-codes/json/iso_3166-1.json")


def write_list(path, entries):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes("".join(entry + "\r\n" for entry in entries).encode("utf-8"))


def sort_key(name):
    # Alphabetical as a reader expects: accents and case do not move a name.
    plain = unicodedata.normalize("NFKD", name)
    return "".join(c for c in plain if not unicodedata.combining(c)).casefold()


def main():
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2]
    assert len(US_STATES) == 51 and len(CANADA) == 13
    write_list(root / "app/Lists/StateProvince.txt", US_STATES + US_TERRITORIES + CANADA)
    countries = [entry["name"] for entry in json.loads(ISO_3166.read_text(encoding="utf-8"))["3166-1"]]
    write_list(root / "app/Lists/Country.txt", sorted(countries, key=sort_key))


if __name__ == "__main__":
    main()
