// Operation types: the editor's save (empty, duplicates in any case, renames, trimming,
// quotes in names, a duplicate another workstation wrote meanwhile), deletion (refused while
// an operation uses the type, also one another workstation wrote meanwhile), the selection
// mode handing name and id over, and the journal's menu opening the directory.
#include "app/startup.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "journal/journal_window.h"
#include "seams/messages.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QString kDuplicate = QStringLiteral("Такая операция уже заведена!");
const QString kInUse =
    QStringLiteral("Вид операции используется в операциях, удаление невозможно!");

QStringList handedOver(const std::optional<OperationTypeChoice>& choice) {
    if (!choice)
        return {};
    return {choice->name + "|" + QString::number(choice->id)};
}

} // namespace

class OperationTypesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void save_data();
    void save();
    void aDuplicateWrittenMeanwhileIsRefused();
    void remove_data();
    void remove();
    void selection_data();
    void selection();
    void journalMenuOpensTheWholeDirectory();
    void screenshots();

private:
    QString storedTypes(); // names in id order, "|" between them
    QLineEdit* searchBox(QWidget* w) { return w->findChild<QLineEdit*>("searchEdit"); }
    QLineEdit* nameBox(QWidget* w) { return w->findChild<QLineEdit*>("typeNameEdit"); }
    QTableView* grid() { return operationTypes_->findChild<QTableView*>("typesView"); }
    void selectType(const QString& name); // the row in the grid, by a click
    void doubleClickGrid();

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
    std::unique_ptr<OperationTypesWindow> operationTypes_;
    std::unique_ptr<OperationTypeEditor> typeEditor_;
};

void OperationTypesTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("optypes");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    QCOMPARE(db_->scalar("select upper('сборка ёлка')"), QString("СБОРКА ЁЛКА"));
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    operationTypes_ = std::make_unique<OperationTypesWindow>(*catalog_);
    typeEditor_ = std::make_unique<OperationTypeEditor>(*catalog_);
    operationTypes_->useEditor(*typeEditor_);
}

void OperationTypesTest::cleanupTestCase() {
    operationTypes_.reset();
    typeEditor_.reset();
    catalog_.reset();
    connection_.close();
}

void OperationTypesTest::init() {
    db_->exec("delete from accounts_dep.oper; delete from accounts_dep.vid_oper;"
              "insert into accounts_dep.vid_oper(id, vid) "
              "values (1, 'Сборка'), (2, 'Покраска'), (3, 'O''Brien');"
              "select setval('accounts_dep.vid_oper_id_seq', 3);");
    messages_->clear();
    runner_->opened.clear();
}

QString OperationTypesTest::storedTypes() {
    return db_->scalar("select string_agg(vid::text, '|' order by id) from accounts_dep.vid_oper");
}

void OperationTypesTest::selectType(const QString& name) {
    QVERIFY(catalog_->operationTypes().locate("vid", name.leftJustified(128, ' ')));
    const int row = catalog_->operationTypes().currentRow();
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                      grid()->visualRect(grid()->model()->index(row, 0)).center());
    QCOMPARE(grid()->currentIndex().row(), row);
}

void OperationTypesTest::doubleClickGrid() {
    const QModelIndex current = grid()->currentIndex();
    const QPoint at = current.isValid() ? grid()->visualRect(current).center() : QPoint(20, 20);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
}

