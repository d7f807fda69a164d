#pragma once

namespace data {

class Connection;

// A transaction on the connection for as long as the object lives: begun at construction,
// committed by commit(), rolled back when it goes without (an error thrown half-way leaves
// the database as it was before).
class Transaction {
public:
    // Read committed: each statement sees what is committed when it starts. Repeatable read:
    // the whole transaction sees one snapshot, and a row it changes that another session
    // changed after the snapshot fails the change (SQLSTATE 40001) instead of being overwritten.
    enum class Isolation { ReadCommitted, RepeatableRead };

    explicit Transaction(Connection& connection,
                         Isolation isolation = Isolation::ReadCommitted); // throws DataError
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit(); // throws DataError

private:
    Connection& connection_;
    bool open_ = false;
};

} // namespace data
