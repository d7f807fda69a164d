#pragma once

#include "data/dataset.h"

namespace journal {

// The requisitions and their lines the entry dialog offers: every open requisition with the
// lines of the chosen one, or for a viewed position just its own requisition and line.
class RequisitionLookups {
public:
    explicit RequisitionLookups(data::Connection& connection);

    data::Dataset& requisitions() { return requisitions_; }
    data::Dataset& lines() { return lines_; }

    // Closed, with the statements of the offered requisitions and lines.
    void prepareOffered();
    // Only the lines of the requisition (0: none) pass.
    void showLinesOf(qint64 requisition);
    // The requisition and line of a stored position, opened.
    void openViewed(int positionId);
    // Closed again, with no line passing, as a dialog leaves them.
    void close();

    // The line's required quantity (0: none, or no line); its product's code.
    double lineRequired() const;
    QString lineProductCode() const;

private:
    data::Dataset requisitions_;
    data::Dataset lines_;
};

} // namespace journal