void OperationTypesTest::save_data() {
    QTest::addColumn<QString>("row"); // empty: "Добавить", else "Изменить" on that row
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored");
    const QString before = "Сборка|Покраска|O'Brien";
    QTest::newRow("empty") << ""
                           << "" << seams::kAllFieldsRequired << before;
    QTest::newRow("blanks only") << ""
                                 << "   " << seams::kAllFieldsRequired << before;
    QTest::newRow("duplicate, small letters") << ""
                                              << "сборка" << kDuplicate << before;
    QTest::newRow("duplicate, capitals") << ""
                                         << "ПОКРАСКА" << kDuplicate << before;
    QTest::newRow("duplicate with blanks") << ""
                                           << "  Сборка " << kDuplicate << before;
    QTest::newRow("duplicate with an apostrophe") << ""
                                                  << "o'BRIEN" << kDuplicate << before;
    QTest::newRow("new, trimmed") << ""
                                  << "  Сварка  "
                                  << "" << before + "|Сварка";
    QTest::newRow("new with an apostrophe") << ""
                                            << "д'Артаньян"
                                            << "" << before + "|д'Артаньян";
    QTest::newRow("new with a backslash") << ""
                                          << "Резка \\' 2"
                                          << "" << before + "|Резка \\' 2";
    QTest::newRow("new with a parameter mark") << ""
                                               << "Резка :id"
                                               << "" << before + "|Резка :id";
    QTest::newRow("nothing injected")
        << ""
        << "x'); delete from accounts_dep.vid_oper; --"
        << "" << before + "|x'); delete from accounts_dep.vid_oper; --";
    QTest::newRow("rename to itself in small letters") << "Сборка"
                                                       << "сборка"
                                                       << ""
                                                       << "сборка|Покраска|O'Brien";
    QTest::newRow("rename to itself in capitals, trimmed") << "Сборка"
                                                           << " СБОРКА "
                                                           << ""
                                                           << "СБОРКА|Покраска|O'Brien";
    QTest::newRow("rename to another's name") << "Сборка"
                                              << "покраска" << kDuplicate << before;
    QTest::newRow("rename with an apostrophe") << "O'Brien"
                                               << "O'Brien's"
                                               << ""
                                               << "Сборка|Покраска|O'Brien's";
    QTest::newRow("rename emptied") << "Покраска"
                                    << " " << seams::kAllFieldsRequired << before;
    QTest::newRow("rename") << "Покраска"
                            << "Шлифовка"
                            << ""
                            << "Сборка|Шлифовка|O'Brien";
}

void OperationTypesTest::save() {
    QFETCH(QString, row);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    const bool adding = row.isEmpty();
    const bool saves = message.isEmpty();
    bool editorOpenAfter = true;
    runner_->then([&](QDialog*) {
        if (!adding)
            selectType(row);
        button(operationTypes_.get(), adding ? "addButton" : "editButton")->click();
        // after the editor: the list re-read from the database, on its first row
        if (saves) {
            QCOMPARE(catalog_->operationTypes().recordCount(), stored.count('|') + 1);
            QCOMPARE(catalog_->operationTypes().recNo(), 1);
            QCOMPARE(grid()->currentIndex().row(), 0);
        }
    });
    runner_->then([&](QDialog* editor) {
        QCOMPARE(editor->windowTitle(), adding ? QString("Заведение нового вида операций")
                                               : QString("Изменение данных вида операции"));
        QCOMPARE(nameBox(editor)->text(), adding ? QString() : row);
        nameBox(editor)->setText(typed);
        button(editor, "saveButton")->click();
        editorOpenAfter = editor->isVisible();
    });
    operationTypes_->openDirectory();
    QCOMPARE(runner_->opened, (QList<QString>{"OperationTypesWindow", "OperationTypeEditor"}));
    QCOMPARE(editorOpenAfter, !saves);
    QCOMPARE(storedTypes(), stored);
    if (saves) {
        QCOMPARE(messages_->shown.size(), 0);
    } else {
        QCOMPARE(messages_->shown.size(), 1);
        QCOMPARE(messages_->shown[0].kind, RecordingMessages::Kind::Error);
        QCOMPARE(messages_->shown[0].text, message);
        QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
    }
    QVERIFY(!catalog_->operationTypes().isOpen());
}

// Both workstations counted no such name; the other one wrote it first. Here the trigger
// plays the other workstation, writing the name within our insert.
void OperationTypesTest::aDuplicateWrittenMeanwhileIsRefused() {
    db_->exec(R"(
        create function public.other_station_writes_first() returns trigger
        language plpgsql as $$
        begin
            if pg_trigger_depth() = 1 then
                insert into accounts_dep.vid_oper(vid) values (upper(new.vid));
            end if;
            return new;
        end $$;
        create trigger other_station before insert on accounts_dep.vid_oper
            for each row execute function public.other_station_writes_first();
    )");
    bool openAfterRefusal = false;
    runner_->then([&](QDialog*) { button(operationTypes_.get(), "addButton")->click(); });
    runner_->then([&](QDialog* editor) {
        nameBox(editor)->setText("Сварка");
        button(editor, "saveButton")->click();
        openAfterRefusal = editor->isVisible();
        QCOMPARE(catalog_->operationTypes().state(), data::Dataset::State::Browse);
        // the other workstation's row aside, a second try writes the row once
        db_->exec("drop trigger other_station on accounts_dep.vid_oper");
        button(editor, "saveButton")->click();
        QVERIFY(!editor->isVisible());
    });
    operationTypes_->openDirectory();
    QVERIFY(openAfterRefusal);
    QCOMPARE(messages_->shown.size(), 1);
    QCOMPARE(messages_->shown[0].text, kDuplicate);
    QCOMPARE(messages_->shown[0].caption, QString("Ошибка"));
    QCOMPARE(storedTypes(), QString("Сборка|Покраска|O'Brien|Сварка"));
    db_->exec("drop function public.other_station_writes_first()");
}

