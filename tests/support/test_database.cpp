#include "test_database.h"

#include "data/connection_text.h"
#include "data/data_error.h"
#include "data/statement.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QThread>

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>

namespace {

QString requireEnv(const char* name) {
    QString v = qEnvironmentVariable(name);
    if (v.isEmpty()) {
        std::fprintf(stderr, "%s is not set: run the tests through scripts/test\n", name);
        std::exit(2);
    }
    return v;
}

} // namespace

TestDatabase::TestDatabase(const QString& prefix) {
    host_ = requireEnv("NORV_TEST_PGHOST");
    const QString tmpl = requireEnv("NORV_TEST_TEMPLATE");
    name_ = QStringLiteral("t_%1_%2_%3")
                .arg(prefix.toLower())
                .arg(QCoreApplication::applicationPid())
                .arg(QRandomGenerator::global()->bounded(100000));
    superExec(QStringLiteral("create database %1 template %2 owner norv_owner").arg(name_, tmpl));
    // a copy does not inherit the template's database rights: no temporary tables for readers
    superExec(QStringLiteral("revoke temporary on database %1 from public; "
                             "grant temporary on database %1 to norv_writer")
                  .arg(name_));
}

TestDatabase::~TestDatabase() {
    sys_.reset();
    try {
        superExec(QStringLiteral("drop database if exists %1 with (force)").arg(name_));
    } catch (...) {
    }
}

void TestDatabase::superExec(const QString& sql) const {
    const QByteArray conninfo =
        QStringLiteral("host=%1 port=5432 user=postgres dbname=postgres").arg(host_).toUtf8();
    PGconn* conn = PQconnectdb(conninfo.constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(conn));
        PQfinish(conn);
        throw data::DataError(message);
    }
    PGresult* r = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    const QString message = ok ? QString() : data::resultErrorMessage(r);
    PQclear(r);
    PQfinish(conn);
    if (!ok)
        throw data::DataError(message);
}

QString TestDatabase::passwordOf(const QString& user) {
    return user == u"sys" ? QStringLiteral("sysdemo") : user + QStringLiteral("-demo");
}

QString TestDatabase::connectionString(const QString& user) const {
    return data::buildConnectionString(host_, name_, user, passwordOf(user));
}

data::SiteSettings TestDatabase::siteSettings() const {
    data::SiteSettings site;
    site.server = host_;
    site.database = name_;
    return site;
}

TestDatabase::Login::Login(TestDatabase& db, const QString& name, const QString& password,
                           const QString& group)
    : db_(db), name_(QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid())) {
    QString quoted = password;
    quoted.replace(u'\'', QStringLiteral("''"));
    db_.exec(QStringLiteral("create role %1 login password '%2'").arg(name_, quoted) +
             (group.isEmpty() ? QString() : QStringLiteral(" in role ") + group));
}

TestDatabase::Login::~Login() {
    if (name_.isEmpty())
        return;
    try {
        // its last sessions may still be ending, dropping their temporary tables
        const QString sessions =
            QStringLiteral("select count(*) from pg_stat_activity where usename = '%1'").arg(name_);
        QDeadlineTimer deadline(10000);
        while (db_.scalar(sessions) != u"0" && !deadline.hasExpired())
            QThread::msleep(5);
        db_.exec(QStringLiteral("drop role if exists %1").arg(name_));
    } catch (...) {
    }
}

data::Connection& TestDatabase::sys() {
    if (!sys_) {
        sys_ = std::make_unique<data::Connection>();
        // the cluster's superuser (trust on the private socket), so fixtures can set up any
        // state the rules would refuse a login
        sys_->setConnectionString(
            data::buildConnectionString(host_, name_, QStringLiteral("postgres"), QString()));
        sys_->open();
    }
    return *sys_;
}

void TestDatabase::exec(const QString& sql) {
    PGresult* r = PQexec(sys().handle(), sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    const QString message = ok ? QString() : data::resultErrorMessage(r);
    PQclear(r);
    if (!ok)
        throw data::DataError(message);
}

QString readScalar(data::Connection& connection, const QString& sql) {
    data::ResultPtr r = data::execute(connection, data::parseNamedParameters(sql), {});
    if (PQntuples(r.get()) < 1 || PQgetisnull(r.get(), 0, 0))
        return QString();
    return QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
}

QString TestDatabase::scalar(const QString& sql) {
    return readScalar(sys(), sql);
}

QString TestDatabase::timesheetText(int worker) {
    return scalar(QStringLiteral(R"(
        select coalesce(string_agg(format('s%s %s.%s:%s', smena, month, year, days), ' | '
                                   order by smena, year, month), '')
        from (select h.smena, h.month, h.year,
                     (select coalesce(string_agg(format(' d%s=%s', d.n, d.v), '' order by d.n), '')
                      from unnest(array[d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14,
                                        d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26,
                                        d27, d28, d29, d30, d31]) with ordinality d(v, n)
                      where d.v <> 0) as days
              from accounts_dep.h_tabel h where h.w_id = %1) cells)")
                      .arg(worker));
}
