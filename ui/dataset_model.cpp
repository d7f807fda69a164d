#include "dataset_model.h"

#include "cell_colours.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "decimal_edit.h"
#include "guard.h"
#include "number_format.h"

#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <utility>

namespace ui {

namespace {

QFont boldFont() {
    QFont font;
    font.setBold(true);
    return font;
}

// A cell's meaning as the roles the delegate reads.
QVariant styleRole(const CellStyle& style, int role) {
    const auto brush = [](const QColor& colour) {
        return colour.isValid() ? QVariant(QBrush(colour)) : QVariant();
    };
    switch (role) {
    case Qt::ForegroundRole:
        return brush(style.textColor);
    case Qt::BackgroundRole:
        return brush(style.background);
    case Qt::FontRole:
        return style.bold ? QVariant(boldFont()) : QVariant();
    default:
        return {};
    }
}

} // namespace

DatasetModel::DatasetModel(data::Dataset* dataset, QList<DatasetColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), columns_(std::move(columns)) {
    attach();
    takeLayout();
}

void DatasetModel::setDataset(data::Dataset* dataset) {
    if (dataset == dataset_)
        return;
    beginResetModel();
    for (const auto& c : connections_)
        disconnect(c);
    connections_.clear();
    dataset_ = dataset;
    attach();
    takeLayout();
    endResetModel();
    emit currentRowChanged(dataset_ ? dataset_->currentRow() : -1);
}

void DatasetModel::attach() {
    if (!dataset_)
        return;
    connections_ << connect(dataset_, &data::Dataset::reset, this, &DatasetModel::datasetReset);
    connections_ << connect(dataset_, &data::Dataset::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connections_ << connect(dataset_, &data::Dataset::currentChanged, this,
                            &DatasetModel::currentRowChanged);
    // A dataset deleted before the model leaves it with no rows, not with rows of nothing.
    connections_ << connect(dataset_, &QObject::destroyed, this, [this] {
        beginResetModel();
        connections_.clear();
        takeLayout();
        gridRow_ = -1;
        endResetModel();
        emit currentRowChanged(-1);
    });
}

void DatasetModel::datasetReset() {
    beginResetModel();
    takeLayout();
    gridRow_ = -1;
    endResetModel();
}

// Rows are counted at each reset, so a view never sees the count change unannounced (the
// dataset moves its current row, and opens or closes, before it reports the reset). The
// extra row for a new one too: it exists while the list is open.
void DatasetModel::takeLayout() {
    fieldIndexes_.assign(size_t(columns_.size()), -1);
    rows_ = 0;
    appendRow_ = false;
    if (!dataset_ || !dataset_->isOpen())
        return;
    appendRow_ = editing_.has_value();
    for (qsizetype c = 0; c < columns_.size(); ++c)
        fieldIndexes_[size_t(c)] = dataset_->fieldIndex(columns_[c].field);
    rows_ = dataset_->recordCount();
}

int DatasetModel::columnOf(const QString& field) const {
    for (qsizetype c = 0; c < columns_.size(); ++c)
        if (columns_[c].field.compare(field, Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return rows_ + (appendRow_ ? 1 : 0);
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DatasetModel::cellValue(int row, int column) const {
    const int field = fieldIndexes_[size_t(column)];
    if (field < 0)
        return {};
    if (editing_) {
        if (row == pendingRow())
            return dataset_->value(columns_[column].field);
        if (isAppendRow(row))
            return {};
    }
    return dataset_->valueAt(row, field);
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dataset_ || !dataset_->isOpen() || index.row() >= rowCount())
        return {};
    const bool storedRow = index.row() < rows_ && index.row() < dataset_->recordCount();
    if (!storedRow && !isAppendRow(index.row()))
        return {};
    const DatasetColumn& column = columns_[index.column()];
    const int field = fieldIndexes_[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole: {
        if (column.style && storedRow && column.style(*dataset_, index.row()).blank)
            return QString();
        const QVariant value = cellValue(index.row(), index.column());
        if (column.text && value.isValid() && !value.isNull())
            return column.text(value);
        return displayText(value);
    }
    case Qt::EditRole:
        // the full value, not the column's shortened text
        return displayText(cellValue(index.row(), index.column()));
    case ValueRole:
        return cellValue(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        Qt::Alignment alignment = column.alignment.value_or(
            dataset_->isNumericField(field) ? Qt::AlignRight : Qt::AlignLeft);
        if (!(alignment & Qt::AlignVertical_Mask))
            alignment |= Qt::AlignVCenter;
        return int(alignment);
    }
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole:
        if (!column.style || !storedRow)
            return {};
        return styleRole(column.style(*dataset_, index.row()), role);
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical && editing_) {
        // the row indicator: the row being changed, the current row, the row for a new one
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        if (role != Qt::DisplayRole)
            return {};
        if (section == pendingRow())
            return QStringLiteral("✎");
        if (section == gridRow_)
            return QStringLiteral("▶");
        if (isAppendRow(section))
            return QStringLiteral("*");
        return QString();
    }
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return columns_[section].title;
    case Qt::FontRole:
        return boldFont();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ForegroundRole:
        if (section < titleColours_.size() && titleColours_[section].isValid())
            return QBrush(titleColours_[section]);
        return {};
    default:
        return {};
    }
}

void DatasetModel::setTitleColour(int column, const QColor& colour) {
    if (column < 0 || column >= columns_.size())
        return;
    if (titleColours_.size() < columns_.size())
        titleColours_.resize(columns_.size());
    if (titleColours_[column] == colour)
        return;
    titleColours_[column] = colour;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (editing_ && columns_[index.column()].editable && fieldIndexes_[size_t(index.column())] >= 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

// --- editing

void DatasetModel::setEditing(Editing editing) {
    beginResetModel();
    editing_ = std::move(editing);
    takeLayout();
    endResetModel();
}

bool DatasetModel::isAppendRow(int row) const {
    return appendRow_ && row == rows_;
}

int DatasetModel::pendingRow() const {
    if (!editing_ || !dataset_)
        return -1;
    switch (dataset_->state()) {
    case data::Dataset::State::Edit:
        return dataset_->currentRow();
    case data::Dataset::State::Insert:
        return rows_;
    default:
        return -1;
    }
}

void DatasetModel::writePendingRow() {
    if (!editing_ || !dataset_ || !dataset_->modified())
        return;
    if (editing_->beforeWrite)
        editing_->beforeWrite(*dataset_);
    const int row = pendingRow();
    dataset_->post();
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    if (editing_->afterWrite)
        editing_->afterWrite(*dataset_);
    rowIndicatorsChanged();
}

void DatasetModel::setGridRow(int row) {
    if (row == gridRow_)
        return;
    gridRow_ = row;
    rowIndicatorsChanged();
}

void DatasetModel::rowIndicatorsChanged() {
    if (editing_ && rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

QVariant DatasetModel::typedValue(int column, const QVariant& typed) const {
    const QString text = typed.toString();
    switch (columns_[column].input) {
    case CellInput::Decimal:
        return text.trimmed().isEmpty() ? QVariant() : QVariant(data::toDouble(text));
    case CellInput::WholeNumber:
        return text.trimmed().isEmpty() ? QVariant() : QVariant(data::toInt64(text));
    case CellInput::Text:
        break;
    }
    return text;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable) ||
        !dataset_ || !dataset_->isOpen())
        return false;
    const int row = index.row();
    const int column = index.column();
    bool changed = false;
    runGuarded([&] {
        const QVariant typed = typedValue(column, value);
        const QVariant before = cellValue(row, column);
        const bool same =
            typed.isValid() == before.isValid() && displayText(typed) == displayText(before);
        if (same)
            return; // an edit box left unchanged does not make the row pending
        const int pending = pendingRow();
        if (pending >= 0 && pending != row)
            return; // another row waits to be written first; the grid writes it on leaving
        if (isAppendRow(row)) {
            if (dataset_->state() != data::Dataset::State::Insert)
                dataset_->append();
        } else if (dataset_->state() != data::Dataset::State::Edit) {
            if (dataset_->currentRow() != row)
                dataset_->setRecNo(row + 1);
            dataset_->edit();
        }
        dataset_->setValue(columns_[column].field, typed);
        changed = true;
    });
    if (!changed)
        return false;
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    rowIndicatorsChanged();
    return true;
}

void DatasetModel::cancelPendingRow() {
    const int row = pendingRow();
    if (row < 0)
        return;
    dataset_->cancel();
    if (row < rowCount())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    rowIndicatorsChanged();
}

QString DatasetModel::displayText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        // 15 significant digits: 0.1 + 0.2 reads 0,3, not 0,30000000000000004
        return generalNumberText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return workstationLocale().toString(value.toLongLong());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Да") : QStringLiteral("Нет");
    default:
        return data::withoutPadding(value.toString());
    }
}

void ColouredCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto colourOf = [&index](int role) {
        const QVariant value = index.data(role);
        return value.canConvert<QBrush>() ? qvariant_cast<QBrush>(value).color() : QColor();
    };
    const QColor text = colourOf(Qt::ForegroundRole);
    const QColor tint = colourOf(Qt::BackgroundRole);
    if (!text.isValid() && !tint.isValid())
        return;
    const bool selected = option->state & QStyle::State_Selected;
    if (selected && selected_ == SelectedCells::Plain) {
        option->backgroundBrush = QBrush(); // the highlight's own colours, nothing of the tint
        return;
    }
    const CellColours colours = cellColours(text, tint, selected, option->palette);
    if (!selected)
        option->backgroundBrush = colours.background;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::HighlightedText})
            option->palette.setColor(group, role, colours.text);
}