void OperationTypesTest::remove_data() {
    QTest::addColumn<QString>("use"); // of "Покраска": none, an operation, or one written
                                      // by another workstation after our count
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("stored");
    const QString all = "Сборка|Покраска|O'Brien";
    QTest::newRow("unused, Yes") << "none" << true << ""
                                 << "Сборка|O'Brien";
    QTest::newRow("unused, No") << "none" << false << "" << all;
    QTest::newRow("used, Yes: refused") << "operation" << true << kInUse << all;
    QTest::newRow("used, No") << "operation" << false << "" << all;
    QTest::newRow("used meanwhile, Yes: the database refuses")
        << "meanwhile" << true << kInUse << all;
}

void OperationTypesTest::remove() {
    QFETCH(QString, use);
    QFETCH(bool, yes);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);
    const auto cleanUp = qScopeGuard([&] {
        db_->exec("drop trigger if exists other_station on accounts_dep.vid_oper;"
                  "drop function if exists public.other_station_uses_type();");
        if (use == "operation")
            db_->exec("delete from accounts_dep.oper;"
                      "alter table accounts_dep.oper add constraint oper_vid_fk foreign key (vid) "
                      "references accounts_dep.vid_oper (id) on delete restrict");
    });
    if (use == "operation") // the count alone refuses, as where the key is missing
        db_->exec("alter table accounts_dep.oper drop constraint oper_vid_fk;"
                  "insert into accounts_dep.oper(i_id, vid, naimen) values (500, 2, 0)");
    if (use == "meanwhile") // the trigger plays the other workstation within our delete
        db_->exec(R"(
            create function public.other_station_uses_type() returns trigger
            language plpgsql as $$
            begin
                insert into accounts_dep.oper(i_id, vid, naimen) values (500, old.id, 0);
                return old;
            end $$;
            create trigger other_station before delete on accounts_dep.vid_oper
                for each row execute function public.other_station_uses_type();
        )");
    runner_->then([&](QDialog*) {
        selectType("Покраска");
        messages_->answer(yes);
        button(operationTypes_.get(), "deleteButton")->click();
        QCOMPARE(catalog_->operationTypes().recordCount(), stored.count('|') + 1);
        if (yes && refusal.isEmpty())
            QCOMPARE(catalog_->operationTypes().recNo(), 1);
        if (use == "operation") // refused before anything is written: the list as it was
            QCOMPARE(catalog_->operationTypes().asString("vid").trimmed(), QString("Покраска"));
    });
    operationTypes_->openDirectory();
    QCOMPARE(messages_->shown.size(), refusal.isEmpty() ? 1 : 2);
    QCOMPARE(messages_->shown[0].kind, RecordingMessages::Kind::Question);
    QCOMPARE(messages_->shown[0].text, QString("Удалить вид операции?"));
    QCOMPARE(messages_->shown[0].caption, QString("Удаление"));
    if (!refusal.isEmpty()) {
        QCOMPARE(messages_->shown[1].kind, RecordingMessages::Kind::Error);
        QCOMPARE(messages_->shown[1].text, refusal);
        QCOMPARE(messages_->shown[1].caption, QString("Ошибка"));
    }
    QCOMPARE(storedTypes(), stored);
    // the operation stays; the other workstation's goes with the refused delete
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.oper"),
             QString(use == "operation" ? "1" : "0"));
}

void OperationTypesTest::selection_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("row"); // the row clicked first; empty: none
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("handed");
    QTest::newRow("Выбрать") << ""
                             << "Покраска"
                             << "editButton" << QStringList{"Покраска|2"};
    QTest::newRow("double-click") << ""
                                  << "Сборка"
                                  << "double-click" << QStringList{"Сборка|1"};
    QTest::newRow("Enter in the search box") << "сб"
                                             << ""
                                             << "Enter" << QStringList{"Сборка|1"};
    QTest::newRow("searched with an apostrophe") << "o'b"
                                                 << ""
                                                 << "double-click" << QStringList{"O'Brien|3"};
    QTest::newRow("double-click on an empty list") << "Я"
                                                   << ""
                                                   << "double-click" << QStringList{"|0"};
    QTest::newRow("Выбрать on an empty list") << "Я"
                                              << ""
                                              << "editButton" << QStringList{"|0"};
    QTest::newRow("Выход") << ""
                           << "Сборка"
                           << "closeButton" << QStringList{};
    QTest::newRow("Escape in the search box") << "с"
                                              << ""
                                              << "Escape" << QStringList{};
}

