#include "Form.h"

#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>
#include <algorithm>
#include <optional>

#include "Events.h"
#include "Screen.h"
#include "core/Error.h"
#include "detail/FrameExtents.h"
#include "detail/Icons.h"
#include "detail/Runtime.h"
#include "detail/Widgets.h"

namespace orvane::toolkit {
namespace {

// Frame margins (pixels) last reported by the window system for one of the
// program's windows; the best guess for windows not yet on the screen.
std::optional<QMargins>& SeenMargins() {
    static std::optional<QMargins> margins;
    return margins;
}

QMargins EstimatedMargins() {
    QStyle* style = QApplication::style();
    const int border = style ? style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth) : 4;
    const int title = style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 24;
    return {border, title + border, border, border};
}

// The margins a window will have before any was shown: asked of the window
// manager once per run.
QMargins ExpectedMargins() {
    static bool asked = false;
    if (!SeenMargins() && !asked) {
        asked = true;
        SeenMargins() = detail::AnnouncedFrameMargins(detail::FormWindow::Flags());
    }
    return SeenMargins().value_or(EstimatedMargins());
}

}  // namespace

namespace detail {
void NoteFrameMargins(const QWidget& window) {
    if (!window.isVisible()) return;
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    const QMargins seen(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    if (!seen.isNull()) SeenMargins() = seen;
}

void DeleteLater::operator()(FormWindow* window) const {
    // A window may go while one of its own signals is being delivered (a
    // Close button, the close box), so the widget goes from the event loop.
    window->deleteLater();
}
}  // namespace detail

Form::Form(std::string caption, std::int32_t clientWidth, std::int32_t clientHeight)
    : caption_(std::move(caption)), clientWidth_(clientWidth), clientHeight_(clientHeight) {}

// The controls (members of the derived window class) are gone by now; the
// instances outlive their windows (Forms::DestroyAll unloads first), so only
// a window never unloaded is left to the deleter here.
Form::~Form() { controls_.clear(); }

QWidget* Form::Window() const { return window_.get(); }

QWidget* Form::ContainerWidget() const {
    if (!window_) throw Error(5, "The window \"" + caption_ + "\" is not loaded.");
    return window_.get();
}

void Form::Load() {
    if (IsLoaded()) return;
    window_.reset(new detail::FormWindow(*this));
    window_->setWindowTitle(QString::fromStdString(caption_));
    window_->setFixedSize(Screen::TwipsToPixelsX(clientWidth_), Screen::TwipsToPixelsY(clientHeight_));
    window_->move(Screen::TwipsToPixelsX(left_), Screen::TwipsToPixelsY(top_));
    initialFocusPending_ = true;
    detail::WindowLoaded();
    try {
        if (!icon_.empty()) window_->setWindowIcon(detail::LoadIcon(icon_));
        BuildLayout();
        ApplyTabOrder();
        for (const auto& [key, handler] : shortcuts_) {
            auto* shortcut = new QShortcut(QKeySequence(QString::fromStdString(key)), window_.get());
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(shortcut, &QShortcut::activated, window_.get(), [handler] { Events::Raise(handler); });
        }
        Form_Load();
    } catch (...) {
        TearDown();
        throw;
    }
    Loaded();
}

void Form::Caption(const std::string& NewCaption) {
    caption_ = NewCaption;
    if (window_) window_->setWindowTitle(QString::fromStdString(caption_));
}

void Form::Shortcut(const std::string& key, EventHandler handler) { shortcuts_.emplace_back(key, std::move(handler)); }

void Form::Show() {
    Load();
    window_->show();
    detail::NoteFrameMargins(*window_);
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window_->raise();
    window_->activateWindow();
    if (initialFocusPending_) {
        initialFocusPending_ = false;
        FocusFirstControl();
    }
}

void Form::Unload() {
    if (!IsLoaded()) return;
    Unloading();
    TearDown();
    if (Forms::LoadedCount() == 0) detail::LastWindowUnloaded();
}

void Form::TearDown() {
    // Keep a place the user dragged the window to for its next showing.
    if (window_->isVisible()) {
        const QPoint at = window_->frameGeometry().topLeft();
        if (at.x() != Screen::TwipsToPixelsX(left_)) left_ = Screen::PixelsToTwipsX(at.x());
        if (at.y() != Screen::TwipsToPixelsY(top_)) top_ = Screen::PixelsToTwipsY(at.y());
    }
    for (Control* control : controls_) control->Detach();
    controls_.clear();
    window_->hide();
    window_.reset();
}

bool Form::Visible() const { return window_ && window_->isVisible(); }

Form::Margins Form::FrameMargins() const {
    if (window_) detail::NoteFrameMargins(*window_);
    const QMargins m = ExpectedMargins();
    return {m.left(), m.top(), m.right(), m.bottom()};
}

std::int32_t Form::Width() const {
    const Margins m = FrameMargins();
    return clientWidth_ + Screen::PixelsToTwipsX(m.left + m.right);
}

std::int32_t Form::Height() const {
    const Margins m = FrameMargins();
    return clientHeight_ + Screen::PixelsToTwipsY(m.top + m.bottom);
}

std::int32_t Form::Left() const {
    // The twips given to Move, unless the window now stands elsewhere.
    if (Visible()) {
        const int x = window_->frameGeometry().x();
        if (x != Screen::TwipsToPixelsX(left_)) return Screen::PixelsToTwipsX(x);
    }
    return left_;
}

std::int32_t Form::Top() const {
    if (Visible()) {
        const int y = window_->frameGeometry().y();
        if (y != Screen::TwipsToPixelsY(top_)) return Screen::PixelsToTwipsY(y);
    }
    return top_;
}

void Form::Move(std::int32_t left, std::int32_t top) {
    left_ = left;
    top_ = top;
    if (window_) window_->move(Screen::TwipsToPixelsX(left), Screen::TwipsToPixelsY(top));
}

void Form::Icon(std::string NewIcon) {
    icon_ = std::move(NewIcon);
    if (window_) window_->setWindowIcon(icon_.empty() ? QIcon() : detail::LoadIcon(icon_));
}

static std::vector<Control*> SortedByTabIndex(const std::vector<Control*>& controls) {
    std::vector<Control*> sorted;
    for (Control* control : controls)
        if (control->TabStop()) sorted.push_back(control);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    return sorted;
}

void Form::ApplyTabOrder() {
    const std::vector<Control*> order = SortedByTabIndex(controls_);
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1]->Widget(), order[i]->Widget());
}

