#include "TestingKeys.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include "core/Error.h"
#include "detail/XTestKeys.h"

namespace orvane::toolkit::sim {

void PressKey(Form& form, const std::string& key) {
    const QKeySequence sequence(QString::fromStdString(key));
    if (sequence.isEmpty()) throw Error(5, "No such key: " + key);
    const QKeyCombination combination = sequence[0];
    QWidget* window = form.Window();
    if (!window) throw Error(5, "The window is not loaded");
    // The window the key is meant for is made active first, as the user's
    // click into it would.
    window->activateWindow();
    if (!ProcessEventsUntil([window] { return window->isActiveWindow(); }))
        throw Error(5, "The window did not become active");
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
        return;
    }
    std::vector<std::string> modifiers;
    if (combination.keyboardModifiers() & Qt::ShiftModifier) modifiers.push_back("Shift_L");
    if (combination.keyboardModifiers() & Qt::ControlModifier) modifiers.push_back("Control_L");
    if (combination.keyboardModifiers() & Qt::AltModifier) modifiers.push_back("Alt_L");
    // X names the keys as Qt's sequences do, but for the menu key.
    const std::string name = QKeySequence(combination.key()).toString().toStdString();
    if (!detail::SendXKey(name == "Menu" ? "Menu" : name, modifiers))
        throw Error(5, "The key " + key + " could not be sent through the X server's XTEST extension");
}

std::optional<ShownMenu> MenuOpenedBy(const std::function<void()>& open, const Control& near,
                                      const std::string& choose) {
    std::optional<ShownMenu> shown;
    QWidget* widget = near.Widget();
    // A quit request left by an earlier test's last window would end the
    // menu's loop at once: one turn of the application's loop clears it.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        watch.stop();
        ShownMenu read;
        const QPoint at = widget->mapFromGlobal(menu->mapToGlobal(QPoint(0, 0)));
        read.x = at.x();
        read.y = at.y();
        QAction* target = nullptr;
        for (QAction* action : menu->actions()) {
            read.entries.push_back({action->text().toStdString(),
                                    action->shortcut().toString(QKeySequence::PortableText).toStdString(),
                                    action->isEnabled()});
            if (!choose.empty() && action->text().toStdString() == choose && action->isEnabled()) target = action;
        }
        shown = read;
        if (target) {
            menu->setActiveAction(target);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    watch.start();
    open();
    // A key sent through the X server arrives a little later; a menu that
    // opened within open() has been read and closed by now.
    ProcessEventsUntil([&] { return shown.has_value(); });
    return shown;
}

std::optional<OpenDialog> ShownProgressWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("orvaneProgressWindow") && widget->isVisible())
            return OpenDialog(static_cast<QDialog*>(widget));
    return std::nullopt;
}

std::string ProgressBarName(const OpenDialog& window) {
    auto* bar = static_cast<QDialog*>(window.Handle())->findChild<QProgressBar*>();
    return bar ? bar->accessibleName().toStdString() : std::string();
}

bool IsModal(const OpenDialog& window) { return static_cast<QDialog*>(window.Handle())->isModal(); }

}  // namespace orvane::toolkit::sim
