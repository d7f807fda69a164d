#include "statement.h"

#include "connection.h"
#include "data_error.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <libpq-fe.h>

#include <vector>

namespace data {

void PGresultDeleter::operator()(PGresult* r) const {
    PQclear(r);
}

namespace {

bool isIdentStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isIdentPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Copies a statement through and puts $1, $2, ... for every :name outside quotes,
// comments, dollar quoting and the :: cast; a name gets its number at its first use.
class NamedParameterScanner {
public:
    explicit NamedParameterScanner(const QString& sql) : sql_(sql), n_(sql.size()) {
        out_.reserve(n_ + 8);
    }

    ParsedSql scan() {
        while (i_ < n_)
            step();
        parsed_.text = out_.toUtf8();
        return parsed_;
    }

private:
    QChar at(qsizetype j) const { return j < n_ ? sql_[j] : QChar(); }

    void step() {
        const QChar c = sql_[i_];
        const QChar next = at(i_ + 1);
        if (c == u'\'' || c == u'"')
            copyQuoted(c);
        else if (c == u'-' && next == u'-')
            copyUntil(QStringLiteral("\n"));
        else if (c == u'/' && next == u'*')
            copyUntil(QStringLiteral("*/"));
        else if (c == u'$' && (next == u'$' || isIdentStart(next)))
            copyDollarQuoted();
        else if (c == u':' && next == u':')
            copyTo(i_ + 2);
        else if (c == u':' && isIdentStart(next))
            replaceParameter();
        else
            copyTo(i_ + 1);
    }

    void copyTo(qsizetype stop) {
        out_ += QStringView(sql_).mid(i_, stop - i_);
        i_ = stop;
    }

    void copyUntil(const QString& terminator) {
        const qsizetype end = sql_.indexOf(terminator, i_);
        copyTo(end < 0 ? n_ : end + terminator.size());
    }

    // quoted text or identifier; a doubled quote stays inside
    void copyQuoted(QChar quote) {
        qsizetype j = i_ + 1;
        while (j < n_) {
            if (sql_[j] == quote) {
                if (at(j + 1) == quote) {
                    j += 2;
                    continue;
                }
                break;
            }
            ++j;
        }
        copyTo(j < n_ ? j + 1 : n_);
    }

    // $$...$$ or $tag$...$tag$; a '$' that starts neither is copied as it is
    void copyDollarQuoted() {
        qsizetype j = i_ + 1;
        while (j < n_ && sql_[j] != u'$' && isIdentPart(sql_[j]))
            ++j;
        if (at(j) != u'$') {
            copyTo(i_ + 1);
            return;
        }
        const QString tag = sql_.mid(i_, j - i_ + 1);
        copyTo(j + 1);
        copyUntil(tag);
    }

    void replaceParameter() {
        qsizetype j = i_ + 1;
        while (j < n_ && isIdentPart(sql_[j]))
            ++j;
        const QString name = sql_.mid(i_ + 1, j - i_ - 1).toLower();
        qsizetype index = parsed_.names.indexOf(name);
        if (index < 0) {
            parsed_.names.append(name);
            index = parsed_.names.size() - 1;
        }
        out_ += u'$' + QString::number(index + 1);
        i_ = j;
    }

    const QString& sql_;
    const qsizetype n_;
    qsizetype i_ = 0;
    QString out_;
    ParsedSql parsed_;
};

} // namespace

ParsedSql parseNamedParameters(const QString& sql) {
    return NamedParameterScanner(sql).scan();
}

QByteArray parameterText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "true" : "false";
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
    default:
        return value.toString().toUtf8();
    }
}

QString resultErrorMessage(const PGresult* result) {
    if (!result)
        return QStringLiteral("Нет ответа от сервера базы данных");
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (!primary)
        return QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    QString message = QString::fromUtf8(primary);
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += u'\n' + QString::fromUtf8(detail);
    if (const char* hint = PQresultErrorField(result, PG_DIAG_MESSAGE_HINT))
        message += u'\n' + QString::fromUtf8(hint);
    return message;
}

ResultPtr execute(Connection& connection, const ParsedSql& sql, const Parameters& params) {
    PGconn* conn = connection.requireHandle();
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
    texts.reserve(sql.names.size());
    for (const QString& name : sql.names) {
        const QVariant v = params.value(name);
        if (!v.isValid() || v.isNull()) {
            texts.emplace_back();
            values.push_back(nullptr);
        } else {
            texts.push_back(parameterText(v));
            values.push_back(texts.back().constData());
        }
    }
    ResultPtr result(PQexecParams(conn, sql.text.constData(), int(values.size()), nullptr,
                                  values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        if (connection.recoverAfterFailure())
            throw DataError(kConnectionLost, QStringLiteral("08006"));
        const QString message = result ? resultErrorMessage(result.get())
                                       : QString::fromUtf8(PQerrorMessage(conn)).trimmed();
        const char* state = result ? PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : nullptr;
        const char* primary =
            result ? PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        throw DataError(message, state ? QString::fromLatin1(state) : QString(),
                        primary ? QString::fromUtf8(primary) : QString());
    }
    return result;
}

} // namespace data
