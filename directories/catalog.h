#pragma once

#include "data/dataset.h"

#include <QString>

namespace data {
class Connection;
}

namespace directories {

// What the price editor writes of an operation: the type of work, the product kind (0
// finished products, otherwise blanks) and the product.
struct OperationValues {
    int operationTypeId = 0;
    int productKind = 0;
    int productId = 0;
};

// The directories' lists and the statements on operations, over one connection. Each list
// belongs to the window that shows it: the worker picker reads employees, the product picker
// products, the operations window operations, the operation types window operationTypes.
class Catalog {
public:
    explicit Catalog(data::Connection& connection);

    data::Connection& connection() const { return connection_; }

    // the enterprise's employees with their staff position of today, by name
    data::Dataset& employees() { return employees_; }
    // the products by mark
    data::Dataset& products() { return products_; }
    // the operations that have norms, with their smallest price and count of norms
    data::Dataset& operations() { return operations_; }
    // the operation types by name; updatable by id
    data::Dataset& operationTypes() { return operationTypes_; }

    // A new operation; the database makes firstPrice its first norm.
    void insertOperation(const OperationValues& values, double firstPrice);
    void updateOperation(int operationId, const OperationValues& values);
    void deleteOperation(int operationId);

    // The mark of a product; empty when there is none.
    QString productMark(int productId);

    // The editors' check before a write: runs the count statement "directories/<statement>"
    // (one row, an integer column cnt); a positive count shows the message (caption "Ошибка")
    // and gives true.
    bool refuseDuplicate(const QString& statement, const QString& message,
                         const data::Parameters& params);

private:
    data::Connection& connection_;
    data::Dataset employees_;
    data::Dataset products_;
    data::Dataset operations_;
    data::Dataset operationTypes_;
};

// The text of the statement "directories/<name>".
const QString& statement(const QString& name);

} // namespace directories
