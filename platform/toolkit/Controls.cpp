#include "Controls.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <limits>

#include "Form.h"
#include "Screen.h"
#include "core/App.h"
#include "core/Error.h"
#include "core/TextFile.h"
#include "detail/ListBoxHooks.h"
#include "detail/ListModel.h"
#include "detail/RichTextEdit.h"
#include "detail/RtfLoading.h"
#include "detail/Widgets.h"
#include "rtf/RtfReader.h"

namespace orvane::toolkit {
namespace {

constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t InvalidPropertyValue = 380;
constexpr std::int32_t InvalidPropertyArrayIndex = 381;
constexpr std::int32_t NotSupportedByObject = 438;
constexpr std::int32_t InvalidPicture = 481;

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// Creates a widget owned by its container's widget.
template <class W>
W* Make(Container& container) {
    return new W(container.ContainerWidget());
}

}  // namespace

// ---------------------------------------------------------------- Control

Control::Control(Form& form, std::string name, ControlKind kind)
    : form_(form), name_(std::move(name)), kind_(kind) {}

Control::~Control() = default;

bool Control::TabStop() const {
    return kind_ != ControlKind::Frame && kind_ != ControlKind::Label;
}

QWidget* Control::Widget() const {
    if (!widget_)
        throw Error(InvalidProcedureCall, "The window \"" + form_.Caption() + "\" is not loaded: its control " +
                                              name_ + " cannot be used.");
    return widget_;
}

void Control::Place(Container& container, QWidget* widget, std::int32_t left, std::int32_t top, std::int32_t width,
                    std::int32_t height, std::int32_t tabIndex) {
    if (&container.ParentForm() != &form_)
        throw Error(InvalidProcedureCall, name_ + " cannot be placed on another window's container.");
    widget_ = widget;
    // The control's name on its widget, for accessibility tools and anything
    // that finds a control from outside the program.
    widget->setObjectName(Q(name_));
    tabIndex_ = tabIndex;
    widget->setFont(detail::UserInterfaceFont());
    if (!TabStop()) widget->setFocusPolicy(Qt::NoFocus);
    Move(left, top, width, height);
    form_.Register(*this);
}

void Control::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    QWidget* w = Widget();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    w->setGeometry(Screen::TwipsToPixelsX(left), Screen::TwipsToPixelsY(top), Screen::TwipsToPixelsX(width),
                   Screen::TwipsToPixelsY(height));
}

void Control::Enabled(bool NewEnabled) { Widget()->setEnabled(NewEnabled); }
bool Control::Enabled() const { return Widget()->isEnabled(); }
bool Control::Visible() const { return !Widget()->isHidden(); }

void Control::Text(const std::string& NewText) {
    (void)NewText;
    NotSupported("Text");
}

std::string Control::Text() const { NotSupported("Text"); }

void Control::AccessibleName(const std::string& NewAccessibleName) {
    Widget()->setAccessibleName(Q(NewAccessibleName));
}

void Control::AccessibleDescription(const std::string& NewAccessibleDescription) {
    Widget()->setAccessibleDescription(Q(NewAccessibleDescription));
}

void Control::NotSupported(const char* what) const {
    throw Error(NotSupportedByObject, std::string("Object doesn't support this property or method: ") + name_ + "." +
                                          what);
}

void Control::SetFocus() {
    QWidget* w = Widget();
    if (!w->isEnabled() || w->isHidden() || !TabStop())
        throw Error(InvalidProcedureCall, "Invalid procedure call or argument: " + name_ + " cannot take the focus.");
    w->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- Frame

void Frame::Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                   std::int32_t width, std::int32_t height, std::int32_t tabIndex) {
    auto* frame = Make<detail::FrameWidget>(container);
    frame->SetCaption(Q(caption));
    Place(container, frame, left, top, width, height, tabIndex);
}

void Frame::Caption(const std::string& NewCaption) {
    static_cast<detail::FrameWidget*>(Widget())->SetCaption(Q(NewCaption));
}
std::string Frame::Caption() const { return S(static_cast<detail::FrameWidget*>(Widget())->Caption()); }

// ---------------------------------------------------------------- Label

