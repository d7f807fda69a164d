// The shift journal on the test database: activation and dates, shifts, the grid, accepting
// and deleting positions with the time-sheet cell they leave.
#include "journal/hours_upkeep.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "tests/support/demo_logins.h"
#include "tests/support/position_editor_harness.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "ui/cell_colours.h"
#include "ui/dataset_model.h"

#include <QtTest>
#include <QtWidgets>

#include <array>
#include <memory>

namespace {

const QDate kMonday(2026, 3, 2);
const QDate kTuesday(2026, 3, 3);
const QDate kWednesday(2026, 3, 4);
const QDate kSaturday(2026, 3, 7);
const QDate kSunday(2026, 3, 8);

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

// Workers 101 Иванов, 102 Петров, 103 Сидоров; operation 1 on finished products, 2 on blanks.
struct Position {
    QDate date = kMonday;
    int shift = 1;
    int worker = 101;
    int oper = 1;
    int hours = 8;
    QString ok = QStringLiteral("no"); // "NULL" for a null status
    double kolVo = 10;
    int brak = 0;
    double cena = 2.5;
    int color = 0;
};

} // namespace

class JournalWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void activationGoesToTodayAndMarksWeekends_data();
    void activationGoesToTodayAndMarksWeekends();
    void choosingADateRereads_data();
    void choosingADateRereads();
    void typingADateWithoutEnterRereadsNothing();
    void switchingShiftsRereadsNothing();
    void listsOnlyKnownWorkersAndLiveStatuses();
    void gridShowsTheColumnsInRussianFormats();
    void okCellsAreColouredAlsoInTheSelectedRow();
    void gridAndDatasetFollowEachOther();
    void accept_data();
    void accept();
    void remove_data();
    void remove();
    void removeAfterTypingAnotherDateKeepsTheListedDay();
    void exits_data();
    void exits();
    void rolesFindTheMenusAsActions();
    void theEntryDialogOpensFromTheJournal_data();
    void theEntryDialogOpensFromTheJournal();
    void keysOfTheJournal_data();
    void keysOfTheJournal();
    void usualValuesAreNotCut();
    void tabAndF5();
    void screenshots();

private:
    // On the station's connection as sys, or on the user's own demo login (ownLogin), whose
    // rights in the database are the group's.
    void openJournal(const QString& user = QStringLiteral("sys"), bool ownLogin = false);
    int addPosition(const Position& p);
    void addMaterial(int positionId);
    void keepHours(int positionId); // the save's upkeep for a stored position
    QString okOf(int positionId);
    QString timesheet(int worker); // "s<shift> <month>.<year>: d<day>=<hours> ..."
    QStringList listedIds();

    template <typename T> T* child(const char* name) {
        T* found = form_->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }
    QTableView* grid() { return child<QTableView>("positionsView"); }
    QDateEdit* dateT() { return child<QDateEdit>("journalDateEdit"); }
    QCheckBox* weekendBox() { return child<QCheckBox>("dayOffCheck"); }
    void clickRow(int row, bool twice = false);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> modal_;
    std::unique_ptr<StationJournal> form_;
};

void JournalWindowTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("journal");
    messages_ = std::make_unique<RecordingMessages>();
    modal_ = std::make_unique<ScriptedModalRunner>();
    db_->exec(R"(
        insert into cmn_contractor.person(s_code, s_caption) values
            ('101', 'Иванов И.И.'), ('102', 'Петров П.П.'), ('103', 'Сидоров С.С.');
        insert into accounts_dep.izdel(id, marka, nom) values (500, 'КМ-120', 'Каркас');
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0), (2, 500, 2, 1);
    )");
}

void JournalWindowTest::init() {
    // truncate: no row trigger, so accepted positions go too
    db_->exec("truncate accounts_dep.smena; delete from accounts_dep.h_tabel; "
              "delete from accounts_dep.smena_gds_use;");
    messages_->clear();
    seams::Clock::setFixedToday(kMonday);
}

void JournalWindowTest::cleanup() {
    form_.reset();
    seams::Clock::setFixedToday(QDate());
    QVERIFY2(modal_->opened.isEmpty(), "no window opens from the journal yet");
}

// As the login leaves it: the name, shift 1, the status 'ta' hidden, then the modal show.
void JournalWindowTest::openJournal(const QString& user, bool ownLogin) {
    form_ = std::make_unique<StationJournal>(db_->connectionString(ownLogin ? user : "sys"));
    form_->loginValues().userName = user;
    form_->loginValues().role = demoLoginRole(user);
    form_->loginValues().currentShift = 1;
    form_->show();
}

