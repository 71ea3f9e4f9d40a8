#!/usr/bin/python3
"""Kept cards written by orvane-transfer export in another vCard version,
read back by python3-vobject: a phone's 2.1 card (bare types, quoted-
printable UTF-8, a base64 photo) and a 4.0 card (PREF, a tel: URI, a data:
URI photo) go in, and come out as valid 3.0 and 4.0 with every value.

usage: check_kept_cards.py ORVANE_TRANSFER ORVANE_CREATEDB
"""
import base64
import os
import subprocess
import sys
import tempfile

import vobject

PHOTO = base64.b64encode(bytes(range(256)) * 3).decode()
CARD21 = ("BEGIN:VCARD\r\nVERSION:2.1\r\n"
          "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;Zo=C3=AB\r\n"
          "TEL;CELL;PREF:555-0101\r\nTEL;HOME:555-0102\r\n"
          "EMAIL;INTERNET:zoe@example.com\r\n"
          "NOTE;ENCODING=QUOTED-PRINTABLE:Line one, still=0D=0ALine two\r\n"
          "PHOTO;JPEG;ENCODING=BASE64:\r\n " + PHOTO[:60] + "\r\n " + PHOTO[60:] + "\r\n\r\n"
          "END:VCARD\r\n")
CARD40 = ("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
          "TEL;VALUE=uri;PREF=1;TYPE=cell:tel:+1-555-0100;ext=12\r\n"
          "EMAIL;TYPE=work:ann@example.com\r\n"
          "PHOTO:data:image/png;base64," + PHOTO + "\r\nEND:VCARD\r\n")


def run(*args):
    return subprocess.run(list(args), check=True, capture_output=True).stdout


def main():
    transfer, createdb = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        database = os.path.join(folder, "kept.mdb")
        run(createdb, database)
        source = os.path.join(folder, "in.vcf")
        with open(source, "w", encoding="utf-8", newline="") as f:
            f.write(CARD21 + CARD40)
        run(transfer, "import", source, "--database", database)
        for fmt, version in (("vcard3", "3.0"), ("vcard4", "4.0")):
            text = run(transfer, "export", "-", "--format", fmt, "--database", database).decode("utf-8")
            cards = list(vobject.readComponents(text))
            unfolded = text.replace("\r\n ", "")
            assert len(cards) == 2, (fmt, text)
            zoe, ann = cards
            for card in cards:
                assert card.version.value == version, (fmt, card.version.value)
            assert (zoe.n.value.family, zoe.n.value.given) == ("Müller", "Zoë"), zoe.n.value
            # 4.0 writes a plain number as a tel: URI.
            scheme = "tel:" if version == "4.0" else ""
            assert sorted(t.value for t in zoe.contents["tel"]) == [scheme + "555-0101", scheme + "555-0102"], text
            assert zoe.email.value == "zoe@example.com", text
            assert zoe.note.value == "Line one, still\nLine two", repr(zoe.note.value)
            photo = zoe.photo
            if version == "3.0":
                assert photo.value == base64.b64decode(PHOTO), fmt
            else:
                # vobject reads a 4.0 URI as 3.0 text, cut at its comma: the
                # unfolded line itself is compared.
                assert "\r\nPHOTO:data:image/jpeg;base64," + PHOTO + "\r\n" in unfolded, fmt
            assert ann.n.value.family == "Lee" and ann.email.value == "ann@example.com", text
            if version == "3.0":
                assert ann.tel.value == "+1-555-0100 ext. 12", ann.tel.value
                assert "pref" in [t.lower() for t in ann.tel.params.get("TYPE", [])], ann.tel.params
                assert ann.photo.value == base64.b64decode(PHOTO)
            else:
                assert ann.tel.value == "tel:+1-555-0100;ext=12", ann.tel.value
                assert "\r\nPHOTO:data:image/png;base64," + PHOTO + "\r\n" in unfolded, fmt
    print("kept cards read back in 3.0 and 4.0")


if __name__ == "__main__":
    main()
