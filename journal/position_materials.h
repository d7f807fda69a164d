#pragma once

#include "data/dataset.h"

namespace journal {

// The material rows of the position in the entry dialog, with their consignments.
class PositionMaterials {
public:
    explicit PositionMaterials(data::Connection& connection);

    data::Dataset& rows() { return rows_; }

    // The rows of a position (0: none).
    void open(int positionId);
    void close() { rows_.close(); }
    void reread() { rows_.requery(); }
    // Deletes the current row; the list stays near it. What it was, for the log ("material,
    // партия consignment, расход quantity"); empty when there was none.
    QString removeCurrent();

private:
    data::Connection& connection_;
    data::Dataset rows_;
};

} // namespace journal