int JournalWindowTest::addPosition(const Position& p) {
    return db_
        ->scalar(QStringLiteral(
                     "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time, ok, "
                     "kol_vo, brak, cena, color, vvod) values ('%1', %2, %3, 500, %4, %5, %6, %7, "
                     "%8, %9, %10, '2026-03-02 08:15:00') returning id")
                     .arg(p.date.toString(Qt::ISODate))
                     .arg(p.shift)
                     .arg(p.worker)
                     .arg(p.oper)
                     .arg(p.hours)
                     .arg(p.ok == "NULL" ? p.ok : "'" + p.ok + "'")
                     .arg(p.kolVo)
                     .arg(p.brak)
                     .arg(p.cena)
                     .arg(p.color))
        .toInt();
}

void JournalWindowTest::addMaterial(int positionId) {
    db_->exec(
        QStringLiteral("insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
                       "values (%1, 3000001, 1.5)")
            .arg(positionId));
}

void JournalWindowTest::keepHours(int positionId) {
    const QStringList row =
        db_->scalar(QStringLiteral("select w_id || ' ' || smena || ' ' || data from "
                                   "accounts_dep.smena where id=%1")
                        .arg(positionId))
            .split(' ');
    OpenConnection station(db_->connectionString());
    journal::HoursUpkeep(station).afterSave(
        {row[0].toInt(), row[1].toInt(), QDate::fromString(row[2], Qt::ISODate)});
}

QString JournalWindowTest::okOf(int positionId) {
    return db_->scalar(
        QStringLiteral("select ok from accounts_dep.smena where id=%1").arg(positionId));
}

QString JournalWindowTest::timesheet(int worker) {
    return db_->timesheetText(worker);
}

// The ids of the grid's rows, in order (read through the model, as the grid shows them).
QStringList JournalWindowTest::listedIds() {
    QStringList ids;
    data::Dataset* shown = form_->gridModel().dataset();
    for (int row = 0; row < form_->gridModel().rowCount(); ++row)
        ids << shown->valueAt(row, shown->fieldIndex("id")).toString();
    return ids;
}

void JournalWindowTest::clickRow(int row, bool twice) {
    const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    if (twice) // the widget variant sends only the double-click event itself
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
}

void JournalWindowTest::activationGoesToTodayAndMarksWeekends_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("boxBefore");
    QTest::addColumn<bool>("boxAfter");
    QTest::newRow("Saturday checks the box") << kSaturday << false << true;
    QTest::newRow("Sunday checks the box") << kSunday << false << true;
    QTest::newRow("weekday leaves it checked") << kWednesday << true << true;
    QTest::newRow("weekday leaves it unchecked") << kWednesday << false << false;
}

void JournalWindowTest::activationGoesToTodayAndMarksWeekends() {
    QFETCH(QDate, today);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    const int todays = addPosition({.date = today});
    const int other = addPosition({.date = kTuesday});
    openJournal();
    // another date shown and the box set by hand, then the journal becomes active again
    dateT()->setDate(kTuesday);
    QTest::keyClick(dateT(), Qt::Key_Return);
    QCOMPARE(listedIds(), QStringList{QString::number(other)});
    weekendBox()->setChecked(boxBefore);
    seams::Clock::setFixedToday(today);
    form_->activate();
    QCOMPARE(dateT()->date(), today);
    QCOMPARE(weekendBox()->isChecked(), boxAfter);
    QCOMPARE(listedIds(), QStringList{QString::number(todays)});
    // checked: red and bold; unchecked: the standard look
    QCOMPARE(weekendBox()->font().bold(), boxAfter);
    QCOMPARE(weekendBox()->autoFillBackground(), boxAfter);
    if (boxAfter)
        QCOMPARE(weekendBox()->palette().color(weekendBox()->backgroundRole()), kRed);
}

void JournalWindowTest::choosingADateRereads_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QDate>("picked");
    QTest::addColumn<bool>("boxBefore");
    QTest::addColumn<bool>("boxAfter");
    QTest::newRow("calendar, weekday clears the box") << "calendar" << kWednesday << true << false;
    QTest::newRow("calendar, Saturday checks it") << "calendar" << kSaturday << false << true;
    QTest::newRow("Enter, weekday clears the box") << "enter" << kWednesday << true << false;
    QTest::newRow("Enter, Sunday checks it") << "enter" << kSunday << false << true;
}

