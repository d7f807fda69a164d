#pragma once

#include "filter_expression.h"
#include "statement.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace data {

class Connection;

// A query read as a snapshot: open() fetches the whole result once; later changes in the
// database show only after close() and open(). Fields by name without regard to case,
// named parameters, record numbers (1-based), a client-side filter, and for updatable
// datasets insert/edit/post/delete of the current row written at once by key.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(Connection* connection, const QString& name = {}, QObject* parent = nullptr);
    ~Dataset() override;

    // --- statement and parameters
    void setSql(const QStringList& lines); // joined by line breaks
    void setSql(const QString& text);
    QString sql() const { return sql_; }
    void setParam(const QString& name, const QVariant& value);
    void setParams(const Parameters& params) { params_ = params; }
    QVariant param(const QString& name) const { return params_.value(name); }

    // --- open / close
    void open();
    void close();
    bool isOpen() const { return state_ != State::Inactive; }
    // Close and open again with the same statement, parameters and filter.
    void requery();
    State state() const { return state_; }

    // --- fields
    int fieldCount() const { return int(columns_.size()); }
    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const; // -1 when there is none
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    bool isNumericField(int column) const;

    // Values of the current record; a missing field is a DataError.
    QVariant value(const QString& field) const;
    QString asString(const QString& field) const;
    int asInt(const QString& field) const;       // null reads 0
    qint64 asInt64(const QString& field) const;  // null reads 0
    double asDouble(const QString& field) const; // null reads 0
    QDate asDate(const QString& field) const;
    QDateTime asDateTime(const QString& field) const;
    bool isNull(const QString& field) const;

    // Values of a visible row (0-based) for grids.
    QVariant valueAt(int row, int column) const;
    QString textAt(int row, int column) const;
    bool isNullAt(int row, int column) const;

    // --- navigation over the visible (filtered) rows
    int recordCount() const { return int(visible_.size()); }
    bool isEmpty() const { return visible_.empty(); }
    int recNo() const { return visible_.empty() ? 0 : current_ + 1; }
    void setRecNo(int recNo); // clamped to the rows there are
    int currentRow() const { return visible_.empty() ? -1 : current_; }
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    // Moves to the first visible row whose field equals value; false leaves the position.
    bool locate(const QString& field, const QVariant& value);

    // --- client-side filter
    void setFilter(const QString& expression);
    QString filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // --- updates (only after setUpdateTable)
    void setUpdateTable(const QString& table, const QString& keyField);
    void append();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void post();
    void cancel();
    void remove();
    bool modified() const { return state_ == State::Edit || state_ == State::Insert; }

    const QString& name() const { return name_; }

signals:
    // The rows were replaced (open, close, requery, filter) — grids reset.
    void reset();
    // One visible row changed its values.
    void rowChanged(int row);
    void currentChanged(int row);

private:
    struct ExtraRow {
        std::vector<std::optional<QByteArray>> cells;
    };
    class RowSource;

    // handle >= 0: row of the fetched result; < 0: -(index+1) into extra_
    const char* cellData(int handle, int column, int* length) const;
    bool cellNull(int handle, int column) const;
    int requireField(const QString& field) const;
    int currentHandle() const;
    void rebuildVisible();
    // Re-filters; a bad filter is undone (the list stays unfiltered) and rethrown.
    void applyFilter(const std::function<void()>& undo);
    void setCurrent(int row);
    QVariant convert(int column, const char* text, int length) const;
    void requireUpdatable() const;
    ExtraRow rowCopy(int handle) const;
    // post() in steps: the fields setValue() touched since edit() or append() (their values
    // are :p1, :p2, ... in column order), the statement, the row as the database stored it
    // (generated keys, defaults, triggers) taking the place of the edited one
    std::vector<size_t> touchedColumns() const;
    Parameters touchedValues(const std::vector<size_t>& touched) const;
    QString insertStatement(const std::vector<size_t>& touched) const;
    QString updateStatement(const std::vector<size_t>& touched) const; // by :key_
    QString currentKey() const;
    ExtraRow storedRow(const PGresult* result) const;
    void keepPosted(ExtraRow stored);

    Connection* connection_;
    QString name_;
    QString sql_;
    ParsedSql parsed_;
    bool parsedValid_ = false;
    Parameters params_;

    State state_ = State::Inactive;
    ResultPtr result_;
    struct Column {
        QString name;
        QString lowerName;
        unsigned int type;
    };
    std::vector<Column> columns_;
    std::vector<int> rows_; // handles of all rows in order
    std::vector<ExtraRow> extra_;
    std::vector<int> visible_; // indexes into rows_
    int current_ = 0;
    bool eof_ = true;
    bool bof_ = true;

    QString filterText_;
    bool filtered_ = false;
    std::optional<FilterExpression> compiledFilter_;

    QString updateTable_;
    QString keyField_;
    ExtraRow editBuffer_;
    std::vector<bool> editTouched_;
};

} // namespace data