void Label::Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                   std::int32_t width, std::int32_t height, std::int32_t tabIndex) {
    auto* label = Make<QLabel>(container);
    label->setText(Q(caption));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(container, label, left, top, width, height, tabIndex);
}

void Label::Caption(const std::string& NewCaption) {
    auto* label = static_cast<QLabel*>(Widget());
    label->setText(Q(NewCaption));
    if (QWidget* field = label->buddy()) field->setAccessibleName(label->text());
}

void Label::LabelFor(Control& field) {
    auto* label = static_cast<QLabel*>(Widget());
    QWidget* target = field.Widget();
    // A caption without '&' gives the buddy no shortcut.
    label->setBuddy(target);
    target->setAccessibleName(label->text());
}

std::string Label::Caption() const { return S(static_cast<QLabel*>(Widget())->text()); }

// ---------------------------------------------------------------- TextBox

void TextBox::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height, std::int32_t tabIndex) {
    auto* edit = Make<QLineEdit>(container);
    edit->setMaxLength(std::numeric_limits<int>::max());
    Place(container, edit, left, top, width, height, tabIndex);
}

void TextBox::Text(const std::string& NewText) { static_cast<QLineEdit*>(Widget())->setText(Q(NewText)); }
std::string TextBox::Text() const { return S(static_cast<QLineEdit*>(Widget())->text()); }

// ---------------------------------------------------------------- ComboBox

void ComboBox::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height, std::int32_t tabIndex) {
    auto* box = Make<QComboBox>(container);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // the typed text stays as typed
    box->setMaxVisibleItems(8);
    box->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    Place(container, box, left, top, width, height, tabIndex);
}

QComboBox* ComboBox::Box() const { return static_cast<QComboBox*>(Widget()); }

void ComboBox::Clear() {
    QComboBox* box = Box();
    const QString text = box->currentText();
    box->clear();
    box->setEditText(text);
}

void ComboBox::AddItem(const std::string& item) { AddItems({item}); }

// One insertion for all of them: the box recomputes its size and tells its
// popup once, not once per entry.
void ComboBox::AddItems(const std::vector<std::string>& items) {
    if (items.empty()) return;
    QComboBox* box = Box();
    const bool first = box->count() == 0;
    const QString text = box->currentText();
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) texts.append(Q(item));
    box->addItems(texts);
    // The first entry would otherwise become the current one and its text.
    if (first) {
        box->setCurrentIndex(-1);
        box->setEditText(text);
    }
}

std::int32_t ComboBox::ListCount() const { return Box()->count(); }

std::string ComboBox::List(std::int32_t index) const {
    QComboBox* box = Box();
    if (index < 0 || index >= box->count()) return {};
    return S(box->itemText(index));
}

std::int32_t ComboBox::ListIndex() const {
    QComboBox* box = Box();
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void ComboBox::Text(const std::string& NewText) {
    QComboBox* box = Box();
    const QString text = Q(NewText);
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    box->setEditText(text);
}

std::string ComboBox::Text() const { return S(Box()->currentText()); }

// ---------------------------------------------------------------- ListBox

void ListBox::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height, std::int32_t tabIndex) {
    auto* view = Make<QListView>(container);
    model_ = new detail::ListModel(view);
    view->setModel(model_);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    newIndex_ = -1;
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, view,
                     [this](const QItemSelection& selected, const QItemSelection&) {
                         // Not while code selects, nor while the window is going.
                         if (selecting_ || selected.isEmpty() || !Exists()) return;
                         Events::Raise(Click);
                     });
    detail::InstallListBoxHooks(*this, view);
    Place(container, view, left, top, width, height, tabIndex);
}

void ListBox::Detach() {
    model_ = nullptr;
    Control::Detach();
}

QListView* ListBox::View() const { return static_cast<QListView*>(Widget()); }

detail::ListModel& ListBox::Model() const {
    Widget();  // a clear error when the window is not loaded
    return *model_;
}

void ListBox::Clear() {
    Model().Clear();
    newIndex_ = -1;
}

void ListBox::AddItem(std::string_view item) {
    detail::ListModel& model = Model();
    model.Append(item);
    newIndex_ = model.Count() - 1;
}

