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

// What one cell's look means beyond the grid's standard way. The colours are the meaning's
// (red weekend, light green overtime); the grid's delegate makes them readable on the
// palette (cell_colours.h).
struct CellStyle {
    QColor textColor{}; // invalid: the standard text colour
    bool bold = false;
    QColor background{}; // a light tint; invalid: the standard background
    bool blank = false;  // the value is not shown
};

// The key rule of a grid cell's edit box (see decimal_edit.h) and how its text is read back.
enum class CellInput {
    Text,        // as typed
    Decimal,     // decimal comma; empty text is no value
    WholeNumber, // digits only; empty text is no value
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
    // The text a cell shows for a value, when not the standard one (a fixed number of
    // decimals, for example); not called for empty cells.
    std::function<QString(const QVariant&)> text{};
    // In an editing model (DatasetModel::setEditing): the cell takes typed values.
    bool editable = false;
    CellInput input = CellInput::Text;
    // The widest usual content: the column is at least as wide as this text and as its
    // title, in the fonts the view shows them with (bold for a styled column's cells), so
    // they are not cut at any font size.
    QString sample{};
};

// A table over a dataset's visible rows, with titles bold and centred and values in the
// program's Russian formats. It follows the dataset's resets and row changes and can be
// switched to another dataset with the same columns. Read-only unless setEditing() is called.
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
    // The colour of a column's title; an invalid colour is the header's own.
    void setTitleColour(int column, const QColor& colour);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a grid cell shows for a dataset value.
    static QString displayText(const QVariant& value);

    // Editing through the grid, for an updatable dataset. A typed value goes into the
    // dataset's row (edit) or, on the extra empty row below the last one, into a new row
    // (append); the changed row is written when the grid leaves it or writePendingRow() is
    // called. A row the database refuses stays pending.
    struct Editing {
        // Finds the row the grid moved to again after afterWrite has re-read the list.
        QString keyField{};
        // Right before a pending row is written (a new row's owner, for example).
        std::function<void(data::Dataset&)> beforeWrite{};
        // Right after (re-reading the list in its order, for example).
        std::function<void(data::Dataset&)> afterWrite{};
    };
    void setEditing(Editing editing);
    bool isEditing() const { return editing_.has_value(); }
    const Editing* editing() const { return editing_ ? &*editing_ : nullptr; }
    bool isAppendRow(int row) const; // the extra empty row for a new one
    // The grid row that holds changes not yet written; -1 when there is none.
    int pendingRow() const;
    // Writes the pending row: beforeWrite, post, afterWrite. Throws DataError.
    void writePendingRow();
    // Drops the pending changes.
    void cancelPendingRow();
    // The grid's current row, shown by the row indicator (vertical header).
    void setGridRow(int row);
    int gridRow() const { return gridRow_; }

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The dataset's current row (0-based, -1 when empty) moved, or the dataset was switched.
    void currentRowChanged(int row);

private:
    void attach();
    void datasetReset();
    void takeLayout();
    // The value a cell holds: the pending changes on the row being edited.
    QVariant cellValue(int row, int column) const;
    // The typed text as the column's value; throws DataError for a malformed number.
    QVariant typedValue(int column, const QVariant& typed) const;
    void rowIndicatorsChanged();

    QPointer<data::Dataset> dataset_;
    QList<DatasetColumn> columns_;
    std::vector<int> fieldIndexes_; // per column; -1 when the field is missing
    QList<QColor> titleColours_;
    int rows_ = 0;
    bool appendRow_ = false; // the extra row for a new one, while editing an open list
    QList<QMetaObject::Connection> connections_;
    std::optional<Editing> editing_;
    int gridRow_ = -1;
};

// Draws the cells' meanings (the model's foreground and background roles) in colours that
// read on the palette, light or dark. A selected cell keeps its highlight background and, by
// default, its meaning's text colour on it; a grid whose selection shows plain
// (SelectedCells::Plain) draws a selected cell in the selection's own colours.
class ColouredCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class SelectedCells { Coloured, Plain };
    explicit ColouredCellDelegate(QObject* parent = nullptr,
                                  SelectedCells selected = SelectedCells::Coloured)
        : QStyledItemDelegate(parent), selected_(selected) {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    SelectedCells selected_;
};

// Sets a table view up as the program's data grid over the model: whole-row selection,
// read-only, selection shown even without focus, Tab leaving the grid for the next control,
// the columns' widths and hidden flags, and the view's current row kept equal to the dataset's
// current record in both directions.
void bindDataGrid(QTableView* view, DatasetModel* model);

// Sets a table view up as an editable grid over a model with setEditing(): cell selection,
// editing by typing, double-click or F2 in boxes with the columns' key rules, a row
// indicator, resizable columns, Tab leaving the grid (the arrow keys move between cells), and
// the current row kept equal to the dataset's. Leaving a changed row writes it (a refusal goes
// to the standard error box and the grid goes back to the row, still pending).
void bindEditableGrid(QTableView* view, DatasetModel* model);

} // namespace ui
