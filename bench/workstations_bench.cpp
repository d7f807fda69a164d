// Twenty workstations at once: each saves, edits and deletes positions through the program's
// own save, upkeep and deletion (no windows) for the same few workers and days, 500 actions
// each. Afterwards every day cell of the time-sheet must equal the sum of its positions, no
// worker's month may have two rows, no worker's day more than 24 hours, and no action may have
// failed but for the database's refusal of a day over 24 hours (counted apart: the stations
// keep adding hours to the same few days, and the refusal under the worker's lock is part of
// what is measured).
#include "data/data_error.h"
#include "journal/position.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"
#include "timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kStations = 20;
constexpr int kActions = 500;
const int kWorkers[] = {101, 102, 103};
const QDate kDays[] = {QDate(2026, 3, 2), QDate(2026, 3, 3)};

struct Stored {
    int id;
    journal::DayCell cell;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordingMessages messages;
    TestDatabase db("bench_stations");
    db.exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Петров П.П.'), ('103', 'Сидоров С.С.');
        insert into accounts_dep.izdel(id, marka, nom) values (500, 'КМ-120', 'Каркас');
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0);
    )");

    std::mutex lock;
    std::vector<double> saveMs;
    std::atomic<int> failed{0}, saves{0}, edits{0}, deletions{0}, overDay{0};
    QStringList failures;
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> stations;
    for (int s = 0; s < kStations; ++s)
        stations.emplace_back([&, s] {
            OpenConnection connection(db.connectionString()); // a workstation's own connection
            journal::PositionSaver saver(connection);
            std::mt19937 random(unsigned(1000 + s));
            std::vector<Stored> mine;
            std::vector<double> times;
            for (int a = 0; a < kActions; ++a) {
                const int what = mine.size() < 3 ? 0 : int(random() % 3);
                journal::Position p;
                p.workerCode = kWorkers[random() % 3];
                p.productId = 500;
                p.operationId = 1;
                p.operationPrice = 4.5f;
                p.quantity = QStringLiteral("10");
                p.rejects = QStringLiteral("0");
                p.hours = QString::number(random() % 9);
                p.workDay = kDays[random() % 2];
                const journal::SaveConditions conditions{false, 1 + int(random() % 2),
                                                         QDate(2026, 3, 4)};
                try {
                    if (what == 0) {
                        QElapsedTimer timer;
                        timer.start();
                        const int id = saver.save(p, conditions);
                        times.push_back(double(timer.nsecsElapsed()) / 1e6);
                        mine.push_back({id, {p.workerCode, conditions.shift, p.workDay}});
                        ++saves;
                    } else {
                        const size_t pick = random() % mine.size();
                        if (what == 1) { // an edit that may move it to another cell
                            p.id = mine[pick].id;
                            saver.save(p, conditions);
                            mine[pick].cell = {p.workerCode, conditions.shift, p.workDay};
                            ++edits;
                        } else {
                            saver.remove(mine[pick].id, mine[pick].cell);
                            mine.erase(mine.begin() + long(pick));
                            ++deletions;
                        }
                    }
                } catch (const data::DataError& e) {
                    if (e.sqlState() == u"23514" &&
                        e.message().contains(QStringLiteral("по всем сменам"))) {
                        ++overDay;
                        continue;
                    }
                    ++failed;
                    const std::lock_guard<std::mutex> guard(lock);
                    failures << e.message();
                }
            }
            const std::lock_guard<std::mutex> guard(lock);
            saveMs.insert(saveMs.end(), times.begin(), times.end());
        });
    for (std::thread& t : stations)
        t.join();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;

    QStringList days;
    for (int d = 1; d <= 31; ++d)
        days << QStringLiteral("d%1").arg(d);
    const QString drifted = db.scalar(QStringLiteral(R"(
        with cells as (
            select w_id, smena, data, sum(time) as hours from accounts_dep.smena
            group by w_id, smena, data),
        sheet as (
            select w_id, smena, make_date(year, month, d) as data,
                   (array[%1])[d] as hours
            from accounts_dep.h_tabel, generate_series(1, 31) d
            where d <= extract(day from make_date(year, month, 1) + interval '1 month - 1 day'))
        select count(*) from cells full join sheet using (w_id, smena, data)
        where coalesce(cells.hours, 0) <> coalesce(sheet.hours, -1)
          and not (cells.hours is null and sheet.hours = 0))")
                                          .arg(days.join(", ")));
    const QString duplicates = db.scalar(
        "select count(*) from (select 1 from accounts_dep.h_tabel group by w_id, smena, month, "
        "year having count(*) > 1) d");
    const QString overLimit = db.scalar(
        "select count(*) from (select 1 from accounts_dep.smena group by w_id, data having "
        "sum(time) > 24) d");
    const int actions = kStations * kActions;
    std::printf("%d workstations x %d actions (%d saves, %d edits, %d deletions) on 3 workers "
                "and 2 days: %.0f actions/s; one save p50 %.1f ms, p99 %.1f ms (target under 50 "
                "ms); drifted cells %s, duplicate rows %s, days over 24 h %s, failed actions %d "
                "(targets 0); refused as over 24 h a day %d\n",
                kStations, kActions, saves.load(), edits.load(), deletions.load(),
                actions / seconds, percentile(saveMs, 0.5), percentile(saveMs, 0.99),
                qPrintable(drifted), qPrintable(duplicates), qPrintable(overLimit), failed.load(),
                overDay.load());
    for (const QString& f : failures.mid(0, 3))
        std::printf("  failed: %s\n", qPrintable(f));
    return drifted == "0" && duplicates == "0" && overLimit == "0" && failed == 0 ? 0 : 1;
}
