#include "Responsiveness.h"

#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QWheelEvent>

#include "frmOrvane.h"

namespace bench {
namespace {

// The event is handled and the window painted again.
template <class Act>
double Event(Act&& act) {
    return TimeMs([&] {
        act();
        QApplication::processEvents();
    });
}

void Wheel(QListView* view, int steps) {
    QWidget* port = view->viewport();
    const QPointF at = QPointF(port->rect().center());
    QWheelEvent event(at, port->mapToGlobal(at), QPoint(), QPoint(0, -120 * steps), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(port, &event);
}

}  // namespace

Responsiveness MeasureResponsiveness(frmOrvane& frm, int repetitions) {
    Responsiveness result;
    auto* view = static_cast<QListView*>(frm.lstAddress.Widget());
    frm.lstAddress.Refresh();
    QApplication::processEvents();
    const int count = frm.lstAddress.ListCount();
    if (count == 0) return result;

    for (int i = 0; i < repetitions * 10; ++i) result.wheel.ms.push_back(Event([&] { Wheel(view, 3); }));

    QScrollBar* bar = view->verticalScrollBar();
    for (int i = 0; i < repetitions * 5; ++i) {
        const int position = static_cast<int>((static_cast<long long>(i) * 7919 % 100) * bar->maximum() / 99);
        result.thumb.ms.push_back(Event([&] { bar->setValue(position); }));
    }

    view->setFocus();
    const char* words[] = {"Kat", "Liam", "Zq", "hiro", "Greta"};
    for (int r = 0; r < repetitions; ++r) {
        for (const char* word : words) {
            // A pause longer than the type-ahead interval starts a new search.
            QThread::msleep(static_cast<unsigned long>(QApplication::keyboardInputInterval() + 50));
            QApplication::processEvents();
            for (const char* c = word; *c; ++c)
                result.typeAhead.ms.push_back(Event([&] { QTest::keyClick(view, *c); }));
        }
    }

    frm.lstAddress.ListIndex(0);
    QApplication::processEvents();
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_End, Qt::Key_Up, Qt::Key_Home};
    for (int r = 0; r < repetitions * 3; ++r)
        for (Qt::Key key : keys) result.arrows.ms.push_back(Event([&] { QTest::keyClick(view, key); }));

    int row = 0;
    for (int i = 0; i < repetitions * 10; ++i) {
        row = static_cast<int>((row + 7919LL) % count);
        result.select.ms.push_back(Event([&] { frm.lstAddress.ListIndex(row); }));
    }
    return result;
}

}  // namespace bench
