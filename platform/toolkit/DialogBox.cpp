#include "DialogBox.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "core/Error.h"
#include "detail/Runtime.h"

namespace orvane::toolkit {
namespace {

// A value without blanks (an address) keeps to one line and the dialog
// grows to fit it; a sentence (a message) wraps, so a long one never
// pushes the dialog off the screen.
constexpr int kFieldWidth = 280;

bool WrapsValue(const std::string& value) { return value.find(' ') != std::string::npos; }

QString Q(const std::string& text) { return QString::fromStdString(text); }

QLabel* PlainLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(Q(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

}  // namespace

struct DialogBox::Impl {
    QDialog dialog;
    QVBoxLayout* layout = nullptr;
    QFormLayout* form = nullptr;  // the current run of captioned rows
    QHBoxLayout* actions = nullptr;
    QHBoxLayout* closers = nullptr;
    std::map<std::string, QLineEdit*> fields;
    std::map<std::string, QLabel*> values;
    std::map<std::string, QComboBox*> choices;
    std::vector<EventHandler> handlers;  // kept alive for the buttons

    explicit Impl(QWidget* parent) : dialog(parent) {}

    // A row of the current run of captioned rows ("Caption:" and the
    // widget), the run begun above the buttons when there is none yet.
    void AddCaptionedRow(const std::string& caption, QWidget* widget, QWidget* buddy = nullptr) {
        if (!buddy) {
            buddy = widget;
            widget->setObjectName(Q(caption));
        }
        auto* label = new QLabel(Q(caption + ":"), &dialog);
        label->setBuddy(buddy);
        if (!form) {
            form = new QFormLayout;
            form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
            layout->insertLayout(layout->count() - 2, form);
        }
        form->addRow(label, widget);
    }

    // A button that runs handler through the event layer and leaves the dialog open.
    QPushButton* ActionButton(const std::string& caption, EventHandler handler) {
        auto* button = new QPushButton(Q(caption), &dialog);
        button->setAutoDefault(false);
        handlers.push_back(std::move(handler));
        const std::size_t index = handlers.size() - 1;
        QObject::connect(button, &QPushButton::clicked, &dialog, [this, index] {
            const EventHandler action = handlers[index];
            Events::Raise(action);
        });
        return button;
    }
};

DialogBox::DialogBox(const std::string& title) : impl_(std::make_unique<Impl>(QApplication::activeWindow())) {
    QDialog& dialog = impl_->dialog;
    dialog.setObjectName(QStringLiteral("orvaneDialog"));
    dialog.setWindowTitle(Q(title));
    dialog.setWindowModality(Qt::ApplicationModal);
    impl_->layout = new QVBoxLayout(&dialog);
    impl_->layout->setSizeConstraint(QLayout::SetMinimumSize);
    auto* bottom = new QHBoxLayout;
    impl_->actions = new QHBoxLayout;
    impl_->closers = new QHBoxLayout;
    bottom->addLayout(impl_->actions);
    bottom->addStretch();
    bottom->addLayout(impl_->closers);
    // The buttons stay last, whatever is added after this.
    impl_->layout->addStretch();
    impl_->layout->addLayout(bottom);
}

DialogBox::~DialogBox() = default;

void DialogBox::AddText(const std::string& text) {
    impl_->form = nullptr;
    QLabel* label = PlainLabel(text, &impl_->dialog);
    label->setMinimumWidth(360);
    impl_->layout->insertWidget(impl_->layout->count() - 2, label);
}

void DialogBox::AddTextField(const std::string& caption, const std::string& text, bool secret) {
    auto* edit = new QLineEdit(Q(text), &impl_->dialog);
    edit->setMinimumWidth(kFieldWidth);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    impl_->AddCaptionedRow(caption, edit);
    impl_->fields[caption] = edit;
}

void DialogBox::AddTextField(const std::string& caption, const std::string& text, const std::string& button,
                             EventHandler handler) {
    auto* row = new QWidget(&impl_->dialog);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto* edit = new QLineEdit(Q(text), row);
    edit->setObjectName(Q(caption));
    edit->setMinimumWidth(kFieldWidth);
    line->addWidget(edit);
    line->addWidget(impl_->ActionButton(button, std::move(handler)));
    impl_->AddCaptionedRow(caption, row, edit);
    impl_->fields[caption] = edit;
}

void DialogBox::AddChoice(const std::string& caption, const std::vector<std::string>& entries, std::int32_t selected,
                          const std::string& value, EventHandler onChange) {
    auto* cell = new QWidget(&impl_->dialog);
    auto* column = new QVBoxLayout(cell);
    column->setContentsMargins(0, 0, 0, 0);
    auto* box = new QComboBox(cell);
    box->setObjectName(Q(caption));
    box->setAccessibleName(Q(caption));
    column->addWidget(box);
    QLabel* shown = PlainLabel(value, cell);
    shown->setObjectName(Q(caption));
    shown->setWordWrap(WrapsValue(value));
    column->addWidget(shown);
    impl_->AddCaptionedRow(caption, cell, box);
    impl_->choices[caption] = box;
    impl_->values[caption] = shown;
    shown->setAccessibleName(Q(caption + ": " + value));
    Choices(caption, entries, selected);
    impl_->handlers.push_back(std::move(onChange));
    const std::size_t index = impl_->handlers.size() - 1;
    // Only the user's choice runs the handler, not the program's own Choices.
    QObject::connect(box, &QComboBox::activated, &impl_->dialog, [this, index](int) {
        const EventHandler action = impl_->handlers[index];
        Events::Raise(action);
    });
}

void DialogBox::AddValue(const std::string& caption, const std::string& value) {
    QLabel* shown = PlainLabel(value, &impl_->dialog);
    shown->setWordWrap(WrapsValue(value));
    impl_->AddCaptionedRow(caption, shown);
    impl_->values[caption] = shown;
}

void DialogBox::AddTable(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows) {
    impl_->form = nullptr;
    // A real table, so that a screen reader says each cell with its column's
    // header ("On the server: There") and can move by row and column.
    auto* table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(header.size()), &impl_->dialog);
    table->setObjectName(QStringLiteral("table"));
    table->setAccessibleName(QString::fromStdString(header.empty() ? std::string() : header.front()));
    QStringList captions;
    for (const std::string& caption : header) captions << Q(caption);
    table->setHorizontalHeaderLabels(captions);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(true);
    table->setTabKeyNavigation(false);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size() && c < header.size(); ++c)
            table->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(Q(rows[r][c])));
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeColumnsToContents();
    for (int c = 0; c < table->columnCount(); ++c)
        table->setColumnWidth(c, std::clamp(table->columnWidth(c), c == 0 ? 90 : 160, 320));
    table->resizeRowsToContents();
    // Tall and wide enough for every row without a scroll bar, up to a screenful.
    int height = table->horizontalHeader()->height() + 2 * table->frameWidth();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    int width = 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    table->setMinimumSize(std::min(width, 900), std::min(height, 480));
    if (!rows.empty()) table->setCurrentCell(0, 0);
    impl_->layout->insertWidget(impl_->layout->count() - 2, table);
}

