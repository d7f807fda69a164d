#pragma once

#include "data/connection.h"
#include "data/site_settings.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// A connection opened at once, as a workstation's after its login.
class OpenConnection : public data::Connection {
public:
    explicit OpenConnection(const QString& connectionText) {
        setConnectionString(connectionText);
        open();
    }
};

// First column of the first row a statement reads on a connection, as text ("" when no row).
QString readScalar(data::Connection& connection, const QString& sql);

// A fresh copy of the test template database (schema, roles, no demo data) on the
// throw-away cluster of scripts/test; dropped again when the object goes.
class TestDatabase {
public:
    explicit TestDatabase(const QString& prefix);
    ~TestDatabase();

    const QString& name() const { return name_; }
    const QString& socketDir() const { return host_; }

    // Connection text for a login of the test cluster (demo passwords).
    QString connectionString(const QString& user = QStringLiteral("sys")) const;
    static QString passwordOf(const QString& user);
    // The site settings of a workstation of this database.
    data::SiteSettings siteSettings() const;

    // A login made as the README tells an administrator ("create role ... login password ...
    // in role norv_writer", nothing else), dropped when the object goes. Roles belong to the
    // cluster, so the name gets the test's process id: "ivanova_4711". An empty group makes a
    // login in none of the program's groups.
    class Login {
    public:
        Login(TestDatabase& db, const QString& name, const QString& password,
              const QString& group = QStringLiteral("norv_writer"));
        Login(Login&& other) noexcept : db_(other.db_), name_(std::move(other.name_)) {
            other.name_.clear();
        }
        Login(const Login&) = delete;
        Login& operator=(const Login&) = delete;
        ~Login();
        const QString& name() const { return name_; }

    private:
        TestDatabase& db_;
        QString name_;
    };
    Login createLogin(const QString& name, const QString& password,
                      const QString& group = QStringLiteral("norv_writer")) {
        return Login(*this, name, password, group);
    }

    // A connection as the cluster's superuser for fixtures and checks (named sys() from the
    // days sys owned the database).
    data::Connection& sys();
    // Runs statements as the superuser; throws DataError.
    void exec(const QString& sql);
    // First column of the first row as text ("" when no row).
    QString scalar(const QString& sql);
    // A worker's time-sheet rows in one line, non-zero days only:
    // "s1 3.2026: d2=8 d5=4 | s4 3.2026: d5=2".
    QString timesheetText(int worker);

private:
    void superExec(const QString& sql) const;

    QString host_;
    QString name_;
    std::unique_ptr<data::Connection> sys_;
};
