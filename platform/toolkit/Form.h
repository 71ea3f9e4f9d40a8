#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "Controls.h"

namespace orvane::toolkit {

namespace detail {
class FormWindow;
struct DeleteLater {
    void operator()(FormWindow* window) const;
};
}  // namespace detail

// A window. Each window class has one instance for the whole run (see
// Forms::Get), which is either unloaded (no window, no controls) or loaded.
// Loading builds the window and its controls from BuildLayout and then runs
// Form_Load; unloading (the Unload call or the title bar's close box)
// removes them again. When the last loaded window is unloaded, the program
// ends.
//
// Sizes are in twips. Width and Height are the outer size, frame included:
// the client size plus the frame margins of the window, as the window
// system reports them for a visible window; before a window is visible (or
// when the window system draws no frame) the margins last seen on any of the
// program's windows are used; before any were seen, the frame the window
// manager says it will give a window (asked once, without showing one), so
// that a window centred before it is first shown stands exactly in the
// middle; and without a window manager that tells, an estimate from the
// style's title bar height and frame width.
class Form : public Container {
public:
    Form(std::string caption, std::int32_t clientWidth, std::int32_t clientHeight);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Runs once, when the instance is created.
    virtual void Form_Initialize() {}
    // Runs each time the window is loaded, before it is shown.
    virtual void Form_Load() {}
    // Run by Load after a successful Form_Load, and by Unload before the
    // window goes; not by a direct call of Form_Load.
    virtual void Loaded() {}
    virtual void Unloading() {}

    // Builds the window if it is not loaded (running Form_Load). When
    // Form_Load fails, the half-built window is removed again and the error
    // passes on to the caller.
    void Load();
    // Loads the window if needed, makes it visible and brings it to the front.
    void Show();
    void Unload();

    bool IsLoaded() const { return window_ != nullptr; }
    bool Visible() const;

    const std::string& Caption() const { return caption_; }
    // A new title bar text, at once when the window is loaded.
    void Caption(const std::string& NewCaption);
    std::int32_t Left() const;
    std::int32_t Top() const;
    std::int32_t Width() const;
    std::int32_t Height() const;
    // Client area.
    std::int32_t ScaleWidth() const { return clientWidth_; }
    std::int32_t ScaleHeight() const { return clientHeight_; }
    // Places the outer top-left corner; the size stays.
    void Move(std::int32_t left, std::int32_t top);

    // The icon of the title bar and the task bar entry, from a picture file
    // or a built-in resource (an SVG drawing is fine); set on each load.
    void Icon(std::string NewIcon);

    // A key ("Ctrl+Return", "Escape") that runs handler, as an event, while
    // the window is active; set before the window loads. A handler that
    // should do nothing at times checks for itself.
    void Shortcut(const std::string& key, EventHandler handler);

    // Every control of the loaded window, in the order of creation.
    const std::vector<Control*>& Controls() const { return controls_; }
    // The control that has (or, in an inactive window, will get) the focus.
    Control* ActiveControl() const;

    // The window's widget; nullptr when unloaded.
    QWidget* Window() const;

    Form& ParentForm() const override { return const_cast<Form&>(*this); }
    QWidget* ContainerWidget() const override;

protected:
    // Creates the controls, in order, with their geometry and tab index.
    virtual void BuildLayout() = 0;

private:
    friend class Control;
    void Register(Control& control) { controls_.push_back(&control); }
    void ApplyTabOrder();
    void FocusFirstControl();
    void TearDown();
    struct Margins {
        int left, top, right, bottom;
    };
    Margins FrameMargins() const;

    std::string caption_;
    std::string icon_;
    std::int32_t clientWidth_, clientHeight_;
    std::int32_t left_ = 0, top_ = 0;  // kept while unloaded
    bool initialFocusPending_ = false;
    std::vector<Control*> controls_;
    std::vector<std::pair<std::string, EventHandler>> shortcuts_;
    std::unique_ptr<detail::FormWindow, detail::DeleteLater> window_;
};

// The program-wide instances of the window classes.
namespace Forms {

// The one instance of T: created on first use, never replaced. Creating it
// runs its Form_Initialize; when that fails, no instance is kept and the
// error passes on.
template <class T>
T& Get();

// Number of loaded windows.
int LoadedCount();
// Unloads every loaded window (tests start from a clean desktop with it).
void UnloadAll();
// Unloads and destroys every instance; the Application does this at its end.
void DestroyAll();

namespace detail {
Form* Find(std::type_index type);
Form& Adopt(std::type_index type, std::unique_ptr<Form> form);
void Discard(std::type_index type);
}  // namespace detail

template <class T>
T& Get() {
    const std::type_index type(typeid(T));
    if (Form* form = detail::Find(type)) return static_cast<T&>(*form);
    T& form = static_cast<T&>(detail::Adopt(type, std::make_unique<T>()));
    try {
        form.Form_Initialize();
    } catch (...) {
        detail::Discard(type);
        throw;
    }
    return form;
}

}  // namespace Forms
}  // namespace orvane::toolkit
