// The search box every list window shares, in the three windows that have one: what the
// typed text leaves in the list (apostrophes, case, blanks), Up and Down, and which keys
// each window's box takes.
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/operation_types_window.h"
#include "directories/product_picker.h"
#include "directories/worker_picker.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace {

// One set of names for the three lists, so one table of cases serves all of them.
// In the lists' order (by code point): blank, Latin, Cyrillic capitals, Cyrillic small.
const QStringList kNames{" Пробелов",  "O'Brien",     "Иванов И.И.",
                         "Ивлев П.П.", "Петров С.С.", "д'Артаньян"};

// Steps: "<Key>" presses that key, "<Caret0>" puts the caret first (as a click would),
// anything else is typed one character at a time (key clicks abort on Cyrillic).
void press(QLineEdit* box, const QStringList& steps) {
    static const QHash<QString, Qt::Key> keys{
        {"<Backspace>", Qt::Key_Backspace},
        {"<Delete>", Qt::Key_Delete},
        {"<Home>", Qt::Key_Home},
        {"<End>", Qt::Key_End},
        {"<Left>", Qt::Key_Left},
        {"<Right>", Qt::Key_Right},
        {"<Up>", Qt::Key_Up},
        {"<Down>", Qt::Key_Down},
    };
    for (const QString& step : steps) {
        if (step == "<Caret0>") {
            box->setCursorPosition(0);
            continue;
        }
        if (keys.contains(step)) {
            QTest::keyClick(box, keys.value(step));
            continue;
        }
        typeInto(box, step);
    }
}

} // namespace

class IncrementalSearchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void typingNarrowsTheList_data();
    void typingNarrowsTheList();
    void upAndDownMoveTheList_data();
    void upAndDownMoveTheList();
    void keysTheBoxTakes_data();
    void keysTheBoxTakes();

private:
    struct Inside {
        QDialog* window;
        QLineEdit* box;
        QTableView* grid;
        data::Dataset* list;
    };
    // Opens the window the way its opener does and runs inside while it is shown.
    void inWindow(const QString& window, const std::function<void(const Inside&)>& inside);
    static QStringList shownRows(QTableView* grid);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
    std::unique_ptr<ProductPicker> productPicker_;
    std::unique_ptr<WorkerPicker> workerPicker_;
    std::unique_ptr<OperationTypesWindow> operationTypes_;
};

void IncrementalSearchTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("search");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    for (int i = 0; i < kNames.size(); ++i) {
        const QString name = "'" + QString(kNames[i]).replace("'", "''") + "'";
        db_->exec(
            QStringLiteral("insert into cmn_contractor.person(s_code, s_caption) values ('%1', %2);"
                           "insert into accounts_dep.izdel(id, marka) values (%1, %2);"
                           "insert into accounts_dep.vid_oper(vid) values (%2);")
                .arg(i + 1)
                .arg(name));
    }
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    productPicker_ = std::make_unique<ProductPicker>(*catalog_);
    workerPicker_ = std::make_unique<WorkerPicker>(*catalog_);
    operationTypes_ = std::make_unique<OperationTypesWindow>(*catalog_);
}

void IncrementalSearchTest::cleanupTestCase() {
    operationTypes_.reset();
    workerPicker_.reset();
    productPicker_.reset();
    catalog_.reset();
    connection_.close();
}

void IncrementalSearchTest::init() {
    messages_->clear();
}

void IncrementalSearchTest::inWindow(const QString& window,
                                     const std::function<void(const Inside&)>& inside) {
    runner_->then([&](QDialog* d) {
        inside({d, d->findChild<QLineEdit*>("searchEdit"), d->findChild<QTableView*>(),
                window == "ProductPicker"  ? &catalog_->products()
                : window == "WorkerPicker" ? &catalog_->employees()
                                           : &catalog_->operationTypes()});
    });
    if (window == "ProductPicker") {
        productPicker_->pick();
    } else if (window == "WorkerPicker") {
        workerPicker_->pick();
    } else {
        operationTypes_->pick();
    }
    QCOMPARE(runner_->opened.takeLast(), window);
}

QStringList IncrementalSearchTest::shownRows(QTableView* grid) {
    QStringList rows;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        rows << grid->model()->index(row, 0).data().toString();
    return rows;
}

