#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Events.h"
#include "ListBoxExtras.h"

class QWidget;
class QListView;
class QComboBox;
class QTextEdit;

namespace orvane::toolkit {

class Form;

namespace detail {
class ListModel;
class PictureWidget;
}  // namespace detail

enum class ControlKind { Frame, Label, TextBox, ComboBox, ListBox, CommandButton, PictureBox, RichTextBox, TextArea, EntryGrid };

// Something controls are placed on: a window's client area or a frame.
// Left and Top of a control count from the container's outer top-left corner.
class Container {
public:
    virtual Form& ParentForm() const = 0;
    virtual QWidget* ContainerWidget() const = 0;

protected:
    ~Container() = default;
};

// A control of a window. The object belongs to its window for the whole run;
// its on-screen widget exists only while the window is loaded, between the
// control's Create (from the window's layout) and the window's Unload. Using
// a control of an unloaded window is an error, never a stale pointer.
class Control {
public:
    Control(Form& form, std::string name, ControlKind kind);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    ControlKind Kind() const { return kind_; }
    bool IsTextBox() const { return kind_ == ControlKind::TextBox; }
    bool IsComboBox() const { return kind_ == ControlKind::ComboBox; }
    Form& Parent() const { return form_; }
    bool Exists() const { return widget_ != nullptr; }

    std::int32_t TabIndex() const { return tabIndex_; }
    // Whether this kind of control takes the keyboard focus at all.
    bool TabStop() const;

    void Enabled(bool NewEnabled);
    bool Enabled() const;
    bool Visible() const;
    std::int32_t Left() const { return left_; }
    std::int32_t Top() const { return top_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    // Text of the kinds that have one; the others raise error 438.
    virtual void Text(const std::string& NewText);
    virtual std::string Text() const;

    void SetFocus();

    // What a screen reader announces for the control (its name) and adds
    // when asked for more (its description).
    void AccessibleName(const std::string& NewAccessibleName);
    void AccessibleDescription(const std::string& NewAccessibleDescription);

    // The on-screen widget; an error when the window is not loaded.
    QWidget* Widget() const;

protected:
    // Puts the freshly made widget on its container with the layout's
    // geometry (twips) and registers the control with its window.
    void Place(Container& container, QWidget* widget, std::int32_t left, std::int32_t top, std::int32_t width,
               std::int32_t height, std::int32_t tabIndex);
    [[noreturn]] void NotSupported(const char* what) const;
    // The window is being unloaded: the widget is going.
    virtual void Detach() { widget_ = nullptr; }

private:
    friend class Form;

    Form& form_;
    std::string name_;
    ControlKind kind_;
    QWidget* widget_ = nullptr;
    std::int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::int32_t tabIndex_ = 0;
};

// A border around other controls, with an optional caption on its top line.
class Frame : public Control, public Container {
public:
    Frame(Form& form, std::string name) : Control(form, std::move(name), ControlKind::Frame) {}
    void Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                std::int32_t width, std::int32_t height, std::int32_t tabIndex);

    void Caption(const std::string& NewCaption);
    std::string Caption() const;

    Form& ParentForm() const override { return Parent(); }
    QWidget* ContainerWidget() const override { return Widget(); }
};

class Label : public Control {
public:
    Label(Form& form, std::string name) : Control(form, std::move(name), ControlKind::Label) {}
    void Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                std::int32_t width, std::int32_t height, std::int32_t tabIndex);

    void Caption(const std::string& NewCaption);
    std::string Caption() const;

    // Makes the label the caption of a field: the field takes the caption as
    // its accessible name, and the label names the field it labels. The
    // caption gains no access key.
    void LabelFor(Control& field);
};

// One line of text, no length limit.
class TextBox : public Control {
public:
    TextBox(Form& form, std::string name) : Control(form, std::move(name), ControlKind::TextBox) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    using Control::Text;
    void Text(const std::string& NewText) override;
    std::string Text() const override;
};

// A drop-down list whose text can also be typed; not sorted. The text is
// not one of the entries: Clear and AddItem leave it alone.
class ComboBox : public Control {
public:
    ComboBox(Form& form, std::string name) : Control(form, std::move(name), ControlKind::ComboBox) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    void Clear();
    void AddItem(const std::string& item);
    void AddItems(const std::vector<std::string>& items);
    std::int32_t ListCount() const;
    std::string List(std::int32_t index) const;
    // Index of the entry equal to the text, -1 when the text is no entry.
    std::int32_t ListIndex() const;