void JournalWindowTest::choosingADateRereads() {
    QFETCH(QString, how);
    QFETCH(QDate, picked);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    addPosition({.date = kMonday});
    const int pickedDay = addPosition({.date = picked, .worker = 102});
    openJournal();
    weekendBox()->setChecked(boxBefore);
    if (how == "calendar") {
        emit dateT()->calendarWidget()->clicked(picked);
    } else {
        dateT()->setDate(picked);
        QTest::keyClick(dateT(), Qt::Key_Return);
    }
    QCOMPARE(dateT()->date(), picked);
    QCOMPARE(listedIds(), QStringList{QString::number(pickedDay)});
    QCOMPARE(weekendBox()->isChecked(), boxAfter);
    QCOMPARE(form_->focusWidget(), grid());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(form_->isVisible()); // Enter is not the window's default button
}

void JournalWindowTest::typingADateWithoutEnterRereadsNothing() {
    const int monday = addPosition({.date = kMonday});
    addPosition({.date = kTuesday});
    openJournal();
    dateT()->setFocus();
    dateT()->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(dateT(), Qt::Key_Up);
    QCOMPARE(dateT()->date(), kTuesday);
    QCOMPARE(listedIds(), QStringList{QString::number(monday)});
}

void JournalWindowTest::switchingShiftsRereadsNothing() {
    addPosition({.shift = 1});
    addPosition({.shift = 2, .worker = 102});
    openJournal();
    addPosition({.shift = 2, .worker = 103}); // stored at another workstation
    const std::array<QRadioButton*, 4> buttons{
        child<QRadioButton>("shift1Radio"), child<QRadioButton>("shift2Radio"),
        child<QRadioButton>("shift3Radio"), child<QRadioButton>("overtimeRadio")};
    buttons[1]->click();
    QCOMPARE(form_->loginValues().currentShift, 2);
    QCOMPARE(&form_->shownPositions(), &form_->positions().shiftPositions(2));
    QCOMPARE(form_->gridModel().dataset(), &form_->positions().shiftPositions(2));
    QCOMPARE(form_->gridModel().rowCount(), 1);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(buttons[size_t(i)]->font().bold(), i == 1);
        QCOMPARE(buttons[size_t(i)]->autoFillBackground(), i == 1);
    }
    QCOMPARE(buttons[1]->palette().color(buttons[1]->backgroundRole()), kGreen);

    child<QPushButton>("refreshButton")->click();
    QCOMPARE(form_->gridModel().rowCount(), 2);
    QCOMPARE(dateT()->date(), kMonday);

    buttons[3]->click();
    QCOMPARE(form_->loginValues().currentShift, 4);
    QCOMPARE(form_->gridModel().rowCount(), 0);
    QVERIFY(buttons[3]->font().bold() && !buttons[1]->font().bold());
}

void JournalWindowTest::listsOnlyKnownWorkersAndLiveStatuses() {
    const int open = addPosition({.worker = 102});
    const int accepted = addPosition({.worker = 101, .ok = "ok"});
    const int yes = addPosition({.worker = 103, .ok = "да"});
    addPosition({.ok = "ta"});
    addPosition({.ok = "NULL"});
    addPosition({.worker = 999}); // no person with this code
    openJournal();
    // shift 1 by name: Иванов, Петров, Сидоров
    QCOMPARE(listedIds(),
             (QStringList{QString::number(accepted), QString::number(open), QString::number(yes)}));
}

