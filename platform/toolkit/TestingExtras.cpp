#include "TestingExtras.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

namespace orvane::toolkit::sim {
namespace {

QListView* ViewOf(ListBox& list) {
    list.Refresh();
    return static_cast<QListView*>(list.Widget());
}

QPoint RowPoint(QListView* view, std::int32_t row) {
    if (row < 0) return QPoint(view->viewport()->width() / 2, view->viewport()->height() - 2);
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    return view->visualRect(index).center();
}

// When a test's last window was unloaded the application was asked to
// quit, and from then on every nested event loop (a menu's) ends at once.
// Running the application's loop for one turn clears that request.
void ClearQuitRequest() {
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace

std::vector<std::string> ChooseFromContextMenu(ListBox& list, std::int32_t row, const std::string& caption) {
    QListView* view = ViewOf(list);
    ClearQuitRequest();
    const QPoint point = RowPoint(view, row);
    // The row is selected first, as a right click on it does on most desktops.
    if (row >= 0) QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);

    // The menu runs its own event loop: act on it from there, once it is up.
    auto captions = std::make_shared<std::vector<std::string>>();
    auto act = std::make_shared<std::function<void(int)>>();
    *act = [captions, caption, act](int triesLeft) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            if (triesLeft > 0) QTimer::singleShot(10, [act, triesLeft] { (*act)(triesLeft - 1); });
            return;
        }
        QAction* target = nullptr;
        for (QAction* action : menu->actions()) {
            captions->push_back(action->text().toStdString());
            if (action->text().toStdString() == caption) target = action;
        }
        // A greyed entry cannot be chosen: the menu is dismissed instead.
        if (target && target->isEnabled()) {
            menu->setActiveAction(target);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
        *act = nullptr;  // breaks the cycle
    };
    QTimer::singleShot(0, [act] { (*act)(500); });
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, view->viewport()->mapToGlobal(point));
    QApplication::sendEvent(view->viewport(), &event);
    *act = nullptr;  // a menu that never opened is not waited for any more
    return *captions;
}

void KeyCopy(ListBox& list) { QTest::keyClick(ViewOf(list), Qt::Key_C, Qt::ControlModifier); }

bool DropFiles(ListBox& list, const std::vector<std::string>& paths) {
    QListView* view = ViewOf(list);
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    mime.setUrls(urls);
    const QPoint point = view->viewport()->rect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    return drop.isAccepted();
}

}  // namespace orvane::toolkit::sim
