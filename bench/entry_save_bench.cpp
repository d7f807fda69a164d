// One "Запись" of a new position in the entry dialog (the insert, the time-sheet upkeep, the
// journal's list read again and the material list opened) on a year of about 700,000
// positions, against the same statements sent bare through libpq in the same run.
#include "data/data_module.h"
#include "data/statement.h"
#include "directories/operations_window.h"
#include "directories/workers_window.h"
#include "journal/entry_dialog.h"
#include "journal/hours_upkeep.h"
#include "journal/journal_view.h"
#include "journal/material_window.h"
#include "journal/position.h"
#include "seams/clock.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "ui/login_role.h"
#include "ui/lookup_combo_box.h"
#include "year_of_positions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QDate kDay(2026, 6, 15);

class Journal : public JournalView {
public:
    explicit Journal(data::DataModule6& dm) : dm_(dm) { login.UserName = "petrova"; }
    QDate journalDate() const override { return kDay; }
    bool dayOff() const override { return false; }
    data::Dataset& currentShift() override { return dm_.Smena1; }
    const ui::LoginValues& loginValues() const override { return login; }
    ui::LoginValues login;

private:
    data::DataModule6& dm_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs one statement with text parameters; stops the benchmark on an error.
void bare(PGconn* conn, const data::ParsedSql& sql, const std::vector<QByteArray>& values) {
    std::vector<const char*> p;
    for (const QByteArray& v : values)
        p.push_back(v.constData());
    PGresult* r = PQexecParams(conn, sql.text.constData(), int(p.size()), nullptr, p.data(),
                               nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK && PQresultStatus(r) != PGRES_COMMAND_OK) {
        std::fprintf(stderr, "bare statement failed: %s\n", PQresultErrorMessage(r));
        std::exit(1);
    }
    PQclear(r);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RecordingMessages messages;
    ScriptedModalRunner modal;
    TestDatabase db("bench_save");
    createShopData(db);
    db.useAsBuiltin();
    seams::Clock::setFixedToday(kDay);

    data::DataModule6 dm;
    Journal journal(dm);
    for (int shift = 1; shift <= 4; ++shift) {
        dm.smena(shift).setParam("data", kDay);
        dm.smena(shift).setParam("ok", "ta");
        dm.smena(shift).open();
    }
    Form5 workers(dm);
    Form4 operations(dm);
    Form24 materials(dm);
    Form11 entry(dm, journal);
    entry.useWindows(workers, operations, materials);

    // --- the program: "Запись" in the dialog, the header filled beforehand (not timed)
    const int runs = 41;
    std::vector<double> program;
    for (int i = 0; i < runs; ++i) {
        modal.then([&](QDialog* d) {
            auto* requisition = d->findChild<ui::LookupComboBox*>("LCB_id_doc");
            requisition->choose(requisition->findData(7000001, ui::LookupComboBox::KeyRole));
            auto* line = d->findChild<ui::LookupComboBox*>("LCB_id_doc_item");
            line->choose(line->findData(7100001, ui::LookupComboBox::KeyRole));
            modal.then([&](QDialog* list) {
                dm.Workers.setRecNo(1 + i % 300);
                list->findChild<QPushButton*>("Button2")->click();
            });
            d->findChild<QPushButton*>("Button3")->click();
            modal.then([&](QDialog* list) { list->findChild<QPushButton*>("Button2")->click(); });
            d->findChild<QPushButton*>("Button4")->click();
            d->findChild<QLineEdit*>("Edit3")->setText("12,5");
            d->findChild<QLineEdit*>("Edit6")->setText("4");
            QElapsedTimer timer;
            timer.start();
            d->findChild<QPushButton*>("Button1")->click();
            program.push_back(double(timer.nsecsElapsed()) / 1e6);
        });
        entry.openNew();
    }
    if (!messages.shown.isEmpty()) {
        std::fprintf(stderr, "the dialog said: %s\n", qPrintable(messages.shown.first().text));
        return 1;
    }

    // --- the same statements through libpq alone
    PGconn* conn = db.sys().handle();
    const data::ParsedSql shiftSql = data::parseNamedParameters(dm.Smena1.sql());
    const data::ParsedSql materialsSql = data::parseNamedParameters(entry.smena_gds_use.sql());
    const data::ParsedSql setDay = data::parseNamedParameters(journal::HoursUpkeep::kSetDaySql);
    std::vector<double> libpq;
    for (int i = 0; i < runs; ++i) {
        journal::Position p;
        p.w_id = 1001 + (i * 7) % 300;
        p.i_id = 1;
        p.o_id = 1;
        p.cena = 1.5f;
        p.quantity = "12,5";
        p.rejects = "0";
        p.hours = "4";
        p.workDay = kDay;
        p.id_doc = 7000001;
        p.id_doc_item = 7100001;
        const QByteArray insert = journal::insertStatement(p, {false, 1, kDay}).toUtf8();
        QElapsedTimer timer;
        timer.start();
        PQclear(PQexec(conn, "begin")); // the position and its cell are one transaction
        PGresult* r = PQexec(conn, insert.constData());
        const QByteArray id = PQgetvalue(r, 0, 0);
        PQclear(r);
        bare(conn, setDay, {QByteArray::number(p.w_id), "1", "2026-06-15", "true"});
        PQclear(PQexec(conn, "commit"));
        bare(conn, shiftSql, {"2026-06-15", "ta"});
        bare(conn, materialsSql, {id});
        libpq.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double programMs = median(program), libpqMs = median(libpq);
    std::printf("one \"Запись\" of a new position among %s positions, median of %d: the dialog "
                "%.2f ms, the same statements through libpq %.2f ms (ratio %.2f, target <= 1.30; "
                "target under 20 ms)\n",
                qPrintable(db.scalar("select count(*) from accounts_dep.smena")), runs, programMs,
                libpqMs, programMs / libpqMs);
    return 0;
}