void JournalWindowTest::gridShowsTheColumnsInRussianFormats() {
    addPosition({.hours = 7, .kolVo = 12.5, .brak = 1, .cena = 2.5, .color = 3});
    openJournal();
    ui::DatasetModel& model = form_->gridModel();
    const QStringList titles{"Фамилия И.О.", "Марка изделия", "Операция", "Вид",
                             "Цвет",         "Часы",          "Кол-во",   "Брак",
                             "Итого (р.)",   "Премия (%)",    "OK",       "Заведен"};
    const QStringList cells{"Иванов И.И.", "КМ-120", "Сборка",     "Готовая продукция",
                            "3",           "7",      "12,5",       "1",
                            "28,75",       "0",      "не принята", "02.03.2026 08:15:00"};
    const QList<Qt::Alignment> aligned{Qt::AlignLeft,  Qt::AlignLeft,    Qt::AlignLeft,
                                       Qt::AlignLeft,  Qt::AlignHCenter, Qt::AlignRight,
                                       Qt::AlignRight, Qt::AlignRight,   Qt::AlignRight,
                                       Qt::AlignRight, Qt::AlignHCenter, Qt::AlignHCenter};
    QCOMPARE(model.columnCount(), titles.size());
    for (int c = 0; c < titles.size(); ++c) {
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
        QVERIFY(qvariant_cast<QFont>(model.headerData(c, Qt::Horizontal, Qt::FontRole)).bold());
        QCOMPARE(model.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter));
        const QModelIndex cell = model.index(0, c);
        QCOMPARE(cell.data().toString(), cells[c]);
        QCOMPARE(Qt::Alignment(cell.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
                 aligned[c]);
        QCOMPARE(grid()->isColumnHidden(c), titles[c] == "Премия (%)");
    }
    // a re-read keeps the premium column hidden
    child<QPushButton>("refreshButton")->click();
    QVERIFY(grid()->isColumnHidden(model.columnOf("prize")));
}

void JournalWindowTest::okCellsAreColouredAlsoInTheSelectedRow() {
    addPosition({.worker = 101, .ok = "ok"});
    addPosition({.worker = 102, .ok = "да"});
    addPosition({.worker = 103, .ok = "no"});
    openJournal();
    ui::DatasetModel& model = form_->gridModel();
    const int okColumn = model.columnOf("ok");
    const QList<QColor> expected{kGreen, kGreen, kRed};
    // the stored values stay; a person reads words
    const QStringList words{"принята", "принята", "не принята"};
    auto* delegate = qobject_cast<ui::ColouredCellDelegate*>(grid()->itemDelegate());
    QVERIFY(delegate);
    for (int row = 0; row < 3; ++row) {
        const QModelIndex ok = model.index(row, okColumn);
        QCOMPARE(ok.data().toString(), words[row]);
        QCOMPARE(qvariant_cast<QBrush>(ok.data(Qt::ForegroundRole)).color(), expected[row]);
        QVERIFY(qvariant_cast<QFont>(ok.data(Qt::FontRole)).bold());
        // the other cells are drawn the standard way
        QVERIFY(!model.index(row, model.columnOf("fio")).data(Qt::ForegroundRole).isValid());
        QVERIFY(!model.index(row, model.columnOf("fio")).data(Qt::FontRole).isValid());
        // in the selected row the text keeps its colour, made readable on the highlight
        QStyleOptionViewItem option;
        option.initFrom(grid());
        option.state |= QStyle::State_Selected;
        delegate->initStyleOption(&option, ok);
        const QColor onHighlight =
            ui::readableOn(expected[row], grid()->palette().color(QPalette::Highlight));
        QCOMPARE(option.palette.color(QPalette::Active, QPalette::HighlightedText), onHighlight);
        QCOMPARE(option.palette.color(QPalette::Inactive, QPalette::HighlightedText), onHighlight);
        QCOMPARE(onHighlight.hslHue(), expected[row].hslHue());
    }

    // what is painted: green glyphs inside the selected row's "ok" cell
    form_->shownPositions().setRecNo(1);
    const QColor green = ui::readableOn(kGreen, grid()->palette().color(QPalette::Highlight));
    const QRect cell = grid()->visualRect(model.index(0, okColumn));
    const QImage painted = grid()->viewport()->grab(cell).toImage();
    bool found = false;
    for (int y = 0; y < painted.height() && !found; ++y)
        for (int x = 0; x < painted.width() && !found; ++x)
            found = painted.pixelColor(x, y) == green;
    QVERIFY2(found, "the accepted status is drawn green in the selected row");
}

void JournalWindowTest::gridAndDatasetFollowEachOther() {
    for (int worker : {101, 102, 103})
        addPosition({.worker = worker});
    openJournal();
    data::Dataset& shift = form_->shownPositions();
    QCOMPARE(grid()->currentIndex().row(), 0);
    clickRow(2);
    QCOMPARE(shift.recNo(), 3);
    QCOMPARE(shift.asInt("w_id"), 103);
    shift.setRecNo(2);
    QCOMPARE(grid()->currentIndex().row(), 1);
    QVERIFY(grid()->selectionModel()->isRowSelected(1, {}));
    child<QPushButton>("refreshButton")->click(); // a re-read starts at the first row
    QCOMPARE(grid()->currentIndex().row(), 0);
    QCOMPARE(grid()->selectionModel()->selectedRows().size(), 1);
}

