#include "Testing.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "MsgBox.h"
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
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && !text.empty()) {
        // The first key opens the current cell's editor, the rest goes into it.
        const QString keys = QString::fromStdString(text);
        QTest::keyClicks(view, keys.left(1));
        QWidget* editor = view->indexWidget(view->currentIndex());
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (auto* box = qobject_cast<QComboBox*>(editor)) line = box->lineEdit();
        if (!line) throw Error(438, control.Name() + " opened no editor for typed text");
        QTest::keyClicks(line, keys.mid(1));
        return;
    }
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

// ---------------------------------------------------------------- what the user sees

namespace orvane::toolkit::sim {
namespace {

QMessageBox::StandardButton ButtonFor(std::int32_t answer) {
    switch (answer) {
        case vbOK: return QMessageBox::Ok;
        case vbCancel: return QMessageBox::Cancel;
        case vbAbort: return QMessageBox::Abort;
        case vbRetry: return QMessageBox::Retry;
        case vbIgnore: return QMessageBox::Ignore;
        case vbYes: return QMessageBox::Yes;
        case vbNo: return QMessageBox::No;
        default: return QMessageBox::NoButton;
    }
}

std::string NameOf(const Form& form, const QObject* object) {
    for (const Control* control : form.Controls())
        if (control->Widget() == object) return control->Name();
    return object ? object->metaObject()->className() : "?";
}

QWidget* WindowOf(const Form& form) {
    QWidget* window = form.Window();
    if (!window) throw Error(5, "The window \"" + form.Caption() + "\" is not loaded");
    return window;
}

std::string ColourOf(const QImage& image, int x, int y) {
    if (!image.rect().contains(x, y)) throw Error(5, "No pixel there");
    return image.pixelColor(x, y).name().toStdString();
}

}  // namespace

ShownMessage AnswerMessageBox(std::int32_t answer, const std::function<void()>& action) {
    ShownMessage shown;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        watch.stop();
        shown.title = box->windowTitle().toStdString();
        // The label as a screen reader (and the eye) gets it: rendered text.
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            if (QAccessibleInterface* text = QAccessible::queryAccessibleInterface(label))
                shown.text = text->text(QAccessible::Name).toStdString();
        if (QAbstractButton* button = box->button(ButtonFor(answer)))
            button->click();
        else
            box->done(0);
    });
    watch.start();
    action();
    return shown;
}

AccessibleControl Accessible(const Control& control) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control.Widget());
    if (!iface) throw Error(5, control.Name() + " has no accessible interface");
    AccessibleControl seen;
    seen.role = QMetaEnum::fromType<QAccessible::Role>().valueToKey(iface->role());
    seen.name = iface->text(QAccessible::Name).toStdString();
    seen.description = iface->text(QAccessible::Description).toStdString();
    seen.value = iface->text(QAccessible::Value).toStdString();
    for (const auto& [other, relation] : iface->relations(QAccessible::Label))
        seen.labelledBy.push_back(NameOf(control.Parent(), other->object()));
    for (const auto& [other, relation] : iface->relations(QAccessible::Labelled))
        seen.labels.push_back(NameOf(control.Parent(), other->object()));
    const QAccessible::State state = iface->state();
    seen.focusable = state.focusable;
    seen.disabled = state.disabled;
    seen.readOnly = state.readOnly;
    seen.editable = state.editable;
    seen.invisible = state.invisible;
    return seen;
}

bool CaptionFits(const Control& control) {
    QWidget* widget = control.Widget();
    const QFontMetrics metrics(widget->font());
    switch (control.Kind()) {
        case ControlKind::Label: {
            auto* label = static_cast<QLabel*>(widget);
            const QRect room = label->contentsRect();
            const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000),
                                                      Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, label->text());
            return needed.width() <= room.width() && needed.height() <= room.height();
        }
        case ControlKind::CommandButton: {
            auto* button = static_cast<QPushButton*>(widget);
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            return metrics.horizontalAdvance(button->text()) + 2 * margin <= button->width() &&
                   metrics.height() + margin <= button->height();
        }
        case ControlKind::Frame: {
            // The caption stands on the top line, 6 pixels in, 2 pixels of space each side.
            const QString caption = QString::fromStdString(static_cast<const Frame&>(control).Caption());
            return 6 + metrics.horizontalAdvance(caption) + 4 + 6 <= widget->width();
        }
        default: throw Error(438, control.Name() + " has no caption");
    }
}

struct ThemeFont::Saved {
    QFont font;
};

ThemeFont::ThemeFont(const std::string& family, double pointSize)
    : saved_(std::make_unique<Saved>(Saved{QApplication::font()})) {
    QFont font(QString::fromStdString(family));
    font.setPointSizeF(pointSize);
    QApplication::setFont(font);
}

ThemeFont::~ThemeFont() { QApplication::setFont(saved_->font); }

struct DarkPalette::Saved {
    QPalette palette;
};

DarkPalette::DarkPalette() : saved_(std::make_unique<Saved>(Saved{QApplication::palette()})) {
    QPalette dark;
    const QColor window(0x35, 0x35, 0x35), base(0x2a, 0x2a, 0x2a), text(0xee, 0xee, 0xee);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    QApplication::setPalette(dark);
}

DarkPalette::~DarkPalette() { QApplication::setPalette(saved_->palette); }

std::string ColourAt(const Control& control, int x, int y) {
    return ColourOf(control.Widget()->grab().toImage(), x, y);
}

std::string ColourAt(const Form& form, int x, int y) { return ColourOf(WindowOf(form)->grab().toImage(), x, y); }

std::string DarkestColour(const Control& control) {
    const QImage image = control.Widget()->grab().toImage();
    QColor darkest = Qt::white;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor pixel = image.pixelColor(x, y); pixel.lightness() < darkest.lightness()) darkest = pixel;
    return darkest.name().toStdString();
}

std::vector<int> IconSizes(const Form& form) {
    std::vector<int> sizes;
    for (const QSize size : WindowOf(form)->windowIcon().availableSizes()) sizes.push_back(size.width());
    return sizes;
}

bool WaitForFrame(const Form& form) {
    QWidget* window = WindowOf(form);
    return QTest::qWaitFor(
        [window] {
            return window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed() &&
                   window->frameGeometry() != window->geometry();
        },
        10000);
}

PixelRect OuterGeometry(const Form& form) {
    const QRect outer = WindowOf(form)->frameGeometry();
    return {outer.x(), outer.y(), outer.width(), outer.height()};
}

}  // namespace orvane::toolkit::sim
