#include "ListBoxExtras.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
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
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const ListBoxExtras& extras = list_.Extras;
        switch (event->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (watched != view_ || !extras.copy || !key->matches(QKeySequence::Copy)) return false;
                // Taken here, so the view does not copy its own text instead.
                key->accept();
                if (event->type() == QEvent::KeyPress) Events::Raise(extras.copy);
                return true;
            }
            case QEvent::ContextMenu: {
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
    void ShowMenu(const QPoint& where) {
        // The entries are copied: a handler may change the list's extras.
        const std::vector<MenuEntry> entries = list_.Extras.contextMenu;
        QMenu menu(view_);
        std::vector<QAction*> actions;
        for (const MenuEntry& entry : entries) {
            actions.push_back(menu.addAction(QString::fromStdString(entry.caption)));
            if (entry.enabled) actions.back()->setEnabled(entry.enabled());
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