std::int32_t ListBox::ListCount() const { return Model().Count(); }
std::int32_t ListBox::NewIndex() const { return newIndex_; }

void ListBox::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= Model().Count())
        throw Error(InvalidPropertyArrayIndex, "Invalid property array index: " + Name() + " has no entry " +
                                                   std::to_string(index) + ".");
}

std::string ListBox::List(std::int32_t index) const {
    if (index < 0 || index >= Model().Count()) return {};
    return std::string(Model().TextAt(index));
}

std::int32_t ListBox::ItemData(std::int32_t index) const {
    CheckIndex(index);
    return Model().ItemDataAt(index);
}

// Set once per entry as a list is filled: the model is looked up once.
void ListBox::ItemData(std::int32_t index, std::int32_t NewItemData) {
    detail::ListModel& model = Model();
    if (index < 0 || index >= model.Count()) CheckIndex(index);
    model.SetItemData(index, NewItemData);
}

std::int32_t ListBox::ListIndex() const {
    const QModelIndexList rows = View()->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ListBox::ListIndex(std::int32_t NewListIndex) {
    if (NewListIndex < -1 || NewListIndex >= Model().Count())
        throw Error(InvalidPropertyValue, "Invalid property value: " + Name() + " has no entry " +
                                              std::to_string(NewListIndex) + ".");
    if (NewListIndex == -1) {
        QListView* view = View();
        selecting_ = true;
        view->selectionModel()->clearSelection();
        view->selectionModel()->clearCurrentIndex();
        selecting_ = false;
        return;
    }
    Select(NewListIndex);
}

bool ListBox::Selected(std::int32_t index) const {
    CheckIndex(index);
    return ListIndex() == index;
}

void ListBox::Selected(std::int32_t index, bool NewSelected) {
    CheckIndex(index);
    if (NewSelected)
        Select(index);
    else if (ListIndex() == index)
        ListIndex(-1);
}

void ListBox::Select(std::int32_t index) {
    detail::ListModel& model = Model();
    QListView* view = View();
    model.Flush();
    const QModelIndex row = model.index(index);
    {
        struct Quiet {
            bool& flag;
            explicit Quiet(bool& f) : flag(f) { flag = true; }
            ~Quiet() { flag = false; }
        } quiet(selecting_);
        view->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
        view->scrollTo(row);
    }
    Events::Raise(Click);
}

std::string ListBox::Text() const {
    const std::int32_t index = ListIndex();
    return index < 0 ? std::string() : std::string(Model().TextAt(index));
}

void ListBox::Text(const std::string& NewText) {
    (void)NewText;
    NotSupported("Text");
}

void ListBox::Refresh() { Model().Flush(); }

// ---------------------------------------------------------------- CommandButton

void CommandButton::Create(Container& container, const std::string& caption, std::int32_t left, std::int32_t top,
                           std::int32_t width, std::int32_t height, std::int32_t tabIndex) {
    auto* button = Make<QPushButton>(container);
    button->setText(Q(caption));
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Events::Raise(Click); });
    Place(container, button, left, top, width, height, tabIndex);
}

void CommandButton::Caption(const std::string& NewCaption) {
    static_cast<QPushButton*>(Widget())->setText(Q(NewCaption));
}
std::string CommandButton::Caption() const { return S(static_cast<QPushButton*>(Widget())->text()); }

void CommandButton::Value(bool NewValue) {
    // QAbstractButton::click does nothing on a disabled button.
    if (NewValue) static_cast<QPushButton*>(Widget())->click();
}

// ---------------------------------------------------------------- PictureBox

void PictureBox::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                        std::int32_t height, std::int32_t tabIndex) {
    Place(container, Make<detail::PictureWidget>(container), left, top, width, height, tabIndex);
}

detail::PictureWidget& PictureBox::Picture() const { return *static_cast<detail::PictureWidget*>(Widget()); }

void PictureBox::Picture(const std::string& source) {
    detail::PictureWidget& widget = Picture();
    const std::string path = source.starts_with(":") ? source : App::NativePath(source);
    QImage image;
    if (!image.load(Q(path))) throw Error(InvalidPicture, "Invalid picture: " + source + " cannot be read.");
    widget.SetImage(std::move(image));
}