void JournalWindowTest::accept_data() {
    // Three positions of shift 1 (Иванов, Петров, Сидоров); the target is Петров's, the second row.
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("oper");
    QTest::addColumn<bool>("material");
    QTest::addColumn<QString>("how"); // button, or double-click by the login given
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("statusAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("with material") << "no" << 1 << true << "button"
                                   << "sys"
                                   << "ok"
                                   << "";
    QTest::newRow("'да' can still be accepted") << "да" << 1 << true << "button"
                                                << "sys"
                                                << "ok"
                                                << "";
    QTest::newRow("already accepted: nothing") << "ok" << 1 << true << "button"
                                               << "sys"
                                               << "ok"
                                               << "";
    QTest::newRow("blanks: nothing") << "no" << 2 << true << "button"
                                     << "sys"
                                     << "no"
                                     << "";
    QTest::newRow("no material: the message") << "no" << 1 << false << "button"
                                              << "sys"
                                              << "no"
                                              << "Не заведен расход ТМЦ!";
    QTest::newRow("master's double-click accepts") << "no" << 1 << true << "double-click"
                                                   << "quorvin"
                                                   << "ok"
                                                   << "";
    // a master may not lock a position, as changing it is not his
    QTest::newRow("a master's own login accepts") << "no" << 1 << true << "button"
                                                  << "zemplar"
                                                  << "ok"
                                                  << "";
    QTest::newRow("clerk's double-click does not") << "no" << 1 << true << "double-click"
                                                   << "clerk"
                                                   << "no"
                                                   << "";
}

void JournalWindowTest::accept() {
    QFETCH(QString, status);
    QFETCH(int, oper);
    QFETCH(bool, material);
    QFETCH(QString, how);
    QFETCH(QString, user);
    QFETCH(QString, statusAfter);
    QFETCH(QString, message);
    addPosition({.worker = 101});
    const int target = addPosition({.worker = 102, .oper = oper, .ok = status});
    addPosition({.worker = 103});
    if (material)
        addMaterial(target);
    openJournal(user, user != "clerk");
    QVERIFY(form_->shownPositions().locate("id", target));
    if (how == "button")
        child<QPushButton>("acceptButton")->click();
    else
        clickRow(1, true);
    QCOMPARE(okOf(target), statusAfter);
    QCOMPARE(form_->shownPositions().recNo(), 2);
    QCOMPARE(form_->shownPositions().asString("ok"),
             statusAfter); // the list shows the stored status
    QCOMPARE(grid()->currentIndex().row(), 1);
    if (message.isEmpty()) {
        QVERIFY(messages_->shown.isEmpty());
    } else {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, message);
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Error);
    }
}

void JournalWindowTest::remove_data() {
    // Иванов (101), shift 1: the target on Monday, 5 hours on Tuesday; his time-sheet kept by
    // saves.
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("sameDayHours"); // a second position of Monday, 0 for none
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("timesheetAfter");
    QTest::newRow("Yes, the last position of the day")
        << "no" << 0 << true << true << true << "s1 3.2026: d3=5";
    QTest::newRow("Yes, one of two positions of the day")
        << "no" << 4 << true << true << true << "s1 3.2026: d2=4 d3=5";
    QTest::newRow("Yes, 'да' can be deleted")
        << "да" << 0 << true << true << true << "s1 3.2026: d3=5";
    QTest::newRow("No deletes nothing")
        << "no" << 0 << false << true << false << "s1 3.2026: d2=8 d3=5";
    QTest::newRow("accepted: not asked, told why")
        << "ok" << 0 << true << false << false << "s1 3.2026: d2=8 d3=5";
}

