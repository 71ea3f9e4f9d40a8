#include "TestingAccessibility.h"

#include <QAccessible>
#include <QMetaEnum>
#include <QWidget>

#include "core/Error.h"

namespace orvane::toolkit::sim {
namespace {

std::string RoleName(const QAccessibleInterface* iface) {
    return QMetaEnum::fromType<QAccessible::Role>().valueToKey(iface->role());
}

}  // namespace

AccessibleChildren AccessibleChildrenOf(const Control& control) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control.Widget());
    if (!iface) throw Error(5, control.Name() + " has no accessible interface");
    AccessibleChildren seen;
    seen.childrenKnowTheirPlace = true;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child) {
            seen.roles.push_back("(none)");
            seen.childrenKnowTheirPlace = false;
            continue;
        }
        seen.roles.push_back(RoleName(child));
        if (iface->indexOfChild(child) != i || child->parent() != iface) seen.childrenKnowTheirPlace = false;
        if (child->role() != QAccessible::List || seen.listItemCount >= 0) continue;
        seen.listItemCount = child->childCount();
        for (int item = 0; item < child->childCount(); ++item) {
            QAccessibleInterface* entry = child->child(item);
            seen.listItems.push_back(entry ? entry->text(QAccessible::Name).toStdString() : "(none)");
        }
    }
    return seen;
}

}  // namespace orvane::toolkit::sim
