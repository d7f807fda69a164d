#pragma once

#include "reportengine/rows.h"

namespace data {
class Dataset;
}

namespace report {

// The visible rows of an open query, as the report reads them.
class DatasetRows : public Rows {
public:
    explicit DatasetRows(const data::Dataset& dataset) : dataset_(dataset) {}

    int rowCount() const override;
    int fieldIndex(const QString& name) const override;
    QVariant value(int row, int column) const override;
    bool isNull(int row, int column) const override;

private:
    const data::Dataset& dataset_;
};

} // namespace report
