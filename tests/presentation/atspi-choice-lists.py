"""Reads the address-book window over the AT-SPI accessibility bus, as a
screen reader does, and checks the state and country choice lists: each
combo box keeps its label as name and holds the list of its entries.
Usage: atspi-choice-lists.py 'Name=first,...,last' ... (one per combo box)."""
import sys
import time

import pyatspi


def find_application(name, bound_seconds=120):
    desktop = pyatspi.Registry.getDesktop(0)
    end = time.monotonic() + bound_seconds
    while time.monotonic() < end:
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    sys.exit(f"{name} never appeared on the accessibility bus")


def combo_boxes(node, found):
    if node is None:
        return found
    if node.getRoleName() == "combo box":
        found[node.name] = node
    for i in range(node.childCount):
        combo_boxes(node.getChildAtIndex(i), found)
    return found


def read_problems(app, wanted):
    boxes = combo_boxes(app, {})
    problems, report = [], []
    for name, entries in wanted.items():
        expected = entries.split(",")
        box = boxes.get(name)
        if box is None:
            problems.append(f"no combo box named {name!r} (found {sorted(boxes)})")
            continue
        roles = [box.getChildAtIndex(i).getRoleName() for i in range(box.childCount)]
        lists = [box.getChildAtIndex(i) for i in range(box.childCount) if roles[i] == "list"]
        if not lists:
            problems.append(f"{name}: no list among its children {roles}")
            continue
        items = [lists[0].getChildAtIndex(i).name for i in range(lists[0].childCount)]
        if items != expected:
            problems.append(f"{name}: the list holds {items}, not {expected}")
        report.append(f"{name}: children {roles}, {len(items)} entries from {items[:1]} to {items[-1:]}")
    return problems, report


def main():
    wanted = dict(arg.split("=", 1) for arg in sys.argv[1:])
    app = find_application("orvane")
    # The window fills its lists after it appears, and on a busy machine the
    # bus answers late: read again until the lists are right or time is up.
    end = time.monotonic() + 90
    while True:
        try:
            problems, report = read_problems(app, wanted)
        except Exception as error:  # an object that went away while it was read
            problems, report = [f"reading the window failed: {error}"], []
        if not problems or time.monotonic() > end:
            break
        time.sleep(0.2)
    print("\n".join(report))
    if problems:
        sys.exit("\n".join(problems))


main()