namespace {

void showCurrentRow(QTableView* view, DatasetModel* model, int row) {
    if (row < 0 || row >= model->rowCount()) {
        view->selectionModel()->clearCurrentIndex();
        view->clearSelection();
        return;
    }
    int column = 0;
    while (column < model->columnCount() - 1 && view->isColumnHidden(column))
        ++column;
    // an editable grid stays in the column it was in
    if (model->isEditing() && view->currentIndex().isValid())
        column = view->currentIndex().column();
    const QModelIndex index = model->index(row, column);
    if (view->currentIndex().row() != row || !view->selectionModel()->isRowSelected(row) ||
        model->isEditing())
        view->setCurrentIndex(index);
    view->scrollTo(index);
}

// What a column's sample and bold title need, with the margins a cell and a title have.
int sampleWidth(const QTableView* view, const DatasetColumn& column) {
    if (column.sample.isEmpty())
        return 0;
    // the style's text margins on both sides and the grid line; a title's margins
    const int cellMargins =
        2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) + 2;
    const int titleMargins =
        2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view) + 2;
    QFont titleFont = view->horizontalHeader()->font();
    titleFont.setBold(true);
    // a styled column may draw its cells bold
    QFont cellFont = view->font();
    cellFont.setBold(bool(column.style));
    return std::max(QFontMetrics(cellFont).horizontalAdvance(column.sample) + cellMargins,
                    QFontMetrics(titleFont).horizontalAdvance(column.title) + titleMargins);
}