void JournalWindowTest::remove() {
    QFETCH(QString, status);
    QFETCH(int, sameDayHours);
    QFETCH(bool, yes);
    QFETCH(bool, asked);
    QFETCH(bool, deleted);
    QFETCH(QString, timesheetAfter);
    const int target = addPosition({.date = kMonday, .hours = 8, .ok = status});
    keepHours(target);
    keepHours(addPosition({.date = kTuesday, .hours = 5}));
    if (sameDayHours > 0)
        keepHours(addPosition({.date = kMonday, .worker = 101, .hours = sameDayHours}));
    openJournal();
    const int listed = form_->gridModel().rowCount();
    QVERIFY(form_->shownPositions().locate("id", target));
    const int elsewhere = addPosition({.worker = 103}); // stored at another workstation meanwhile
    if (asked)
        messages_->answer(yes);
    child<QPushButton>("deleteButton")->click();

    QCOMPARE(messages_->shown.size(), 1);
    if (asked) {
        QCOMPARE(messages_->shown[0].text, QString("Удалить позицию из списка?"));
        QCOMPARE(messages_->shown[0].caption, QString("Удаление"));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Question);
    } else {
        QCOMPARE(messages_->shown[0].text, QString("Позиция принята мастером и не меняется."));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Error);
    }
    QCOMPARE(okOf(target).isEmpty(), deleted);
    QCOMPARE(timesheet(101), timesheetAfter);
    // the question re-reads the list whatever the answer; a refusal re-reads nothing
    QStringList ids = listedIds();
    QCOMPARE(ids.contains(QString::number(elsewhere)), asked);
    QCOMPARE(ids.contains(QString::number(target)), !deleted);
    QCOMPARE(ids.size(), listed + (asked ? 1 : 0) - (deleted ? 1 : 0));
}

// The date picker moved to Tuesday by the keyboard (no Enter) while Monday is listed: deleting
// Monday's position re-derives Monday's cell, and Tuesday's stays as it was.
void JournalWindowTest::removeAfterTypingAnotherDateKeepsTheListedDay() {
    const int target = addPosition({.date = kMonday, .hours = 8});
    keepHours(target);
    keepHours(addPosition({.date = kTuesday, .hours = 6}));
    db_->exec("update accounts_dep.h_tabel set d3=9 where w_id=101"); // drifted, rebuild pending
    openJournal();
    dateT()->setDate(kTuesday);
    QCOMPARE(listedIds(), QStringList{QString::number(target)});
    messages_->answer(true);
    child<QPushButton>("deleteButton")->click();
    QVERIFY(okOf(target).isEmpty());
    QCOMPARE(timesheet(101), QString("s1 3.2026: d3=9"));
}

// Esc asks first; "Выход" and the menu's "Выход" end at once. The journal has no "Отмена",
// which did nothing.
void JournalWindowTest::exits_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Esc, Yes") << "esc" << true << true;
    QTest::newRow("Esc, No") << "esc" << true << false;
    QTest::newRow("Выход") << "exitButton" << false << true;
    QTest::newRow("menu Выход") << "exitAction" << false << true;
}

void JournalWindowTest::exits() {
    QFETCH(QString, how);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    openJournal();
    QVERIFY(!form_->findChild<QPushButton*>("cancelButton"));
    if (asked)
        messages_->answer(closes);
    if (how == "esc")
        QTest::keyClick(grid(), Qt::Key_Escape);
    else if (how == "exitAction")
        child<QAction>("exitAction")->trigger();
    else
        child<QPushButton>(qPrintable(how))->click();
    QCOMPARE(form_->isVisible(), !closes);
    if (closes)
        QCOMPARE(form_->result(), int(QDialog::Rejected));
    if (asked) {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].text, QString("Выйти из программы?"));
        QVERIFY(messages_->shown[0].kind == RecordingMessages::Kind::Question);
    } else {
        QVERIFY(messages_->shown.isEmpty());
    }
}

// The roles switch the menus off by name: each name is an action of the menu bar.
void JournalWindowTest::rolesFindTheMenusAsActions() {
    openJournal();
    auto* bar = child<QMenuBar>("menuBar");
    QStringList topLevel;
    for (QAction* action : bar->actions())
        topLevel << action->objectName();
    QCOMPARE(topLevel,
             (QStringList{"directoriesMenu", "timesheetAction", "reportsMenu", "exitAction"}));
    for (const char* name : {"directoriesMenu", "timesheetAction", "reportsMenu", "exitAction"})
        QVERIFY(bar->actions().contains(child<QAction>(name)));
    QVERIFY(!child<QAction>("workersAction")->isEnabled());
    QVERIFY(!child<QAction>("productsAction")->isEnabled());
    // "Внеурочное" did nothing: it is gone
    QVERIFY(!form_->findChild<QAction*>("overtimeAction"));
}

