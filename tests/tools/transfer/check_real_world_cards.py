#!/usr/bin/python3
"""An export of the real-world test cards read back by python3-vobject:
every card parses, says the version asked for, has N, FN and UID, and keeps
the values that other programs encode in their own ways.

usage: check_real_world_cards.py EXPORTED_FILE VERSION COUNT
"""
import sys

import vobject


def main():
    path, version, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    cards = list(vobject.readComponents(text))
    assert len(cards) == count, (len(cards), text)
    by_name = {}
    for card in cards:
        assert card.version.value == version, card.version.value
        for required in ("n", "fn", "uid"):
            assert required in card.contents, (required, card.serialize())
        assert card.uid.value.strip(), card.serialize()
        by_name[card.fn.value] = card
        card.serialize()  # vobject writes back what it read
    uids = [card.uid.value for card in cards]
    assert len(set(uids)) == len(uids), uids

    juergen = by_name["Jürgen Müller"]
    assert (juergen.n.value.family, juergen.n.value.given) == ("Müller", "Jürgen")
    assert juergen.adr.value.street == "Hauptstraße 5", juergen.adr.value
    assert juergen.title.value == "Bäckermeister"
    assert juergen.note.value == ("Erste Zeile\nZweite Zeile, mit Komma; und einem "
                                  "längeren Text, der umbrochen wird"), repr(juergen.note.value)
    if version == "3.0":
        assert juergen.photo.value[:2] == b"\xff\xd8", juergen.photo.value[:4]
        assert by_name["Johnny Appleseed"].photo.value[:2] == b"\xff\xd8"
        assert by_name["Dr. Rosa Peña"].tel.value in ("+1-555-0100 ext. 12", "+1 555 0199")
    johnny = by_name["Johnny Appleseed"]
    assert johnny.email.value == "johnny@example.com" and johnny.email.group.lower() == "item1"
    lower = by_name["Lower Case"]
    assert lower.note.value.startswith("Lorem ipsum dolor sit amet, consectetur adipiscing elit; sed")
    assert "\nUt enim ad minim veniam, quis" in lower.note.value
    assert (by_name["Only Fullname"].n.value.family, by_name["Only Fullname"].n.value.given) == ("Fullname", "Only")
    assert "Nora Nameonly" in by_name
    babs = by_name["Dr. Barbara Ann Jensen Jr."]
    assert babs.categories.value == ["Work", "Friends"], babs.categories.value
    if version == "4.0":
        assert "profile" not in babs.contents and "mailer" not in babs.contents
    else:
        assert babs.label.value == "Suite 100\n12 Elm Street\nSpringfield, IL 62701", repr(babs.label.value)
    print("%d cards read back as %s" % (len(cards), version))


if __name__ == "__main__":
    main()
