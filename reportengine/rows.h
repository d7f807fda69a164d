#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

namespace report {

// What the engine reads of its rows: already sorted, fields by name without regard to case.
class Rows {
public:
    virtual ~Rows() = default;
    virtual int rowCount() const = 0;
    virtual int fieldIndex(const QString& name) const = 0; // -1 when there is none
    virtual QVariant value(int row, int column) const = 0;
    virtual bool isNull(int row, int column) const = 0;
};

// Rows held in memory, for reports over values computed in the program.
class TableRows : public Rows {
public:
    explicit TableRows(QStringList fields) : fields_(std::move(fields)) {}
    void append(std::vector<QVariant> row) { rows_.push_back(std::move(row)); }

    int rowCount() const override { return int(rows_.size()); }
    int fieldIndex(const QString& name) const override;
    QVariant value(int row, int column) const override;
    bool isNull(int row, int column) const override { return value(row, column).isNull(); }

private:
    QStringList fields_;
    std::vector<std::vector<QVariant>> rows_;
};

} // namespace report
