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

} // namespace

ParsedSql parseNamedParameters(const QString& sql) {
    ParsedSql parsed;
    QString out;
    out.reserve(sql.size() + 8);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto copyUntil = [&](const QString& terminator) {
        const qsizetype end = sql.indexOf(terminator, i);
        const qsizetype stop = end < 0 ? n : end + terminator.size();
        out += QStringView(sql).mid(i, stop - i);
        i = stop;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            // quoted text or identifier; a doubled quote stays inside
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype stop = j < n ? j + 1 : n;
            out += QStringView(sql).mid(i, stop - i);
            i = stop;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            copyUntil(QStringLiteral("\n"));
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            copyUntil(QStringLiteral("*/"));
        } else if (c == u'$' && i + 1 < n && (sql[i + 1] == u'$' || isIdentStart(sql[i + 1]))) {
            // dollar quoting: $$...$$ or $tag$...$tag$
            qsizetype j = i + 1;
            while (j < n && sql[j] != u'$' && isIdentPart(sql[j]))
                ++j;
            if (j < n && sql[j] == u'$') {
                const QString tag = sql.mid(i, j - i + 1);
                out += tag;
                i = j + 1;
                copyUntil(tag);
            } else {
                out += c;
                ++i;
            }
        } else if (c == u':' && i + 1 < n && sql[i + 1] == u':') {
            out += QStringLiteral("::");
            i += 2;
        } else if (c == u':' && i + 1 < n && isIdentStart(sql[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isIdentPart(sql[j]))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1).toLower();
            qsizetype index = parsed.names.indexOf(name);
            if (index < 0) {
                parsed.names.append(name);
                index = parsed.names.size() - 1;
            }
            out += u'$' + QString::number(index + 1);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    parsed.text = out.toUtf8();
    return parsed;
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