void Form::FocusFirstControl() {
    for (Control* control : SortedByTabIndex(controls_)) {
        QWidget* widget = control->Widget();
        if (widget->isEnabled() && !widget->isHidden()) {
            widget->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

Control* Form::ActiveControl() const {
    if (!window_) return nullptr;
    QWidget* focus = window_->focusWidget();
    if (!focus) return nullptr;
    for (Control* control : controls_) {
        if (control->Kind() == ControlKind::Frame) continue;
        QWidget* widget = control->Widget();
        if (widget == focus || widget->isAncestorOf(focus)) return control;
    }
    return nullptr;
}

// ---------------------------------------------------------------- Forms

namespace Forms {
namespace {
std::vector<std::pair<std::type_index, std::unique_ptr<Form>>>& Instances() {
    static std::vector<std::pair<std::type_index, std::unique_ptr<Form>>> instances;
    return instances;
}
}  // namespace

namespace detail {

Form* Find(std::type_index type) {
    for (auto& [key, form] : Instances())
        if (key == type) return form.get();
    return nullptr;
}

Form& Adopt(std::type_index type, std::unique_ptr<Form> form) {
    Instances().emplace_back(type, std::move(form));
    return *Instances().back().second;
}

void Discard(std::type_index type) {
    auto& all = Instances();
    all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& entry) { return entry.first == type; }),
              all.end());
}

}  // namespace detail

int LoadedCount() {
    int count = 0;
    for (const auto& entry : Instances())
        if (entry.second->IsLoaded()) ++count;
    return count;
}

void UnloadAll() {
    for (const auto& entry : Instances()) entry.second->Unload();
}

void DestroyAll() {
    UnloadAll();
    Instances().clear();
}

}  // namespace Forms
}  // namespace orvane::toolkit