// What a person sees, saved for a look: a weekend day with accepted and open positions.
void JournalWindowTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    seams::Clock::setFixedToday(kSaturday);
    const QList<Position> day{
        {.date = kSaturday,
         .worker = 101,
         .hours = 8,
         .ok = "ok",
         .kolVo = 120,
         .cena = 1.75,
         .color = 3},
        {.date = kSaturday,
         .worker = 101,
         .oper = 2,
         .hours = 2,
         .kolVo = 12.5,
         .brak = 1,
         .cena = 4.2},
        {.date = kSaturday, .worker = 102, .hours = 11, .ok = "да", .kolVo = 40, .cena = 12.3456},
        {.date = kSaturday,
         .worker = 103,
         .hours = 6,
         .kolVo = 1000,
         .brak = 12,
         .cena = 0.85,
         .color = 1015},
        {.date = kSaturday, .shift = 4, .worker = 102, .hours = 3, .kolVo = 7, .cena = 30},
    };
    for (const Position& p : day)
        addPosition(p);
    openJournal();
    form_->shownPositions().setRecNo(2);
    QCoreApplication::processEvents(); // the layout takes the bold captions' new widths
    QVERIFY(form_->grab().save(dir + "/journal_shift1.png"));
    child<QRadioButton>("overtimeRadio")->click();
    QVERIFY(saveScreenshot(form_.get(), dir + "/journal_overtime.png"));
}

// "Добавить", "Изменить" and the double-click open the entry dialog in its three modes; a
// master's double-click accepts instead, and an accepted position is not opened for a change:
// the person is told why.
// Afterwards the journal is back on today and stands on the position worked on.
void JournalWindowTest::theEntryDialogOpensFromTheJournal_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("caption"); // empty: no dialog
    QTest::newRow("Добавить") << "addButton"
                              << "petrova"
                              << "no"
                              << "Заведение новой позиции";
    QTest::newRow("Изменить") << "editButton"
                              << "petrova"
                              << "no"
                              << "Изменение данных о позиции";
    QTest::newRow("Изменить an accepted one") << "editButton"
                                              << "sys"
                                              << "ok"
                                              << "";
    QTest::newRow("a clerk's double-click") << "double-click"
                                            << "petrova"
                                            << "no"
                                            << "Просмотр данных о позиции";
    QTest::newRow("a master's double-click") << "double-click"
                                             << "fennix"
                                             << "no"
                                             << "";
}

void JournalWindowTest::theEntryDialogOpensFromTheJournal() {
    QFETCH(QString, how);
    QFETCH(QString, user);
    QFETCH(QString, status);
    QFETCH(QString, caption);
    addPosition({.worker = 101});
    const int target = addPosition({.worker = 102, .ok = status});
    addMaterial(target);
    openJournal(user);
    EntryWindows windows(form_->connection());
    form_->useEntryDialog(windows.entry);
    QVERIFY(form_->shownPositions().locate("id", target));
    QString shownCaption;
    if (!caption.isEmpty())
        modal_->then([&](QDialog* d) {
            shownCaption = d->windowTitle();
            dateT()->setDate(kTuesday); // the journal moved meanwhile
        });
    if (how == "double-click")
        clickRow(1, true);
    else
        child<QPushButton>(qPrintable(how))->click();
    QCOMPARE(shownCaption, caption);
    QCOMPARE(modal_->opened.size(), caption.isEmpty() ? 0 : 1);
    modal_->opened.clear();
    QCOMPARE(dateT()->date(), kMonday);
    QCOMPARE(okOf(target), QString(user == "fennix" ? "ok" : status));
    if (how != "addButton")
        QCOMPARE(form_->shownPositions().asInt("id"), target);
    QCOMPARE(messages_->last(), QString(status == "ok" && how == "editButton"
                                            ? "Позиция принята мастером и не меняется."
                                            : ""));
}

