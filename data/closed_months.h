#pragma once

#include <QString>

#include <optional>

namespace data {

class Connection;

// A month the economist or the administrator has closed: the database refuses every change of
// its positions, materials, brigade shares and time-sheet rows until the administrator opens
// it again (accounts_dep.close_month, reopen_month).
struct MonthClosing {
    QString closedAt; // "30.11.2026 17:05", the server's time
    QString closedBy; // the login
};

class ClosedMonths {
public:
    explicit ClosedMonths(Connection& connection) : connection_(connection) {}

    // Who closed the month and when; nullopt while it is open. Throws DataError.
    std::optional<MonthClosing> closing(int month, int year);
    bool isClosed(int month, int year) { return closing(month, year).has_value(); }

    // The database checks the login's right and records both in the history; closing a
    // closed month or opening an open one changes nothing. Throw DataError.
    void close(int month, int year);
    void reopen(int month, int year);

private:
    Connection& connection_;
};

} // namespace data
