#include "dataset_model.h"

#include "data/dataset.h"

#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>

namespace ui {

namespace {

QLocale gridLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QFont boldFont() {
    QFont font;
    font.setBold(true);
    return font;
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
}

void DatasetModel::datasetReset() {
    beginResetModel();
    takeLayout();
    endResetModel();
}

// Rows are counted at each reset, so a view never sees the count change unannounced (the
// dataset moves its current row before it reports the reset).
void DatasetModel::takeLayout() {
    fieldIndexes_.assign(size_t(columns_.size()), -1);
    rows_ = 0;
    if (!dataset_ || !dataset_->isOpen())
        return;
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
    return parent.isValid() ? 0 : rows_;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dataset_ || !dataset_->isOpen() || index.row() >= rows_ ||
        index.row() >= dataset_->recordCount())
        return {};
    const DatasetColumn& column = columns_[index.column()];
    const int field = fieldIndexes_[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return field < 0 ? QString() : displayText(dataset_->valueAt(index.row(), field));
    case ValueRole:
        return field < 0 ? QVariant() : dataset_->valueAt(index.row(), field);
    case Qt::TextAlignmentRole: {
        Qt::Alignment alignment = column.alignment.value_or(
            dataset_->isNumericField(field) ? Qt::AlignRight : Qt::AlignLeft);
        if (!(alignment & Qt::AlignVertical_Mask))
            alignment |= Qt::AlignVCenter;
        return int(alignment);
    }
    case Qt::ForegroundRole:
    case Qt::FontRole: {
        if (!column.style)
            return {};
        const CellStyle style = column.style(*dataset_, index.row());
        if (role == Qt::ForegroundRole)
            return style.textColor.isValid() ? QVariant(QBrush(style.textColor)) : QVariant();
        return style.bold ? QVariant(boldFont()) : QVariant();
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return columns_[section].title;
    case Qt::FontRole:
        return boldFont();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString DatasetModel::displayText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        // 15 significant digits: 0.1 + 0.2 reads 0,3, not 0,30000000000000004
        return gridLocale().toString(value.toDouble(), 'g', 15);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return gridLocale().toString(value.toLongLong());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("Да") : QStringLiteral("Нет");
    default: {
        // char(n) columns arrive padded with blanks
        QString text = value.toString();
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        text.truncate(end);
        return text;
    }
    }
}

void ColouredCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                           const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (!foreground.canConvert<QBrush>())
        return;
    const QBrush brush = qvariant_cast<QBrush>(foreground);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        option->palette.setBrush(group, QPalette::HighlightedText, brush);
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
    const QModelIndex index = model->index(row, column);
    if (view->currentIndex().row() != row || !view->selectionModel()->isRowSelected(row))
        view->setCurrentIndex(index);
    view->scrollTo(index);
}

} // namespace

void bindDataGrid(QTableView* view, DatasetModel* model) {
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setItemDelegate(new ColouredCellDelegate(view));
    view->setWordWrap(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);

    // The selection stays as visible when the grid has no focus.
    QPalette palette = view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    view->setPalette(palette);

    const QList<DatasetColumn>& columns = model->columns();
    for (qsizetype c = 0; c < columns.size(); ++c) {
        view->setColumnHidden(int(c), columns[c].hidden);
        if (columns[c].width > 0)
            view->setColumnWidth(int(c), columns[c].width);
        if (columns[c].stretch)
            view->horizontalHeader()->setSectionResizeMode(int(c), QHeaderView::Stretch);
    }

    QObject::connect(model, &DatasetModel::currentRowChanged, view,
                     [view, model](int row) { showCurrentRow(view, model, row); });
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        showCurrentRow(view, model, model->dataset() ? model->dataset()->currentRow() : -1);
    });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [model](const QModelIndex& current) {
                         data::Dataset* dataset = model->dataset();
                         if (current.isValid() && dataset && dataset->isOpen() &&
                             dataset->currentRow() != current.row())
                             dataset->setRecNo(current.row() + 1);
                     });
    showCurrentRow(view, model, model->dataset() ? model->dataset()->currentRow() : -1);
}

} // namespace ui