// The keys of a shift's work, pressed in the grid of the active journal: each does what its
// button does, for the logins whose rights let them.
void JournalWindowTest::keysOfTheJournal_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QString>("status"); // of the position the grid stands on
    QTest::addColumn<QString>("opened"); // the entry dialog's caption; empty: none
    QTest::addColumn<QString>("said");   // the message box; empty: none
    QTest::addColumn<QString>("after");  // the position's status afterwards; "-" deleted
    const QString add = "Заведение новой позиции";
    const QString change = "Изменение данных о позиции";
    const QString view = "Просмотр данных о позиции";
    const QKeyCombination enter(Qt::Key_Return);
    QTest::newRow("Insert") << "petrova" << QKeyCombination(Qt::Key_Insert) << "no" << add << ""
                            << "no";
    QTest::newRow("Ctrl+N") << "petrova" << (Qt::CTRL | Qt::Key_N) << "no" << add << ""
                            << "no";
    QTest::newRow("Insert, no right to record")
        << "zemplar" << QKeyCombination(Qt::Key_Insert) << "no"
        << ""
        << ""
        << "no";
    QTest::newRow("Enter changes") << "petrova" << enter << "no" << change << ""
                                   << "no";
    QTest::newRow("Enter on an accepted one shows it") << "petrova" << enter << "ok" << view << ""
                                                       << "ok";
    QTest::newRow("a master's Enter shows it") << "zemplar" << enter << "no" << view << ""
                                               << "no";
    QTest::newRow("Delete asks") << "petrova" << QKeyCombination(Qt::Key_Delete) << "no"
                                 << ""
                                 << "Удалить позицию из списка?"
                                 << "-";
    QTest::newRow("Delete an accepted one") << "petrova" << QKeyCombination(Qt::Key_Delete) << "ok"
                                            << ""
                                            << "Позиция принята мастером и не меняется."
                                            << "ok";
    QTest::newRow("a master's Space accepts") << "zemplar" << QKeyCombination(Qt::Key_Space) << "no"
                                              << ""
                                              << ""
                                              << "ok";
    QTest::newRow("a master's Ctrl+Enter accepts")
        << "zemplar" << (Qt::CTRL | Qt::Key_Return) << "no"
        << ""
        << ""
        << "ok";
    QTest::newRow("a clerk's Space does not") << "petrova" << QKeyCombination(Qt::Key_Space) << "no"
                                              << ""
                                              << ""
                                              << "no";
}

void JournalWindowTest::keysOfTheJournal() {
    QFETCH(QString, user);
    QFETCH(QKeyCombination, key);
    QFETCH(QString, status);
    QFETCH(QString, opened);
    QFETCH(QString, said);
    QFETCH(QString, after);
    const int target = addPosition({.ok = status});
    addMaterial(target);
    openJournal(user);
    form_->applyRights(ui::journalRights(demoLoginRole(user)));
    EntryWindows windows(form_->connection());
    form_->useEntryDialog(windows.entry);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(QApplication::focusWidget(), grid()); // where the journal starts
    QString caption;
    if (!opened.isEmpty())
        modal_->then([&](QDialog* d) { caption = d->windowTitle(); });
    QTest::keyClick(grid(), key.key(), key.keyboardModifiers());
    QCOMPARE(caption, opened);
    QCOMPARE(modal_->opened.size(), opened.isEmpty() ? 0 : 1);
    modal_->opened.clear();
    QCOMPARE(messages_->last(), said);
    QCOMPARE(okOf(target), after == "-" ? QString() : after);
}

// What a shop's day usually holds is shown whole: no column cuts its text.
void JournalWindowTest::usualValuesAreNotCut() {
    // a long operation name and a large sum, as a shop's month has them
    db_->exec("insert into accounts_dep.vid_oper(id, vid) values (3, 'Токарная обработка'); "
              "insert into accounts_dep.oper(id, i_id, vid, naimen) values (3, 500, 3, 0);");
    addPosition({.oper = 3, .kolVo = 1000, .brak = 12, .cena = 13.5125});
    addPosition({.worker = 102, .ok = "ok"});
    openJournal();
    const QFontMetrics metrics(grid()->font());
    ui::DatasetModel& model = form_->gridModel();
    for (int row = 0; row < model.rowCount(); ++row)
        for (int c = 0; c < model.columnCount(); ++c) {
            if (grid()->isColumnHidden(c))
                continue;
            const QString text = model.index(row, c).data().toString();
            // the text with the style's margins on both sides
            QVERIFY2(
                grid()->columnWidth(c) >= metrics.horizontalAdvance(text) + 6,
                qPrintable(
                    QString("%1 in a column of %2 pixels").arg(text).arg(grid()->columnWidth(c))));
        }
}

// Tab leaves the grid for the buttons; F5 reads the lists again, as "Обновить" does.
void JournalWindowTest::tabAndF5() {
    addPosition({});
    openJournal();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    addPosition({.worker = 102}); // stored at another workstation
    QTest::keyClick(grid(), Qt::Key_F5);
    QCOMPARE(form_->gridModel().rowCount(), 2);
    QTest::keyClick(grid(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>("addButton"));
}

QTEST_MAIN(JournalWindowTest)
#include "journal_window_test.moc"
