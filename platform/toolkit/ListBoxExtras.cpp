#include "ListBoxExtras.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

#include "Controls.h"
#include "detail/ListBoxHooks.h"
#include "detail/Runtime.h"

namespace orvane::toolkit::detail {
namespace {

// The local files of a drag whose extension the list takes.
std::vector<std::string> AcceptedFiles(const QMimeData* mime, const ListBoxExtras& extras) {
    std::vector<std::string> files;
    if (!mime || !mime->hasUrls() || !extras.filesDropped) return files;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        for (const std::string& extension : extras.dropExtensions)
            if (path.endsWith(QString::fromStdString(extension), Qt::CaseInsensitive)) {
                files.push_back(path.toStdString());
                break;
            }
    }
    return files;
}

// Watches the list's view (keys) and its viewport (menu, drag and drop).
class ListBoxHooks : public QObject {
public:
    ListBoxHooks(ListBox& list, QListView* view) : QObject(view), list_(list), view_(view) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        view->viewport()->setAcceptDrops(true);
        // The shortcuts live as long as the list's widget, in its window.
        for (const MenuEntry& entry : list.Extras.contextMenu) {
            if (entry.shortcut.empty()) continue;
            auto* shortcut = new QShortcut(QKeySequence(QString::fromStdString(entry.shortcut)), view);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, [entry] {
                if (!entry.enabled || entry.enabled()) Events::Raise(entry.handler);
            });
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const ListBoxExtras& extras = list_.Extras;
        switch (event->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (watched == view_ && IsMenuKey(*key) && !extras.contextMenu.empty()) {
                    key->accept();
                    if (event->type() == QEvent::KeyPress) ShowMenu(AtSelectedEntry());
                    return true;
                }
                if (watched != view_ || !extras.copy || !key->matches(QKeySequence::Copy)) return false;
                // Taken here, so the view does not copy its own text instead.
                key->accept();
                if (event->type() == QEvent::KeyPress) Events::Raise(extras.copy);
                return true;
            }
            case QEvent::ContextMenu: {
                // The window system's own menu-key event: the key press above opened the menu already.
                if (watched == view_ && !extras.contextMenu.empty() &&
                    static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
                    return true;
                if (watched != view_->viewport() || extras.contextMenu.empty()) return false;
                ShowMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            }
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDropEvent*>(event);
                if (watched != view_->viewport() || AcceptedFiles(drag->mimeData(), extras).empty()) return false;
                drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (watched != view_->viewport()) return false;
                const std::vector<std::string> files = AcceptedFiles(drop->mimeData(), extras);
                if (files.empty()) return false;
                drop->acceptProposedAction();
                const auto handler = extras.filesDropped;
                Events::Raise([&] { handler(files); });
                return true;
            }
            default: return false;
        }
    }

private:
    static bool IsMenuKey(const QKeyEvent& key) {
        const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
        return (key.key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
               (key.key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
    }

    // Below the selected entry (scrolled into view), else at the list's top.
    QPoint AtSelectedEntry() const {
        const QModelIndex current = view_->currentIndex();
        QRect rect;
        if (current.isValid() && view_->selectionModel()->isSelected(current)) {
            view_->scrollTo(current);
            rect = view_->visualRect(current);
        }
        const QPoint local = rect.isValid() ? QPoint(rect.left() + rect.height() / 2, rect.bottom()) : QPoint(4, 4);
        return view_->viewport()->mapToGlobal(local);
    }

    void ShowMenu(const QPoint& where) {
        // The entries are copied: a handler may change the list's extras.
        const std::vector<MenuEntry> entries = list_.Extras.contextMenu;
        QMenu menu(view_);
        std::vector<QAction*> actions;
        for (const MenuEntry& entry : entries) {
            actions.push_back(menu.addAction(QString::fromStdString(entry.caption)));
            if (entry.enabled) actions.back()->setEnabled(entry.enabled());
            if (!entry.shortcut.empty()) {
                // Shown beside the caption; the window's shortcut does the work.
                actions.back()->setShortcut(QKeySequence(QString::fromStdString(entry.shortcut)));
                actions.back()->setShortcutContext(Qt::WidgetShortcut);
            }
        }
        QAction* chosen = nullptr;
        {
            ModalScope modal;
            chosen = menu.exec(where);
        }
        for (std::size_t i = 0; i < actions.size(); ++i)
            if (actions[i] == chosen) Events::Raise(entries[i].handler);
    }

    ListBox& list_;
    QListView* view_;
};

}  // namespace

void InstallListBoxHooks(ListBox& list, QListView* view) { new ListBoxHooks(list, view); }

}  // namespace orvane::toolkit::detail
