#pragma once

#include "data/dataset.h"

namespace journal {

// The brigade of a new position: the people it is divided among.
class PositionBrigade {
public:
    explicit PositionBrigade(data::Connection& connection);

    data::Dataset& members() { return members_; }

    void open(int positionId);
    void close() { members_.close(); }
    // The list read again for the position it shows.
    void reopen() { members_.open(); }
    void reread() { members_.requery(); }

    // Statements that may be refused by the database (the caller shows why).
    void add(int positionId, qint64 personId);
    // The current member; false when there is none.
    bool removeCurrent();
    // Divides the position among its brigade.
    void divide(int positionId);

private:
    data::Connection& connection_;
    data::Dataset members_;
};

} // namespace journal
