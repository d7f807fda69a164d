#include "reportengine/rows.h"

namespace report {

int TableRows::fieldIndex(const QString& name) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant TableRows::value(int row, int column) const {
    const std::vector<QVariant>& values = rows_[size_t(row)];
    return size_t(column) < values.size() ? values[size_t(column)] : QVariant();
}

} // namespace report
