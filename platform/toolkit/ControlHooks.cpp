#include "ControlHooks.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPainter>

namespace orvane::toolkit {
namespace {

// Raises the handler for the keys given, pressed while the widget has the focus.
class KeyWatch : public QObject {
public:
    KeyWatch(QWidget* widget, std::initializer_list<int> keys, EventHandler handler)
        : QObject(widget), keys_(keys), handler_(std::move(handler)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (std::find(keys_.begin(), keys_.end(), key->key()) == keys_.end()) return false;
        // Taken here, so no default button or shortcut of the window acts on it.
        event->accept();
        if (event->type() == QEvent::KeyPress) Events::Raise(handler_);
        return true;
    }

private:
    std::vector<int> keys_;
    EventHandler handler_;
};

// Draws the hint over the list's empty viewport; lets every mouse event through.
class HintOverlay : public QWidget {
public:
    HintOverlay(QListView* view, QString hint) : QWidget(view->viewport()), view_(view), hint_(std::move(hint)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        view->viewport()->installEventFilter(this);
        QAbstractItemModel* model = view->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, &HintOverlay::Update);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &HintOverlay::Update);
        connect(model, &QAbstractItemModel::modelReset, this, &HintOverlay::Update);
        connect(model, &QAbstractItemModel::layoutChanged, this, &HintOverlay::Update);
        Update();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) setGeometry(view_->viewport()->rect());
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        const int margin = fontMetrics().averageCharWidth() * 2;
        painter.drawText(rect().adjusted(margin, 0, -margin, 0), Qt::AlignCenter | Qt::TextWordWrap, hint_);
    }

private:
    void Update() {
        const bool empty = view_->model()->rowCount() == 0;
        setGeometry(view_->viewport()->rect());
        setVisible(empty);
        view_->setAccessibleDescription(empty ? hint_ : QString());
    }

    QListView* view_;
    QString hint_;
};

}  // namespace

void OnTextEdited(TextBox& box, EventHandler handler) {
    auto* edit = static_cast<QLineEdit*>(box.Widget());
    QObject::connect(edit, &QLineEdit::textEdited, edit, [handler = std::move(handler)] { Events::Raise(handler); });
}

void OnEntryChosen(ListBox& list, EventHandler handler) {
    auto* view = static_cast<QListView*>(list.Widget());
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, [handler](const QModelIndex& index) {
        if (index.isValid()) Events::Raise(handler);
    });
    new KeyWatch(view, {Qt::Key_Return, Qt::Key_Enter}, std::move(handler));
}

void OnEnter(TextBox& box, EventHandler handler) {
    new KeyWatch(box.Widget(), {Qt::Key_Return, Qt::Key_Enter}, std::move(handler));
}

void OnEscape(Control& control, EventHandler handler) { new KeyWatch(control.Widget(), {Qt::Key_Escape}, std::move(handler)); }

void EmptyListHint(ListBox& list, const std::string& hint) {
    new HintOverlay(static_cast<QListView*>(list.Widget()), QString::fromStdString(hint));
}

}  // namespace orvane::toolkit
