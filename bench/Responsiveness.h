#pragma once

#include "Stats.h"

class frmOrvane;

namespace bench {

// What the user does in a long name list, one event at a time, each timed
// until the window has been painted again.
struct Responsiveness {
    EventSeries wheel;      // mouse wheel steps over the list
    EventSeries thumb;      // dragging the scroll bar to far-apart places
    EventSeries typeAhead;  // typing the start of a name into the list (also one that no entry has)
    EventSeries arrows;     // arrow and page keys, each selecting and showing an address
    EventSeries select;     // selecting a row by code, which shows its address
};

Responsiveness MeasureResponsiveness(frmOrvane& frm, int repetitions);

}  // namespace bench
