// One position's history in the history window over ten years of history rows (a row for
// every position of the bench's shop, a change for every fifth, a material for every
// fiftieth), against the window's statement sent bare through libpq in the same run, and
// against 100 ms.
#include "bare_statement.h"
#include "data/statement_files.h"
#include "history/history_data.h"
#include "history/history_window.h"
#include "tests/support/test_database.h"
#include "timing.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QElapsedTimer>

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Loaded without the history's triggers, as year_of_positions.h loads positions: 1920
// positions a day, each inserted, every fifth changed, every fiftieth given a material.
void fillHistory(TestDatabase& db, int years) {
    createShopRegisters(db);
    db.exec(QStringLiteral(R"(
        insert into cmn_gds_and_srv.gds(id, s_group_tmc, s_code, s_caption, s_full_caption) values
            (3000001, 'Металл', 'Л2', 'Лист 2 мм', 'Лист стальной 2 мм');
        insert into accounts_dep.history(at, login, client, subject, action, row_id, position_id,
                                         new)
          select timestamptz '2017-01-01' + (g / 1920) * interval '1 day' + (g % 1920) * interval '40 s',
                 'petrova', '10.0.0.' || (g % 20), 'smena', 'insert', g + 1, g + 1,
                 jsonb_build_object('id', g + 1, 'data', date '2017-01-01' + g / 1920,
                     'smena', 1 + g % 4, 'w_id', 1001 + g % 400, 'i_id', 1 + (g % 2000) % 200,
                     'o_id', 1 + g % 2000, 'cena', 1.5, 'kol_vo', 10, 'brak', 0, 'time', 1 + g % 2,
                     'color', 0, 'prize', 0, 'ok', 'no', 'vvod', timestamp '2017-01-01' + (g / 1920) * interval '1 day',
                     'id_doc', 0, 'id_doc_item', 0, 'f_gds_qty_use', 0, 'id_gds_use', 0,
                     'id_cons_use', 0)
          from generate_series(0, :n - 1) g;
        insert into accounts_dep.history(at, login, client, subject, action, row_id, position_id,
                                         old, new)
          select timestamptz '2017-01-01' + (g / 1920) * interval '1 day' + interval '20 h',
                 'zemplar', '10.0.0.1', 'smena', 'update', g + 1, g + 1,
                 '{"kol_vo": 10, "brak": 0}', '{"kol_vo": 12, "brak": 1}'
          from generate_series(0, :n - 1, 5) g;
        insert into accounts_dep.history(at, login, client, subject, action, row_id, position_id,
                                         new)
          select timestamptz '2017-01-01' + (g / 1920) * interval '1 day' + interval '21 h',
                 'petrova', '10.0.0.2', 'smena_gds_use', 'insert', g + 1, g + 1,
                 jsonb_build_object('id', g + 1, 'id_smena', g + 1, 'id_gds_use', 3000001,
                                    'id_cons_use', null, 'f_qty_use', 2.5)
          from generate_series(0, :n - 1, 50) g;
        analyze accounts_dep.history;
    )")
                .replace(QStringLiteral(":n"), QString::number(700800 * years)));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int years = qEnvironmentVariableIsSet("NORV_BENCH_YEARS")
                          ? qEnvironmentVariableIntValue("NORV_BENCH_YEARS")
                          : 10;
    TestDatabase db("bench_history");
    QElapsedTimer fill;
    fill.start();
    fillHistory(db, years);
    const QString rows = db.scalar(QStringLiteral("select count(*) from accounts_dep.history"));
    std::printf("history: %s rows of %d years, loaded in %.0f s\n", qPrintable(rows), years,
                double(fill.elapsed()) / 1000);

    // a position of the last year with all three kinds of rows
    const int position = 700800 * years - 999;
    OpenConnection connection(db.connectionString());
    history::HistoryData data(connection);
    HistoryWindow window(data);
    window.resize(1000, 500);
    PGconn* bare = db.sys().handle();
    const data::ParsedSql sql =
        data::parseNamedParameters(data::statementText("history/position_history"));
    const std::vector<QByteArray> values{QByteArray::number(position)};

    // alternately, so a slow moment of the disk falls on both sides alike
    std::vector<double> windowTimes;
    std::vector<double> bareTimes;
    int shown = 0;
    for (int run = 0; run < 30; ++run) {
        windowTimes.push_back(medianMs(1, [&] {
            window.readPosition(position);
            QCoreApplication::processEvents();
        }));
        bareTimes.push_back(medianMs(1, [&] { shown = runBare(bare, sql, values).rows(); }));
    }
    const double windowMs = median(windowTimes);
    const double bareMs = median(bareTimes);
    std::printf("one position's history (%d rows): window %.2f ms, bare statement %.2f ms, "
                "ratio %.2f; p99 %.2f ms against the target of 100 ms: %s\n",
                int(window.entries().size()), windowMs, bareMs, windowMs / bareMs,
                percentile(windowTimes, 0.99),
                percentile(windowTimes, 0.99) < 100 ? "met" : "MISSED");
    return shown == int(window.entries().size()) ? 0 : 1;
}