void PictureBox::PictureData(const std::string& bytes) {
    detail::PictureWidget& widget = Picture();
    if (bytes.empty()) {
        widget.SetImage(QImage());
        return;
    }
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
        throw Error(InvalidPicture, "Invalid picture: the data of " + Name() + " holds no picture this program can show.");
    const QSize room = widget.contentsRect().size();
    if (image.width() > room.width() || image.height() > room.height())
        image = image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    widget.SetImage(std::move(image));
}

std::int32_t PictureBox::PictureWidth() const { return Picture().Image().width(); }
std::int32_t PictureBox::PictureHeight() const { return Picture().Image().height(); }
std::int32_t PictureBox::InnerWidth() const { return Picture().contentsRect().width(); }
std::int32_t PictureBox::InnerHeight() const { return Picture().contentsRect().height(); }

// ---------------------------------------------------------------- RichTextBox

void RichTextBox::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height, std::int32_t tabIndex) {
    auto* edit = Make<detail::RichTextEdit>(container);
    edit->setReadOnly(true);
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    edit->setTabChangesFocus(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    edit->setLineWrapMode(QTextEdit::WidgetWidth);
    edit->setFocusPolicy(Qt::StrongFocus);
    // Documents bring their own dark headings: on a dark desktop palette
    // they would stand on dark grey. Only these two roles are fixed; the
    // scroll bars and the selection follow the palette.
    QPalette page = edit->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        page.setColor(group, QPalette::Base, Qt::white);
        page.setColor(group, QPalette::Text, Qt::black);
    }
    edit->setPalette(page);
    Place(container, edit, left, top, width, height, tabIndex);
}

QTextEdit* RichTextBox::Edit() const { return static_cast<QTextEdit*>(Widget()); }

void RichTextBox::Font(const std::string& family, double pointSize, std::int32_t weight) {
    QTextEdit* edit = Edit();
    QFont font(Q(family));
    font.setPointSizeF(pointSize);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    edit->setFont(font);
    edit->document()->setDefaultFont(font);
}

std::string RichTextBox::FontName() const { return S(Edit()->document()->defaultFont().family()); }
double RichTextBox::FontSize() const { return Edit()->document()->defaultFont().pointSizeF(); }

void RichTextBox::LoadFile(const std::string& path, std::int32_t fileType) {
    QTextEdit* edit = Edit();
    QTextDocument& document = *edit->document();
    detail::RtfLoading::Stop(document);
    if (fileType == rtfRTF) {
        // A new document: the box lays it out in steps as it shows it, not
        // all at once, and what a long one holds past its beginning is read
        // between events after the window has shown that beginning.
        QPointer<QTextDocument> previous(&document);  // the box deletes the document it made itself
        rtf::RtfLoad load = rtf::BeginRtfDocument(path, document, rtf::RtfStepReader::kFirstStep);
        QTextDocument* loaded = load.document.release();
        loaded->setParent(edit);
        if (load.rest) new detail::RtfLoading(*loaded, std::move(load.rest));
        edit->setDocument(loaded);
        if (previous && previous->parent() == edit) delete previous.data();  // one loaded before
    } else if (fileType == rtfText) {
        TextFile file(App::NativePath(path));
        QString text;
        while (!file.AtEndOfFile()) {
            text += Q(file.ReadLine());
            if (!file.AtEndOfFile()) text += '\n';
        }
        document.setPlainText(text);
    } else {
        throw Error(InvalidPropertyValue, "Invalid property value: file type " + std::to_string(fileType) + ".");
    }
    edit->moveCursor(QTextCursor::Start);
    edit->verticalScrollBar()->setValue(0);
}

std::string RichTextBox::Text() const { return S(Edit()->toPlainText()); }
void RichTextBox::Text(const std::string& NewText) {
    detail::RtfLoading::Stop(*Edit()->document());
    Edit()->setPlainText(Q(NewText));
}

bool RichTextBox::Loading() const { return detail::RtfLoading::Active(*Edit()->document()); }

}  // namespace orvane::toolkit
