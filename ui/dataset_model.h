#pragma once

#include "data/dataset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>
#include <vector>

class QTableView;

namespace ui {

// How one cell is drawn beyond the grid's standard way.
struct CellStyle {
    QColor textColor{}; // invalid: the standard text colour
    bool bold = false;
};

// One grid column over a dataset field.
struct DatasetColumn {
    QString field{};
    QString title{};
    // Unset: numbers to the right, everything else to the left.
    std::optional<Qt::Alignment> alignment{};
    bool hidden = false;
    int width = 0; // pixels; 0 keeps the view's default
    // Called per cell with the dataset and the visible row (0-based).
    std::function<CellStyle(const data::Dataset&, int row)> style{};
    bool stretch = false; // takes the width the other columns leave
};

// A read-only table over a dataset's visible rows, with titles bold and centred and values
// in the program's Russian formats. It follows the dataset's resets and row changes and can
// be switched to another dataset with the same columns.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The value as the dataset holds it (QVariant of the field's type).
    static constexpr int ValueRole = Qt::UserRole + 1;

    DatasetModel(data::Dataset* dataset, QList<DatasetColumn> columns, QObject* parent = nullptr);

    data::Dataset* dataset() const { return dataset_; }
    void setDataset(data::Dataset* dataset);
    const QList<DatasetColumn>& columns() const { return columns_; }
    int columnOf(const QString& field) const; // -1 when no column shows it

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a grid cell shows for a dataset value.
    static QString displayText(const QVariant& value);

signals:
    // The dataset's current row (0-based, -1 when empty) moved, or the dataset was switched.
    void currentRowChanged(int row);

private:
    void attach();
    void datasetReset();
    void takeLayout();

    QPointer<data::Dataset> dataset_;
    QList<DatasetColumn> columns_;
    std::vector<int> fieldIndexes_; // per column; -1 when the field is missing
    int rows_ = 0;
    QList<QMetaObject::Connection> connections_;
};

// Draws a cell's own text colour in the selected row too: the selection keeps its highlight
// background, the coloured text keeps its colour on it.
class ColouredCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Sets a table view up as the program's data grid over the model: whole-row selection,
// read-only, selection shown even without focus, the columns' widths and hidden flags, and
// the view's current row kept equal to the dataset's current record in both directions.
void bindDataGrid(QTableView* view, DatasetModel* model);

} // namespace ui
