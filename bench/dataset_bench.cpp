// Dataset speed against bare libpq, the client-side filter, and the journal's query for
// one day and shift in a year of positions. Prints its figures; asserts nothing.
#include "data/dataset.h"
#include "data/statement.h"
#include "journal/positions.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* kWide =
    "select g as id, g*2 as a2, g*3 as a3, g::numeric(15,0) as a4, g*0.5::float8 as a5, "
    "'Иванов'||g as a6, 'Петров Пётр'||g as a7, 'КМ-'||(g%500) as a8, (g%4)::smallint as a9, "
    "date '2026-01-01' + (g%365) as a10, timestamp '2026-01-01 08:00:00' + g * interval '1 minute' "
    "as a11, 'no'::char(2) as a12, "
    "g%7 as a13, g*1.25 as a14, 'строка '||g as a15, g%31 as a16, (g%2=0) as a17, "
    "'abcdef'||g as a18, g+100 as a19, 'x' as a20 from generate_series(1, 100000) g";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordingMessages messages;
    TestDatabase db("bench");

    // --- 1. snapshot of 100,000 rows x 20 columns
    PGconn* conn = db.sys().handle();
    const double libpqMs = medianMs(5, [&] {
        PGresult* r = PQexec(conn, kWide);
        const int rows = PQntuples(r), cols = PQnfields(r);
        std::vector<std::string> cells;
        cells.reserve(size_t(rows) * size_t(cols));
        for (int i = 0; i < rows; ++i)
            for (int c = 0; c < cols; ++c)
                cells.emplace_back(PQgetvalue(r, i, c), size_t(PQgetlength(r, i, c)));
        PQclear(r);
    });
    data::Dataset wide(&db.sys(), "wide");
    wide.setSql(kWide);
    const double datasetMs = medianMs(5, [&] {
        wide.close();
        wide.open();
    });
    const double datasetReadAllMs = medianMs(5, [&] {
        wide.close();
        wide.open();
        qint64 total = 0;
        for (int i = 0; i < wide.recordCount(); ++i)
            for (int c = 0; c < wide.fieldCount(); ++c)
                total += wide.textAt(i, c).size();
        if (total == 0)
            std::puts("?");
    });
    wide.close();
    std::printf("snapshot 100000x20: libpq fetch into strings %.1f ms; Dataset open %.1f ms "
                "(ratio %.2f, target <= 1.30); Dataset open + every cell read as text %.1f ms "
                "(ratio %.2f)\n",
                libpqMs, datasetMs, datasetMs / libpqMs, datasetReadAllMs,
                datasetReadAllMs / libpqMs);

    // --- 2. like filter over 10,000 rows
    data::Dataset names(&db.sys(), "names");
    names.setSql("select g as id, (array['Иванов','Петров','Сидоров','ivanov','Ильин'])[1 + g%5] "
                 "|| ' ' || g as fio from generate_series(1, 10000) g");
    names.open();
    names.setFiltered(true);
    int matched = 0;
    const double filterMs = medianMs(51, [&] {
        names.setFilter("fio like 'ив%'");
        matched = names.recordCount();
        names.setFilter(QString());
    });
    std::printf("like filter on 10000 rows: %.3f ms (target < 2 ms), %d rows matched\n", filterMs,
                matched);

    // --- 3. the journal's shift query for one day in a year of ~700,000 positions
    createShopData(db);
    seams::Messages::install(&messages);
    OpenConnection connection(db.connectionString());
    journal::Positions positions(connection);
    data::Dataset& smena1 = positions.shiftPositions(1);
    smena1.setParam("data", QDate(2026, 6, 15));
    int rows = 0;
    const double journalMs = medianMs(21, [&] {
        smena1.close();
        smena1.open();
        rows = smena1.recordCount();
    });
    const int total = db.scalar("select count(*) from accounts_dep.smena").toInt();
    std::printf("journal shift query: %.2f ms for %d positions of one day and shift among %d\n",
                journalMs, rows, total);
    return 0;
}