void setUpLook(QTableView* view, DatasetModel* model) {
    view->setModel(model);
    // Tab goes on to the window's next control; the arrow keys move inside the grid.
    view->setTabKeyNavigation(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);

    // The selection stays as visible when the grid has no focus.
    QPalette palette = view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    view->setPalette(palette);

    const QList<DatasetColumn>& columns = model->columns();
    for (qsizetype c = 0; c < columns.size(); ++c) {
        view->setColumnHidden(int(c), columns[c].hidden);
        if (const int width = std::max(columns[c].width, sampleWidth(view, columns[c])); width > 0)
            view->setColumnWidth(int(c), width);
        if (columns[c].stretch)
            view->horizontalHeader()->setSectionResizeMode(int(c), QHeaderView::Stretch);
    }
}

// The dataset's current record shown as the grid's current row.
void followDataset(QTableView* view, DatasetModel* model) {
    QObject::connect(model, &DatasetModel::currentRowChanged, view,
                     [view, model](int row) { showCurrentRow(view, model, row); });
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        showCurrentRow(view, model, model->dataset() ? model->dataset()->currentRow() : -1);
    });
}

// The edit boxes of an editable grid take their column's key rule.
class CellEditDelegate : public ColouredCellDelegate {
public:
    using ColouredCellDelegate::ColouredCellDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = ColouredCellDelegate::createEditor(parent, option, index);
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        auto* box = qobject_cast<QLineEdit*>(editor);
        if (!model || !box)
            return editor;
        switch (model->columns()[index.column()].input) {
        case CellInput::Decimal:
            useDecimalKeys(box);
            break;
        case CellInput::WholeNumber:
            useWholeNumberKeys(box);
            break;
        case CellInput::Text:
            break;
        }
        return editor;
    }
};

