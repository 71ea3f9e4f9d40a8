#include "TestingTypeAhead.h"

#include <QApplication>
#include <QTest>
#include <QThread>

namespace orvane::toolkit::sim {
namespace {

// The keys typed within this many milliseconds of each other are one search.
class TypingInterval {
public:
    explicit TypingInterval(int milliseconds) : saved_(QApplication::keyboardInputInterval()) {
        QApplication::setKeyboardInputInterval(milliseconds);
    }
    ~TypingInterval() { QApplication::setKeyboardInputInterval(saved_); }
    TypingInterval(const TypingInterval&) = delete;
    TypingInterval& operator=(const TypingInterval&) = delete;

private:
    int saved_;
};

void TypeKey(QWidget* widget, QChar c) {
    const Qt::KeyboardModifiers modifiers = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
    QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c), modifiers);
}

}  // namespace

void TypeAhead(ListBox& list, const std::string& text) {
    list.Refresh();
    QWidget* widget = list.Widget();
    const QString typed = QString::fromStdString(text);
    if (typed.isEmpty()) return;
    {
        // A pause longer than the interval: the first key begins a new search.
        const TypingInterval none(0);
        QThread::msleep(2);
        TypeKey(widget, typed.front());
    }
    const TypingInterval anHour(3'600'000);
    for (qsizetype i = 1; i < typed.size(); ++i) TypeKey(widget, typed[i]);
}

}  // namespace orvane::toolkit::sim
