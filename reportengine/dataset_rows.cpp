#include "reportengine/dataset_rows.h"

#include "data/dataset.h"

namespace report {

int DatasetRows::rowCount() const {
    return dataset_.recordCount();
}

int DatasetRows::fieldIndex(const QString& name) const {
    return dataset_.fieldIndex(name);
}

QVariant DatasetRows::value(int row, int column) const {
    return dataset_.valueAt(row, column);
}

bool DatasetRows::isNull(int row, int column) const {
    return dataset_.isNullAt(row, column);
}

} // namespace report
