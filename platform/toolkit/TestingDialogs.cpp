#include "TestingDialogs.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QTableWidget>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>

#include "core/Error.h"

namespace orvane::toolkit::sim {
namespace {

QDialog* DialogOf(void* dialog) { return static_cast<QDialog*>(dialog); }

// Widgets sorted top to bottom, then left to right, as the eye reads them.
template <class W>
std::vector<W*> InReadingOrder(QDialog* dialog) {
    std::vector<W*> widgets;
    for (W* widget : dialog->findChildren<W*>())
        if (widget->isVisible()) widgets.push_back(widget);
    std::stable_sort(widgets.begin(), widgets.end(), [dialog](W* a, W* b) {
        const QPoint pa = a->mapTo(dialog, QPoint(0, 0)), pb = b->mapTo(dialog, QPoint(0, 0));
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return widgets;
}

QPushButton* ButtonOf(QDialog* dialog, const std::string& caption) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text().toStdString() == caption) return button;
    throw Error(5, "The dialog has no button " + caption);
}

}  // namespace

std::string OpenDialog::Title() const { return DialogOf(dialog_)->windowTitle().toStdString(); }

std::vector<std::string> OpenDialog::Texts() const {
    std::vector<std::string> texts;
    for (QLabel* label : InReadingOrder<QLabel>(DialogOf(dialog_))) texts.push_back(label->text().toStdString());
    return texts;
}

std::string OpenDialog::Field(const std::string& caption) const {
    auto* edit = DialogOf(dialog_)->findChild<QLineEdit*>(QString::fromStdString(caption));
    if (!edit) throw Error(5, "The dialog has no field " + caption);
    return edit->text().toStdString();
}

void OpenDialog::Type(const std::string& caption, const std::string& text) {
    auto* edit = DialogOf(dialog_)->findChild<QLineEdit*>(QString::fromStdString(caption));
    if (!edit) throw Error(5, "The dialog has no field " + caption);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

std::string OpenDialog::Value(const std::string& caption) const {
    auto* label = DialogOf(dialog_)->findChild<QLabel*>(QString::fromStdString(caption));
    if (!label) throw Error(5, "The dialog has no value " + caption);
    return label->text().toStdString();
}

std::string OpenDialog::Placeholder(const std::string& caption) const {
    auto* edit = DialogOf(dialog_)->findChild<QLineEdit*>(QString::fromStdString(caption));
    if (!edit) throw Error(5, "The dialog has no field " + caption);
    return edit->placeholderText().toStdString();
}

namespace {

QComboBox* ChoiceOf(QDialog* dialog, const std::string& caption) {
    auto* box = dialog->findChild<QComboBox*>(QString::fromStdString(caption));
    if (!box) throw Error(5, "The dialog has no choice list " + caption);
    return box;
}

}  // namespace

std::vector<std::string> OpenDialog::Entries(const std::string& caption) const {
    QComboBox* box = ChoiceOf(DialogOf(dialog_), caption);
    std::vector<std::string> entries;
    for (int i = 0; i < box->count(); ++i) entries.push_back(box->itemText(i).toStdString());
    return entries;
}

std::string OpenDialog::Chosen(const std::string& caption) const {
    return ChoiceOf(DialogOf(dialog_), caption)->currentText().toStdString();
}

void OpenDialog::Choose(const std::string& caption, const std::string& entry) {
    QComboBox* box = ChoiceOf(DialogOf(dialog_), caption);
    const int wanted = box->findText(QString::fromStdString(entry));
    if (wanted < 0) throw Error(5, "The choice list " + caption + " has no entry " + entry);
    box->setFocus();
    while (box->currentIndex() != wanted) {
        const int before = box->currentIndex();
        QTest::keyClick(box, box->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
        if (box->currentIndex() == before) throw Error(5, "The choice list " + caption + " does not move");
    }
}

std::vector<std::string> OpenDialog::AccessibleNames(const std::string& caption) const {
    std::vector<std::string> names;
    for (QWidget* widget : InReadingOrder<QWidget>(DialogOf(dialog_))) {
        if (widget->objectName() != QString::fromStdString(caption)) continue;
        if (QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(widget))
            names.push_back(shown->text(QAccessible::Name).toStdString());
    }
    return names;
}

std::vector<std::vector<std::string>> OpenDialog::Table() const {
    std::vector<std::vector<std::string>> cells;
    auto* table = DialogOf(dialog_)->findChild<QTableWidget*>(QStringLiteral("table"));
    if (!table) return cells;
    std::vector<std::string> header;
    for (int c = 0; c < table->columnCount(); ++c)
        header.push_back(table->horizontalHeaderItem(c) ? table->horizontalHeaderItem(c)->text().toStdString() : "");
    cells.push_back(std::move(header));
    for (int r = 0; r < table->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < table->columnCount(); ++c)
            row.push_back(table->item(r, c) ? table->item(r, c)->text().toStdString() : std::string());
        cells.push_back(std::move(row));
    }
    return cells;
}

std::vector<std::vector<std::string>> OpenDialog::TableAsRead() const {
    std::vector<std::vector<std::string>> cells;
    auto* table = DialogOf(dialog_)->findChild<QTableWidget*>(QStringLiteral("table"));
    QAccessibleInterface* shown = table ? QAccessible::queryAccessibleInterface(table) : nullptr;
    QAccessibleTableInterface* grid = shown ? shown->tableInterface() : nullptr;
    if (!grid) return cells;
    for (int r = 0; r < grid->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < grid->columnCount(); ++c) {
            QAccessibleInterface* cell = grid->cellAt(r, c);
            QAccessibleTableCellInterface* place = cell ? cell->tableCellInterface() : nullptr;
            std::string said;
            if (place)
                for (QAccessibleInterface* header : place->columnHeaderCells())
                    said += header->text(QAccessible::Name).toStdString() + ": ";
            if (cell) said += cell->text(QAccessible::Name).toStdString();
            row.push_back(std::move(said));
        }
        cells.push_back(std::move(row));
    }
    return cells;
}

int OpenDialog::ProgressDone() const {
    auto* bar = DialogOf(dialog_)->findChild<QProgressBar*>();
    return bar && bar->maximum() > 0 ? bar->value() : -1;
}

bool OpenDialog::ButtonEnabled(const std::string& caption) const {
    return ButtonOf(DialogOf(dialog_), caption)->isEnabled();
}

void OpenDialog::SavePicture(const std::string& path) const {
    DialogOf(dialog_)->grab().save(QString::fromStdString(path), "PNG");
}

void OpenDialog::Click(const std::string& caption) {
    QPointer<QPushButton> button = ButtonOf(DialogOf(dialog_), caption);
    QTimer::singleShot(0, [button] {
        if (button) QTest::mouseClick(button, Qt::LeftButton);
    });
}

struct DialogScript::Impl {
    struct Entry {
        bool progress;
        Step step;
    };
    std::deque<Entry> steps;
    std::vector<std::string> seen;
    QPointer<QDialog> finished;  // the dialog the last step finished with
    QTimer watch;
    bool inStep = false;