void DialogBox::AddActionButton(const std::string& caption, EventHandler handler) {
    impl_->actions->addWidget(impl_->ActionButton(caption, std::move(handler)));
}

void DialogBox::CloseButtons(const std::vector<std::string>& captions) {
    for (std::size_t i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(Q(captions[i]), &impl_->dialog);
        button->setDefault(i == 0);
        button->setAutoDefault(i == 0);
        QObject::connect(button, &QPushButton::clicked, &impl_->dialog,
                         [this, i] { impl_->dialog.done(static_cast<int>(i) + 1); });
        impl_->closers->addWidget(button);
    }
}

std::int32_t DialogBox::Show() {
    detail::ModalScope modal;
    return impl_->dialog.exec() - 1;
}

void DialogBox::Close(std::int32_t answer) { impl_->dialog.done(answer + 1); }

std::string DialogBox::Field(const std::string& caption) const {
    const auto field = impl_->fields.find(caption);
    if (field == impl_->fields.end()) throw Error(5, "The dialog has no field " + caption);
    return field->second->text().toStdString();
}

void DialogBox::Field(const std::string& caption, const std::string& text) {
    const auto field = impl_->fields.find(caption);
    if (field == impl_->fields.end()) throw Error(5, "The dialog has no field " + caption);
    field->second->setText(Q(text));
}

void DialogBox::Value(const std::string& caption, const std::string& value) {
    const auto shown = impl_->values.find(caption);
    if (shown == impl_->values.end()) throw Error(5, "The dialog has no value " + caption);
    shown->second->setText(Q(value));
    shown->second->setWordWrap(WrapsValue(value));
    // The value under a choice list is read under the list's caption.
    if (impl_->choices.count(caption)) shown->second->setAccessibleName(Q(caption + ": " + value));
    if (!WrapsValue(value)) {
        impl_->dialog.layout()->invalidate();
        impl_->dialog.adjustSize();
        // The layout may settle on the value's least width: widen by what it lacks.
        impl_->dialog.layout()->activate();
        const int lacking = shown->second->sizeHint().width() - shown->second->width();
        if (lacking > 0) impl_->dialog.resize(impl_->dialog.width() + lacking, impl_->dialog.height());
        return;
    }
    // A wrapped message keeps the dialog's width and takes the lines it
    // needs, as wide as the fields beside it.
    shown->second->setMinimumWidth(kFieldWidth);
    QLayout* layout = impl_->dialog.layout();
    layout->activate();
    const int width = impl_->dialog.width();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : layout->totalSizeHint().height();
    impl_->dialog.resize(width, std::max(impl_->dialog.height(), height));
}

void DialogBox::Placeholder(const std::string& caption, const std::string& hint) {
    const auto field = impl_->fields.find(caption);
    if (field == impl_->fields.end()) throw Error(5, "The dialog has no field " + caption);
    field->second->setPlaceholderText(Q(hint));
}

std::int32_t DialogBox::Choice(const std::string& caption) const {
    const auto box = impl_->choices.find(caption);
    if (box == impl_->choices.end()) throw Error(5, "The dialog has no choice list " + caption);
    return box->second->currentIndex();
}

void DialogBox::Choices(const std::string& caption, const std::vector<std::string>& entries, std::int32_t selected) {
    const auto box = impl_->choices.find(caption);
    if (box == impl_->choices.end()) throw Error(5, "The dialog has no choice list " + caption);
    box->second->clear();
    for (const std::string& entry : entries) box->second->addItem(Q(entry));
    box->second->setCurrentIndex(selected);
    box->second->setEnabled(entries.size() > 1);
}

}  // namespace orvane::toolkit
