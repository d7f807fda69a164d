#pragma once
// A busy server for the race tests: the sum of a day's cells takes a while.

#include "tests/support/test_database.h"

#include <QString>

// Renames the schema's accounts_dep.h_tabel_day_hours aside and puts in its place a function
// of the same name and result that sleeps, then calls it: the races run against the schema's
// own rule, never a copy of it that could go stale. Put back when the object goes.
class SlowDayHours {
public:
    // seconds: an SQL expression, evaluated at every call ("random() * 0.006").
    SlowDayHours(TestDatabase& db, const QString& seconds) : db_(db) {
        const QString result =
            db_.scalar(QStringLiteral("select pg_get_function_result('%1(date)'::regprocedure)")
                           .arg(functionName()));
        db_.exec(QStringLiteral(R"(
            alter function %1(date) rename to h_tabel_day_hours_unslowed;
            create function %1(p_data date) returns %2
            language plpgsql stable as $$
            begin
                perform pg_sleep(%3);
                return query select * from %1_unslowed(p_data);
            end $$;
            -- whoever may call the schema's function may call this one
            do $$
            declare
                r record;
            begin
                for r in select grantee from aclexplode((select proacl from pg_proc
                                                         where oid = '%1_unslowed(date)'::regprocedure))
                         where privilege_type = 'EXECUTE' and grantee <> 0 loop
                    execute format('grant execute on function %1(date) to %s', r.grantee::regrole);
                end loop;
            end $$;
        )")
                     .arg(functionName(), result, seconds));
    }

    ~SlowDayHours() {
        try {
            db_.exec(QStringLiteral("drop function %1(date); "
                                    "alter function %1_unslowed(date) rename to h_tabel_day_hours")
                         .arg(functionName()));
        } catch (...) {
        }
    }

    SlowDayHours(const SlowDayHours&) = delete;
    SlowDayHours& operator=(const SlowDayHours&) = delete;

private:
    static QString functionName() { return QStringLiteral("accounts_dep.h_tabel_day_hours"); }

    TestDatabase& db_;
};