// The grid has left the pending row: write it, then stand on the row the grid went to (found
// again by its key when the write re-read the list). A refused row stays pending and the
// grid goes back to it.
void leavePendingRow(QTableView* view, DatasetModel* model) {
    data::Dataset* dataset = model->dataset();
    const int pending = model->pendingRow();
    const QModelIndex target = view->currentIndex();
    if (!dataset || pending < 0 || !target.isValid() || target.row() == pending)
        return;
    const int column = target.column();
    const bool toAppendRow = model->isAppendRow(target.row());
    const QString keyField = model->editing()->keyField;
    QVariant key;
    if (!toAppendRow && !keyField.isEmpty() && dataset->hasField(keyField))
        key = dataset->valueAt(target.row(), dataset->fieldIndex(keyField));
    const int targetRow = target.row();

    bool written = false;
    runGuarded([&] {
        model->writePendingRow();
        written = true;
    });
    int row = -1;
    if (!written)
        row = model->pendingRow();
    else if (toAppendRow)
        row = model->rowCount() - 1;
    else if (key.isValid() && dataset->locate(keyField, key))
        row = dataset->currentRow();
    else if (targetRow < dataset->recordCount())
        row = targetRow;
    if (row < 0 || row >= model->rowCount())
        return;
    if (!model->isAppendRow(row) && dataset->currentRow() != row)
        dataset->setRecNo(row + 1);
    view->setCurrentIndex(model->index(row, column));
    view->scrollTo(model->index(row, column));
}

} // namespace

void bindDataGrid(QTableView* view, DatasetModel* model) {
    setUpLook(view, model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setItemDelegate(new ColouredCellDelegate(view));
    view->verticalHeader()->hide();

    followDataset(view, model);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [model](const QModelIndex& current) {
                         data::Dataset* dataset = model->dataset();
                         if (current.isValid() && dataset && dataset->isOpen() &&
                             dataset->currentRow() != current.row())
                             dataset->setRecNo(current.row() + 1);
                     });
    showCurrentRow(view, model, model->dataset() ? model->dataset()->currentRow() : -1);
}

void bindEditableGrid(QTableView* view, DatasetModel* model) {
    setUpLook(view, model);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    view->setItemDelegate(new CellEditDelegate(view));
    view->horizontalHeader()->setSectionsMovable(false);
    QHeaderView* indicator = view->verticalHeader();
    indicator->show();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setFixedWidth(view->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 8);
    for (int c = 0; c < model->columnCount(); ++c)
        if (!model->columns()[c].stretch)
            view->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Interactive);

    followDataset(view, model);
    QPointer<QTableView> guardedView(view);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [guardedView, model](const QModelIndex& current) {
                         model->setGridRow(current.isValid() ? current.row() : -1);
                         data::Dataset* dataset = model->dataset();
                         if (!current.isValid() || !dataset || !dataset->isOpen())
                             return;
                         const int pending = model->pendingRow();
                         if (pending >= 0) {
                             // The dataset stays on the changed row until it is written; that
                             // happens once the view has finished moving.
                             if (current.row() != pending)
                                 QMetaObject::invokeMethod(
                                     model,
                                     [guardedView, model] {
                                         if (guardedView)
                                             leavePendingRow(guardedView, model);
                                     },
                                     Qt::QueuedConnection);
                             return;
                         }
                         if (!model->isAppendRow(current.row()) &&
                             dataset->currentRow() != current.row())
                             dataset->setRecNo(current.row() + 1);
                     });
    showCurrentRow(view, model, model->dataset() ? model->dataset()->currentRow() : -1);
}

} // namespace ui
