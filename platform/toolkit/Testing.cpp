#include "Testing.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include "core/Error.h"

namespace orvane::toolkit::sim {

void MouseClick(Control& control) {
    QWidget* widget = control.Widget();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void MouseClickRow(ListBox& list, std::int32_t row) {
    list.Refresh();
    auto* view = static_cast<QListView*>(list.Widget());
    const QModelIndex index = view->model()->index(row, 0);
    if (!index.isValid()) throw Error(381, "No entry " + std::to_string(row));
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void KeyDown(ListBox& list) {
    list.Refresh();
    QTest::keyClick(list.Widget(), Qt::Key_Down);
}

void KeyTab(Form& form) {
    QWidget* window = form.Window();
    if (!window) throw Error(5, "The window is not loaded");
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, Qt::Key_Tab);
}

void TypeText(Control& control, const std::string& text) {
    QWidget* widget = control.Widget();
    QLineEdit* edit = nullptr;
    if (auto* box = qobject_cast<QComboBox*>(widget))
        edit = box->lineEdit();
    else
        edit = qobject_cast<QLineEdit*>(widget);
    if (!edit) throw Error(438, control.Name() + " takes no typed text");
    edit->end(false);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

void CloseBox(Form& form) {
    if (QWidget* window = form.Window()) window->close();
}

void ProcessEvents() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::string WindowTitle(const Form& form) {
    QWidget* window = form.Window();
    return window ? window->windowTitle().toStdString() : std::string();
}

}  // namespace orvane::toolkit::sim
