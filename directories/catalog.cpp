#include "catalog.h"

#include "data/command.h"
#include "data/connection.h"
#include "data/statement_files.h"
#include "seams/messages.h"

#include <QScopeGuard>

namespace directories {

const QString& statement(const QString& name) {
    return data::statementText(QStringLiteral("directories/") + name);
}

namespace {

// One row's field of a statement; an invalid value when it returns no row.
QVariant readValue(data::Connection& connection, const QString& name, const QString& field,
                   const data::Parameters& params) {
    data::Dataset query(&connection, name);
    query.setSql(statement(name));
    query.setParams(params);
    query.open();
    const auto closeAfterwards = qScopeGuard([&query] { query.close(); });
    return query.isEmpty() ? QVariant() : query.value(field);
}

void bindValues(data::Command& command, const OperationValues& values) {
    command.setParam(QStringLiteral("oper_vid"), values.operationTypeId);
    command.setParam(QStringLiteral("naimen"), values.productKind);
    command.setParam(QStringLiteral("i_id"), values.productId);
}

} // namespace

// The lists keep the names their error messages have always shown.
Catalog::Catalog(data::Connection& connection)
    : connection_(connection), employees_(&connection, QStringLiteral("Workers")),
      products_(&connection, QStringLiteral("Izdel")),
      operations_(&connection, QStringLiteral("Oper")),
      operationTypes_(&connection, QStringLiteral("Vid_oper")) {
    employees_.setSql(statement(QStringLiteral("employees")));
    products_.setSql(statement(QStringLiteral("products")));
    operations_.setSql(statement(QStringLiteral("operations")));
    operationTypes_.setSql(statement(QStringLiteral("operation_types")));
    operationTypes_.setUpdateTable(QStringLiteral("accounts_dep.vid_oper"), QStringLiteral("id"));
}

void Catalog::insertOperation(const OperationValues& values, double firstPrice) {
    data::Command insert(&connection_, QStringLiteral("Oper_ins"));
    insert.setSql(statement(QStringLiteral("insert_operation")));
    bindValues(insert, values);
    insert.setParam(QStringLiteral("cena_new"), firstPrice);
    insert.execute();
}

void Catalog::updateOperation(int operationId, const OperationValues& values) {
    data::Command update(&connection_, QStringLiteral("Oper_ed"));
    update.setSql(statement(QStringLiteral("update_operation")));
    bindValues(update, values);
    update.setParam(QStringLiteral("id"), operationId);
    update.execute();
}

void Catalog::deleteOperation(int operationId) {
    data::Command remove(&connection_, QStringLiteral("Oper_del"));
    remove.setSql(statement(QStringLiteral("delete_operation")));
    remove.setParam(QStringLiteral("id"), operationId);
    remove.execute();
}

QString Catalog::productMark(int productId) {
    data::Parameters bound;
    bound.set(QStringLiteral("id"), productId);
    return readValue(connection_, QStringLiteral("product_mark"), QStringLiteral("marka"), bound)
        .toString();
}

bool Catalog::refuseDuplicate(const QString& countStatement, const QString& message,
                              const data::Parameters& params) {
    const bool exists =
        readValue(connection_, countStatement, QStringLiteral("cnt"), params).toLongLong() > 0;
    if (exists)
        seams::Messages::current().error(message, seams::kErrorCaption);
    return exists;
}

} // namespace directories
