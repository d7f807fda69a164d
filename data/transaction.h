#pragma once

namespace data {

class Connection;

// A transaction on the connection for as long as the object lives: begun at construction,
// committed by commit(), rolled back when it goes without (an error thrown half-way leaves
// the database as it was before).
class Transaction {
public:
    explicit Transaction(Connection& connection); // throws DataError
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit(); // throws DataError

private:
    Connection& connection_;
    bool open_ = false;
};

} // namespace data