void OperationTypesTest::selection() {
    QFETCH(QString, typed);
    QFETCH(QString, row);
    QFETCH(QString, how);
    QFETCH(QStringList, handed);
    searchBox(operationTypes_.get())->setText("Пок"); // left from an earlier pick
    runner_->then([&](QDialog* d) {
        QCOMPARE(d->windowTitle(), QString("Виды операций"));
        QVERIFY(searchBox(d)->isVisible());
        QCOMPARE(searchBox(d)->text(), QString());
        QCOMPARE(catalog_->operationTypes().recordCount(), 3);
        QVERIFY(!button(d, "addButton")->isVisible());
        QVERIFY(!button(d, "deleteButton")->isVisible());
        QCOMPARE(shownText(button(d, "editButton")->text()), QString("Выбрать"));
        QVERIFY(button(d, "editButton")->isDefault());
        typeInto(searchBox(d), typed);
        if (!row.isEmpty())
            selectType(row);
        if (how == "double-click")
            doubleClickGrid();
        else if (how == "Enter")
            QTest::keyClick(searchBox(d), Qt::Key_Return);
        else if (how == "Escape")
            QTest::keyClick(searchBox(d), Qt::Key_Escape);
        else
            button(d, qPrintable(how))->click();
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(handed.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    });
    const auto choice = operationTypes_->pick();
    QCOMPARE(runner_->pending(), 0);
    QCOMPARE(handedOver(choice), handed);
    QCOMPARE(messages_->shown.size(), 0);
    QVERIFY(searchBox(operationTypes_.get())->isHidden());
    QVERIFY(!button(operationTypes_.get(), "editButton")->isDefault());
    QVERIFY(!catalog_->operationTypes().isOpen());
}

// The menu opens the directory on every type, whatever search the last pick left.
void OperationTypesTest::journalMenuOpensTheWholeDirectory() {
    Program program(AppArguments{}, db_->connectionString());
    runner_->then([&](QDialog* d) { typeInto(searchBox(d), "Сб"); });
    program.operationTypes().pick();
    bool seen = false;
    runner_->then([&](QDialog* d) {
        seen = true;
        QCOMPARE(d, static_cast<QDialog*>(&program.operationTypes()));
        QCOMPARE(program.operationTypes().mode(), OperationTypesWindow::Mode::Directory);
        QVERIFY(searchBox(d)->isHidden());
        QVERIFY(button(d, "addButton")->isVisible());
        QVERIFY(button(d, "deleteButton")->isVisible());
        QVERIFY(button(d, "addButton")->isDefault());
        QCOMPARE(shownText(button(d, "editButton")->text()), QString("Изменить"));
        QCOMPARE(program.catalog().operationTypes().recordCount(), 3);
    });
    program.journal().findChild<QAction*>("operationTypesAction")->trigger();
    QVERIFY(seen);
    QCOMPARE(runner_->opened.last(), QString("OperationTypesWindow"));
    QVERIFY(!program.catalog().operationTypes().isOpen());
    QCOMPARE(messages_->shown.size(), 0);
}

void OperationTypesTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec("insert into accounts_dep.vid_oper(vid) values ('Сварка'), ('Шлифовка'), "
              "('Резка'), ('Гибка'), ('Упаковка готовой продукции')");
    runner_->then([&](QDialog* d) {
        selectType("Покраска");
        QVERIFY(saveScreenshot(d, dir + "/operation_types_directory.png"));
        button(d, "editButton")->click();
    });
    runner_->then([&](QDialog* editor) {
        QVERIFY(saveScreenshot(editor, dir + "/operation_type_editor_change.png"));
    });
    operationTypes_->openDirectory();
    runner_->then([&](QDialog* d) {
        typeInto(searchBox(d), "С");
        QVERIFY(saveScreenshot(d, dir + "/operation_types_selection.png"));
    });
    operationTypes_->pick();
}

QTEST_MAIN(OperationTypesTest)
#include "operation_types_test.moc"