    using Control::Text;
    void Text(const std::string& NewText) override;
    std::string Text() const override;

private:
    QComboBox* Box() const;
};

// Single selection, not sorted: entries stay in the order they are added.
// Each entry carries a 32-bit item data. Selecting an entry, by the user or
// by code (ListIndex, Selected), raises Click. Holds any number of entries:
// appends are cheap and reach the screen in batches.
class ListBox : public Control {
public:
    ListBox(Form& form, std::string name) : Control(form, std::move(name), ControlKind::ListBox) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    EventHandler Click;
    // Context menu, copy key and file drops; set before the window loads.
    ListBoxExtras Extras;

    void Clear();
    void AddItem(std::string_view item);
    std::int32_t ListCount() const;
    std::int32_t NewIndex() const;
    std::string List(std::int32_t index) const;
    std::int32_t ItemData(std::int32_t index) const;
    void ItemData(std::int32_t index, std::int32_t NewItemData);

    // -1 when no entry is selected. Setting i >= 0 selects entry i and
    // raises Click; setting -1 clears the selection.
    std::int32_t ListIndex() const;
    void ListIndex(std::int32_t NewListIndex);
    bool Selected(std::int32_t index) const;
    void Selected(std::int32_t index, bool NewSelected);

    // The selected entry's text, "" when none is selected.
    using Control::Text;
    std::string Text() const override;
    void Text(const std::string& NewText) override;

    // Pushes entries added since the last batch to the screen now.
    void Refresh();

private:
    void Detach() override;
    void Select(std::int32_t index);
    void CheckIndex(std::int32_t index) const;
    detail::ListModel& Model() const;
    QListView* View() const;

    detail::ListModel* model_ = nullptr;
    std::int32_t newIndex_ = -1;
    bool selecting_ = false;
};

// A push button. A disabled button ignores clicks, also those made by code.
class CommandButton : public Control {
public:
    CommandButton(Form& form, std::string name) : Control(form, std::move(name), ControlKind::CommandButton) {}
    void Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                std::int32_t width, std::int32_t height, std::int32_t tabIndex);

    EventHandler Click;

    void Caption(const std::string& NewCaption);
    std::string Caption() const;
    // Clicks the button as the user would: nothing happens when disabled.
    void Value(bool NewValue);
};

// Shows a picture unscaled from the top-left of its inner area, clipped,
// inside a sunken border.
class PictureBox : public Control {
public:
    PictureBox(Form& form, std::string name) : Control(form, std::move(name), ControlKind::PictureBox) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    // A file or a built-in resource (":/name"); an error when it cannot be read.
    void Picture(const std::string& source);
    // A picture from its bytes (JPEG, PNG, GIF ...), scaled down to fit the
    // inner area with its proportions kept; empty bytes clear the box. An
    // error when the bytes hold no picture.
    void PictureData(const std::string& bytes);
    // Size of the picture held, in pixels; 0 x 0 when none.
    std::int32_t PictureWidth() const;
    std::int32_t PictureHeight() const;
    // Size of the inner area (inside the border), in pixels.
    std::int32_t InnerWidth() const;
    std::int32_t InnerHeight() const;

private:
    detail::PictureWidget& Picture() const;
};

inline constexpr std::int32_t rtfRTF = 0;
inline constexpr std::int32_t rtfText = 1;

// Read-only rich text with a vertical scroll bar when the text is longer
// than the box. Like a printed page, it stays white with black text where
// the document sets no colour, whatever colours the desktop uses.
class RichTextBox : public Control {
public:
    RichTextBox(Form& form, std::string name) : Control(form, std::move(name), ControlKind::RichTextBox) {}
    void Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::int32_t tabIndex);

    // The font of text that the document does not format itself.
    void Font(const std::string& family, double pointSize, std::int32_t weight = 400);
    std::string FontName() const;
    double FontSize() const;

    // Replaces the whole content with the file: rtfRTF reads it as RTF,
    // rtfText as plain text. An error when the file cannot be loaded.
    // A long RTF document shows its beginning at once; the rest is read
    // between events after LoadFile returns.
    void LoadFile(const std::string& path, std::int32_t fileType = rtfRTF);
    // Whether the rest of a loaded document is still being read.
    bool Loading() const;

    // The content as plain text.
    using Control::Text;
    std::string Text() const override;
    void Text(const std::string& NewText) override;

private:
    QTextEdit* Edit() const;
};

}  // namespace orvane::toolkit
