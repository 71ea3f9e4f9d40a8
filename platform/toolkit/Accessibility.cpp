#include "detail/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include "detail/Widgets.h"

namespace orvane::toolkit::detail {
namespace {

// Qt on Linux names an editable combo box by its current text, whatever
// accessible name it carries, so a screen reader says "Ontario" and never
// "State/Province". This one keeps the name (from the widget, else its
// label) apart from the value (the text). Its children are those of Qt's
// own combo box: the list of entries first (the popup's view, present
// while the list is closed), then the text field.
class ComboBoxAccessible : public QAccessibleWidget {
public:
    explicit ComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    int childCount() const override { return Box()->lineEdit() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(Box()->view());
        if (index == 1 && Box()->lineEdit()) return QAccessible::queryAccessibleInterface(Box()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->object() == Box()->view()) return 0;
        if (Box()->lineEdit() && child->object() == Box()->lineEdit()) return 1;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = Box()->lineEdit();
        if (edit && edit->isVisible() && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return child(1);
        return nullptr;
    }

    // The box is the focus proxy of its text field, which is where typing goes.
    QAccessibleInterface* focusChild() const override { return Box()->lineEdit() ? child(1) : nullptr; }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return Box()->currentText();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = Box()->isEditable();
        state.expandable = true;
        state.expanded = Box()->view() && Box()->view()->isVisible();
        return state;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == showMenuAction())
            Box()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

// Asked for each class of an object, most derived first, before Qt's own
// factory. The frame and picture widgets have no meta-object of their own,
// so they come by as QWidget and QFrame.
QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QComboBox")) {
        auto* box = static_cast<QComboBox*>(widget);
        // Also a fixed list given a name of its own (a dialog's), which Qt on
        // Linux would name by its current entry as well.
        if (box->isEditable() || !box->accessibleName().isEmpty()) return new ComboBoxAccessible(box);
    } else if (className == QLatin1String("QWidget") && dynamic_cast<FrameWidget*>(widget)) {
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    } else if (className == QLatin1String("QFrame") && dynamic_cast<PictureWidget*>(widget)) {
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    }
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(Factory);
}

}  // namespace orvane::toolkit::detail
