#include "EditControls.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "Screen.h"
#include "core/Error.h"

namespace orvane::toolkit {
namespace {

constexpr std::int32_t InvalidPropertyArrayIndex = 381;

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// The kind column's editor: a list of kinds that also takes a typed label.
class KindDelegate : public QStyledItemDelegate {
public:
    KindDelegate(QStringList kinds, QObject* parent) : QStyledItemDelegate(parent), kinds_(std::move(kinds)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(kinds_);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setEditText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText().trimmed(), Qt::EditRole);
    }

private:
    QStringList kinds_;
};

QTableWidgetItem* MarkItem(bool preferred) {
    auto* item = new QTableWidgetItem();
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(preferred ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

namespace {

// The grid's table: an edit still open in a cell (Ctrl+Enter saves
// without leaving it) is taken before the rows are read.
class GridTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    void CommitOpenEditor() {
        if (state() != QAbstractItemView::EditingState) return;
        if (QWidget* editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

}  // namespace

// ---------------------------------------------------------------- TextArea

void TextArea::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height, std::int32_t tabIndex) {
    auto* edit = new QPlainTextEdit(container.ContainerWidget());
    edit->setTabChangesFocus(true);
    Place(container, edit, left, top, width, height, tabIndex);
}

void TextArea::Text(const std::string& NewText) { static_cast<QPlainTextEdit*>(Widget())->setPlainText(Q(NewText)); }
std::string TextArea::Text() const { return S(static_cast<QPlainTextEdit*>(Widget())->toPlainText()); }

// ---------------------------------------------------------------- EntryGrid

namespace {
GridTable* Table(const Control& control) { return static_cast<GridTable*>(control.Widget()); }
}  // namespace

void EntryGrid::Create(Container& container, std::int32_t left, std::int32_t top, std::int32_t width,
                       std::int32_t height, std::int32_t tabIndex) {
    auto* table = new GridTable(container.ContainerWidget());
    table->setTabKeyNavigation(false);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(false);
    table->setWordWrap(false);
    // One preferred entry at most: a new mark takes the others away.
    QObject::connect(table, &QTableWidget::itemChanged, table, [table](QTableWidgetItem* item) {
        if (item->column() != table->columnCount() - 1 || item->checkState() != Qt::Checked) return;
        const QSignalBlocker blocker(table);
        for (int row = 0; row < table->rowCount(); ++row)
            if (row != item->row())
                if (QTableWidgetItem* other = table->item(row, item->column())) other->setCheckState(Qt::Unchecked);
        table->viewport()->update();
    });
    Place(container, table, left, top, width, height, tabIndex);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 3);
    table->horizontalHeader()->setFont(table->font());
}

void EntryGrid::Columns(const std::vector<std::string>& headers, const std::vector<std::int32_t>& widths,
                        const std::vector<std::string>& kinds) {
    QTableWidget* table = Table(*this);
    QStringList labels;
    for (const std::string& header : headers) labels << Q(header);
    labels << QStringLiteral("Preferred");
    table->setColumnCount(static_cast<int>(labels.size()));
    table->setHorizontalHeaderLabels(labels);
    for (std::size_t i = 0; i < widths.size() && i < headers.size(); ++i)
        table->setColumnWidth(static_cast<int>(i), Screen::TwipsToPixelsX(widths[i]));
    table->horizontalHeader()->setSectionResizeMode(static_cast<int>(headers.size()), QHeaderView::Stretch);
    QStringList kindList;
    for (const std::string& kind : kinds) kindList << Q(kind);
    table->setItemDelegateForColumn(0, new KindDelegate(kindList, table));
    table->setProperty("orvaneFirstKind", kindList.value(0));
}

void EntryGrid::Rows(const std::vector<GridRow>& rows) {
    QTableWidget* table = Table(*this);
    const QSignalBlocker blocker(table);
    table->setRowCount(0);
    const int textColumns = table->columnCount() - 1;
    for (const GridRow& row : rows) {
        const int r = table->rowCount();
        table->insertRow(r);
        for (int c = 0; c < textColumns; ++c)
            table->setItem(r, c, new QTableWidgetItem(c < static_cast<int>(row.cells.size()) ? Q(row.cells[c]) : QString()));
        table->setItem(r, textColumns, MarkItem(row.preferred));
    }
}

std::vector<GridRow> EntryGrid::Rows() const {
    GridTable* table = Table(*this);
    table->CommitOpenEditor();
    std::vector<GridRow> rows;
    const int textColumns = table->columnCount() - 1;
    for (int r = 0; r < table->rowCount(); ++r) {
        GridRow row;
        for (int c = 0; c < textColumns; ++c) row.cells.push_back(table->item(r, c) ? S(table->item(r, c)->text()) : "");
        row.preferred = table->item(r, textColumns) && table->item(r, textColumns)->checkState() == Qt::Checked;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::int32_t EntryGrid::RowCount() const { return Table(*this)->rowCount(); }

std::int32_t EntryGrid::CurrentRow() const { return Table(*this)->currentRow(); }

void EntryGrid::CurrentRow(std::int32_t row) {
    QTableWidget* table = Table(*this);
    if (row < 0 || row >= table->rowCount())
        throw Error(InvalidPropertyArrayIndex, "Invalid property array index: " + Name() + " has no row " + std::to_string(row) + ".");
    table->setCurrentCell(row, table->columnCount() > 2 ? 1 : 0);
}

void EntryGrid::AddRow() {
    QTableWidget* table = Table(*this);
    const int r = table->rowCount();
    const int textColumns = table->columnCount() - 1;
    {
        const QSignalBlocker blocker(table);
        table->insertRow(r);
        table->setItem(r, 0, new QTableWidgetItem(table->property("orvaneFirstKind").toString()));
        for (int c = 1; c < textColumns; ++c) table->setItem(r, c, new QTableWidgetItem());
        table->setItem(r, textColumns, MarkItem(false));
    }
    table->setCurrentCell(r, textColumns > 1 ? 1 : 0);
    table->scrollToItem(table->item(r, 0));
}

void EntryGrid::RemoveRow() {
    QTableWidget* table = Table(*this);
    const int r = table->currentRow();
    if (r < 0) return;
    table->removeRow(r);
    if (table->rowCount() > 0) table->setCurrentCell(std::min(r, table->rowCount() - 1), table->currentColumn());
}

void EntryGrid::Cell(std::int32_t row, std::int32_t column, const std::string& text) {
    QTableWidget* table = Table(*this);
    if (row < 0 || row >= table->rowCount() || column < 0 || column >= table->columnCount() - 1)
        throw Error(InvalidPropertyArrayIndex, "Invalid property array index: " + Name() + " has no cell there.");
    table->item(row, column)->setText(Q(text));
}

std::string EntryGrid::Cell(std::int32_t row, std::int32_t column) const {
    QTableWidget* table = Table(*this);
    if (row < 0 || row >= table->rowCount() || column < 0 || column >= table->columnCount() - 1)
        throw Error(InvalidPropertyArrayIndex, "Invalid property array index: " + Name() + " has no cell there.");
    return S(table->item(row, column)->text());
}

void EntryGrid::Preferred(std::int32_t row, bool NewPreferred) {
    QTableWidget* table = Table(*this);
    if (row < 0 || row >= table->rowCount())
        throw Error(InvalidPropertyArrayIndex, "Invalid property array index: " + Name() + " has no row " + std::to_string(row) + ".");
    table->item(row, table->columnCount() - 1)->setCheckState(NewPreferred ? Qt::Checked : Qt::Unchecked);
}

}  // namespace orvane::toolkit