void IncrementalSearchTest::typingNarrowsTheList_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");
    const QStringList ivanov{"Иванов И.И.", "Ивлев П.П."};
    const struct {
        const char* name;
        QStringList steps;
        QStringList shown;
    } cases[] = {
        {"prefix", {"Ив"}, ivanov},
        {"longer prefix", {"Иван"}, {"Иванов И.И."}},
        {"Cyrillic in another case", {"иВ"}, ivanov},
        {"small letters found by capitals", {"Д'А"}, {"д'Артаньян"}},
        {"a leading blank", {" "}, {" Пробелов"}},
        {"the blank is not trimmed", {" П"}, {" Пробелов"}},
        {"without the blank", {"П"}, {"Петров С.С."}},
        {"an apostrophe", {"O'"}, {"O'Brien"}},
        {"a lone apostrophe", {"'"}, {}},
        {"nothing matches", {"Я"}, {}},
        {"a match only inside", {"ванов"}, {}},
        {"emptied again", {"Ив", "<Backspace>", "<Backspace>"}, kNames},
    };
    for (const char* window : {"ProductPicker", "WorkerPicker", "OperationTypesWindow"})
        for (const auto& c : cases)
            QTest::addRow("%s: %s", window, c.name) << window << c.steps << c.shown;
}

void IncrementalSearchTest::typingNarrowsTheList() {
    QFETCH(QString, window);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);
    inWindow(window, [&](const Inside& w) {
        QCOMPARE(shownRows(w.grid), kNames);
        press(w.box, steps);
        QCOMPARE(shownRows(w.grid), shown);
        QCOMPARE(w.list->recordCount(), shown.size());
        QCOMPARE(w.list->filtered(), !w.box->text().isEmpty());
    });
    QCOMPARE(messages_->shown.size(), 0);
}

void IncrementalSearchTest::upAndDownMoveTheList_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("ProductPicker") << "ProductPicker";
    QTest::newRow("WorkerPicker") << "WorkerPicker";
    QTest::newRow("OperationTypesWindow") << "OperationTypesWindow";
}

void IncrementalSearchTest::upAndDownMoveTheList() {
    QFETCH(QString, window);
    inWindow(window, [&](const Inside& w) {
        QCOMPARE(w.list->recNo(), 1);
        press(w.box, {"<Down>", "<Down>", "<Down>"});
        QCOMPARE(w.list->recNo(), 4);
        QCOMPARE(w.grid->currentIndex().row(), 3);
        press(w.box, {"<Up>"});
        QCOMPARE(w.list->recNo(), 3);
        QCOMPARE(w.grid->currentIndex().row(), 2);
        press(w.box, {"<Up>", "<Up>", "<Up>"}); // stays on the first row
        QCOMPARE(w.list->recNo(), 1);
        press(w.box, {"Ив", "<Down>"});
        QCOMPARE(w.grid->currentIndex().data().toString(), QString("Ивлев П.П."));
        QCOMPARE(w.box->text(), QString("Ив")); // Up and Down do not reach the text
    });
}

void IncrementalSearchTest::keysTheBoxTakes_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("text");
    const struct {
        const char* name;
        QStringList steps;
        const char* typingOnly; // WorkerPicker, OperationTypesWindow: caret keys, Home, End, Delete
                                // do nothing
        const char* allKeys;    // ProductPicker: only Up and Down are taken
    } cases[] = {
        {"Home, Delete", {"Ив", "<Home>", "<Delete>", "а"}, "Ива", "ав"},
        {"Left", {"Ив", "<Left>", "а"}, "Ива", "Иав"},
        {"Home, Backspace", {"Ива", "<Home>", "<Backspace>"}, "Ив", "Ива"},
        {"End", {"Ив", "<Caret0>", "<End>", "а"}, "аИв", "Ива"},
        {"Delete", {"Ив", "<Caret0>", "<Delete>"}, "Ив", "в"},
        {"Backspace edits", {"Ива", "<Backspace>", "л"}, "Ивл", "Ивл"},
    };
    for (const auto& c : cases) {
        QTest::addRow("ProductPicker: %s", c.name) << "ProductPicker" << c.steps << c.allKeys;
        QTest::addRow("WorkerPicker: %s", c.name) << "WorkerPicker" << c.steps << c.typingOnly;
        QTest::addRow("OperationTypesWindow: %s", c.name)
            << "OperationTypesWindow" << c.steps << c.typingOnly;
    }
}

void IncrementalSearchTest::keysTheBoxTakes() {
    QFETCH(QString, window);
    QFETCH(QStringList, steps);
    QFETCH(QString, text);
    inWindow(window, [&](const Inside& w) {
        press(w.box, steps);
        QCOMPARE(w.box->text(), text);
        QVERIFY(w.window->isVisible());
    });
}

QTEST_MAIN(IncrementalSearchTest)
#include "incremental_search_test.moc"
