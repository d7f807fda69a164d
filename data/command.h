#pragma once

#include "statement.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace data {

class Connection;

// A statement that returns no rows the program reads (insert, update, delete, a call).
class Command {
public:
    explicit Command(Connection* connection, const QString& name = {})
        : connection_(connection), name_(name) {}

    void setSql(const QStringList& lines) { setSql(lines.join(u'\n')); }
    void setSql(const QString& text) {
        sql_ = text;
        parsedValid_ = false;
    }
    const QString& sql() const { return sql_; }
    void setParam(const QString& name, const QVariant& value) { params_.set(name, value); }

    // Returns the number of rows the statement touched. Throws DataError.
    int execute();
    // For "insert ... returning id": the first column of the first row.
    qint64 executeReturningInt();

    const QString& name() const { return name_; }

private:
    ResultPtr run();

    Connection* connection_;
    QString name_;
    QString sql_;
    ParsedSql parsed_;
    bool parsedValid_ = false;
    Parameters params_;
};

} // namespace data