    void Poll() {
        if (steps.empty() || inStep) return;
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == finished) return;
        const bool isProgress = dialog->objectName() == QLatin1String("orvaneProgress");
        if (!isProgress && dialog->objectName() != QLatin1String("orvaneDialog")) return;
        if (isProgress != steps.front().progress) return;
        OpenDialog open(dialog);
        inStep = true;
        const bool done = steps.front().step(open);
        inStep = false;
        if (!done) return;
        seen.push_back(dialog->windowTitle().toStdString());
        finished = dialog;
        steps.pop_front();
    }
};

DialogScript::DialogScript() : impl_(std::make_unique<Impl>()) {
    impl_->watch.setInterval(5);
    QObject::connect(&impl_->watch, &QTimer::timeout, [impl = impl_.get()] { impl->Poll(); });
    impl_->watch.start();
}

DialogScript::~DialogScript() = default;

DialogScript& DialogScript::Then(Step step) {
    impl_->steps.push_back({false, std::move(step)});
    return *this;
}

DialogScript& DialogScript::ThenProgress(Step step) {
    impl_->steps.push_back({true, std::move(step)});
    return *this;
}

std::size_t DialogScript::Remaining() const { return impl_->steps.size(); }
const std::vector<std::string>& DialogScript::Seen() const { return impl_->seen; }

std::vector<std::pair<std::string, bool>> ContextMenuEntries(ListBox& list, std::int32_t row) {
    list.Refresh();
    auto* view = static_cast<QListView*>(list.Widget());
    QPoint point(view->viewport()->width() / 2, view->viewport()->height() - 2);
    if (row >= 0) {
        const QModelIndex index = view->model()->index(row, 0);
        view->scrollTo(index);
        point = view->visualRect(index).center();
    }
    // A quit request left by an earlier test's last window would end the
    // menu's loop at once: one turn of the application's loop clears it.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    std::vector<std::pair<std::string, bool>> entries;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        watch.stop();
        for (QAction* action : menu->actions()) entries.emplace_back(action->text().toStdString(), action->isEnabled());
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    watch.start();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, view->viewport()->mapToGlobal(point));
    QApplication::sendEvent(view->viewport(), &event);
    return entries;
}

bool ProcessEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer bound(120000);
    while (!done()) {
        if (bound.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

}  // namespace orvane::toolkit::sim
