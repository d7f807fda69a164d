// Operations and prices: the price editor's save (missing fields, duplicates for add and
// change, its own values, a malformed price, a duplicate another workstation wrote meanwhile,
// a new operation listed once its first norm exists), the search with and without the entry
// dialog's requisition line, what selection mode hands over, delete (refused while positions
// use the operation, also one another workstation wrote meanwhile), the export read back
// from the saved workbook, and the journal's menu opening the list.
#include "app/startup.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"
#include "directories/operation_types_window.h"
#include "directories/operations_window.h"
#include "directories/product_picker.h"
#include "journal/journal_window.h"

#include "seams/messages.h"
#include "spreadsheet/spreadsheet.h"
#include "tests/support/recording_launcher.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "tests/support/xlsx_reader.h"
#include "ui/value_rules.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QString kDuplicate = QStringLiteral("Операция с такими параметрами уже заведена!");
const QString kInUse = QStringLiteral("Операция используется в позициях, удаление невозможно!");

// Operations 1 to 3 have norms; 4 has none, so only the export shows it.
const QString kStoredBefore = QStringLiteral("1:500/1/0 2:500/2/1 3:501/1/0 4:502/3/0");

QStringList handedOver(const std::optional<OperationChoice>& choice) {
    if (!choice)
        return {};
    return {QStringLiteral("%1|%2|%3|%4")
                .arg(choice->productId)
                .arg(choice->operationId)
                .arg(choice->productKind)
                .arg(choice->price),
            choice->text};
}

// Steps: "<Down>" and "<Up>" press that key, anything else is typed one character at a time
// (key clicks abort on Cyrillic).
void press(QLineEdit* box, const QString& steps) {
    static const QRegularExpression token(QStringLiteral("<Down>|<Up>|."));
    auto it = token.globalMatch(steps);
    while (it.hasNext()) {
        const QString step = it.next().captured();
        if (step == "<Down>")
            QTest::keyClick(box, Qt::Key_Down);
        else if (step == "<Up>")
            QTest::keyClick(box, Qt::Key_Up);
        else
            typeInto(box, step);
    }
}

QLineEdit* edit(QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(QString::fromLatin1(name));
}

void doubleClickGrid(QWidget* w) {
    auto* grid = w->findChild<QTableView*>(); // the window's one grid
    const QModelIndex current = grid->currentIndex();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       current.isValid() ? grid->visualRect(current).center() : QPoint(20, 20));
}

} // namespace

class OperationsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void save_data();
    void save();
    void aDuplicateWrittenMeanwhileIsRefused_data();
    void aDuplicateWrittenMeanwhileIsRefused();
    void selection_data();
    void selection();
    void remove_data();
    void remove();
    void exportWritesEveryOperation();
    void exportStopsWhenNoWorkbookOpens();
    void journalMenuOpensTheListWithItsSearch();
    void screenshots();

private:
    QString stored() {
        return db_->scalar("select string_agg(id||':'||i_id||'/'||vid||'/'||naimen, ' ' "
                           "order by id) from accounts_dep.oper");
    }
    // The rows the list shows: "mark|type|kind|price|norms", in order.
    QStringList listed();
    QStringList shownMessages();
    void selectOperation(int id) {
        QVERIFY(catalog_->operations().locate("id", id));
        QCOMPARE(grid()->currentIndex().row(), catalog_->operations().currentRow());
    }
    QTableView* grid() { return operations_->findChild<QTableView*>("operationsView"); }
    QCheckBox* pricesBox() { return operations_->findChild<QCheckBox*>("normsOnDoubleClickCheck"); }

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    data::Connection connection_;
    std::unique_ptr<directories::Catalog> catalog_;
    std::unique_ptr<ProductPicker> productPicker_;
    std::unique_ptr<OperationsWindow> operations_;
    std::unique_ptr<OperationTypesWindow> operationTypes_;
    std::unique_ptr<OperationEditor> operationEditor_;
    std::unique_ptr<NormsWindow> norms_;
    RecordingLauncher launcher_;
    QTemporaryDir workbooks_;
};

void OperationsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    db_ = std::make_unique<TestDatabase>("opers");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    QVERIFY(workbooks_.isValid());
    spreadsheet::setOutputFolder(workbooks_.path());
    connection_.setConnectionString(db_->connectionString());
    connection_.open();
    catalog_ = std::make_unique<directories::Catalog>(connection_);
    productPicker_ = std::make_unique<ProductPicker>(*catalog_);
    operations_ = std::make_unique<OperationsWindow>(*catalog_);
    operationTypes_ = std::make_unique<OperationTypesWindow>(*catalog_);
    operationEditor_ = std::make_unique<OperationEditor>(*catalog_);
    norms_ = std::make_unique<NormsWindow>(connection_);
    operationEditor_->usePickers(*productPicker_, *operationTypes_);
    operations_->useEditors(*operationEditor_, *norms_);
}

void OperationsTest::cleanupTestCase() {
    norms_.reset();
    operationEditor_.reset();
    operationTypes_.reset();
    operations_.reset();
    productPicker_.reset();
    catalog_.reset();
    connection_.close();
    spreadsheet::setOutputFolder(QString());
}

void OperationsTest::init() {
    db_->exec(R"(
        delete from accounts_dep.smena; delete from accounts_dep.norm; delete from accounts_dep.oper;
        delete from accounts_dep.vid_oper; delete from accounts_dep.izdel;
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120-01', 'Каркас', 1), (501, 'ШР-45', 'Шкаф', 2), (502, 'АБ-7', null, 0);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска'), (3, 'Сварка');
        insert into accounts_dep.oper(id, i_id, vid, naimen, cena) values
            (1, 500, 1, 0, 11.5), (2, 500, 2, 1, null), (3, 501, 1, 0, 30.125), (4, 502, 3, 0, 5);
        select setval('accounts_dep.oper_id_seq', 4);
        insert into accounts_dep.norm(o_id, norma, price, prize) values
            (1, 10, 12.5, 0), (1, 20, 10.25, 5), (2, 0, 7, 0), (3, 0, 30.125, 0);
    )");
    messages_->clear();
    runner_->opened.clear();
    launcher_.opened.clear();
    edit(operations_.get(), "searchEdit")->clear();
    pricesBox()->setChecked(false);
}

QStringList OperationsTest::listed() {
    QStringList rows;
    const QAbstractItemModel* model = grid()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 5; ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

QStringList OperationsTest::shownMessages() {
    QStringList texts;
    for (const auto& m : messages_->shown) {
        switch (m.kind) {
        case RecordingMessages::Kind::Error:
            texts << "error " + m.caption + ": " + m.text;
            break;
        case RecordingMessages::Kind::Question:
            texts << "question " + m.caption + ": " + m.text;
            break;
        case RecordingMessages::Kind::Information:
            texts << "information " + m.caption + ": " + m.text;
            break;
        }
    }
    return texts;
}

void OperationsTest::save_data() {
    QTest::addColumn<int>("row"); // 0: "Добавить", else "Изменить" on that operation
    QTest::addColumn<QString>("product"); // typed in the products picker; empty: not opened
    QTest::addColumn<QString>("type");    // typed in the types picker; empty: not opened
    QTest::addColumn<int>("kind");        // -1: as the editor shows it
    QTest::addColumn<QString>("price");   // typed into "min Цена"
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("newRow"); // a row the list shows afterwards

    const QStringList none;
    const QStringList duplicate{"error Ошибка: " + kDuplicate};
    const QStringList missing{"error Ошибка: " + seams::kAllFieldsRequired};
    QTest::newRow("add without a product") << 0 << ""
                                           << "Сб" << 0 << "1" << missing << kStoredBefore << "";
    QTest::newRow("add without a type") << 0 << "ШР"
                                        << "" << 0 << "1" << missing << kStoredBefore << "";
    QTest::newRow("add a duplicate") << 0 << "КМ"
                                     << "Сб" << 0 << "1" << duplicate << kStoredBefore << "";
    QTest::newRow("add a duplicate of an operation without norms")
        << 0 << "АБ"
        << "Св" << 0 << "1" << duplicate << kStoredBefore << "";
    QTest::newRow("add the same product and type as blanks")
        << 0 << "КМ"
        << "Сб" << 1 << "3.5" << none << kStoredBefore + " 5:500/1/1"
        << "КМ-120-01|Сборка|3,5|Заготовки|1";
    QTest::newRow("add with letters typed into the price")
        << 0 << "АБ"
        << "Пок" << 0 << "1a2.5x" << none << kStoredBefore + " 5:502/2/0"
        << "АБ-7|Покраска|12,5|Готовая продукция|1";
    const QStringList price{"error Ошибка: " + ui::kPriceOutOfRange};
    QTest::newRow("add with a malformed price")
        << 0 << "АБ"
        << "Пок" << 0 << "12.5.1" << price << kStoredBefore << "";
    QTest::newRow("add without a price") << 0 << "АБ"
                                         << "Пок" << 0 << "" << price << kStoredBefore << "";
    // each bound of a price just inside and just outside
    QTest::newRow("add at price 0") << 0 << "АБ"
                                    << "Пок" << 0 << "0" << price << kStoredBefore << "";
    QTest::newRow("add at price 0,0001")
        << 0 << "АБ"
        << "Пок" << 0 << "0,0001" << none << kStoredBefore + " 5:502/2/0"
        << "АБ-7|Покраска|0,0001|Готовая продукция|1";
    QTest::newRow("add at price 999999,9999")
        << 0 << "АБ"
        << "Пок" << 0 << "999999,9999" << none << kStoredBefore + " 5:502/2/0"
        << "АБ-7|Покраска|999999,9999|Готовая продукция|1";
    QTest::newRow("add at price 1000000")
        << 0 << "АБ"
        << "Пок" << 0 << "1000000" << price << kStoredBefore << "";
    QTest::newRow("add with five decimals")
        << 0 << "АБ"
        << "Пок" << 0 << "1,23456" << price << kStoredBefore << "";
    QTest::newRow("change to its own values")
        << 1 << ""
        << "" << -1 << "" << none << kStoredBefore << "КМ-120-01|Сборка|10,25|Готовая продукция|2";
    QTest::newRow("change the kind")
        << 3 << ""
        << "" << 1 << "" << none << "1:500/1/0 2:500/2/1 3:501/1/1 4:502/3/0"
        << "ШР-45|Сборка|30,125|Заготовки|1";
    QTest::newRow("change the product")
        << 3 << "АБ"
        << "" << -1 << "" << none << "1:500/1/0 2:500/2/1 3:502/1/0 4:502/3/0"
        << "АБ-7|Сборка|30,125|Готовая продукция|1";
    QTest::newRow("change to another operation's values")
        << 1 << ""
        << "Пок" << 1 << "" << duplicate << kStoredBefore << "";
}

void OperationsTest::save() {
    QFETCH(int, row);
    QFETCH(QString, product);
    QFETCH(QString, type);
    QFETCH(int, kind);
    QFETCH(QString, price);
    QFETCH(QStringList, messages);
    QFETCH(QString, stored);
    QFETCH(QString, newRow);

    bool editorStayedOpen = false;
    QStringList listAfter;
    int recNoAfter = -1;
    runner_->then([&](QDialog* d) {
        if (row != 0) {
            selectOperation(row);
            button(d, "editButton")->click();
        } else {
            button(d, "addButton")->click();
        }
        listAfter = listed();
        recNoAfter = catalog_->operations().recNo();
    });
    runner_->then([&](QDialog* editor) {
        QCOMPARE(editor, static_cast<QDialog*>(operationEditor_.get()));
        QCOMPARE(editor->focusWidget(), button(editor, "pickProductButton"));
        auto* kindBox = editor->findChild<QComboBox*>("productKindCombo");
        if (row == 0) {
            QCOMPARE(editor->windowTitle(), QString("Заведение новой цены за операцию"));
            QCOMPARE(operationEditor_->mode(), OperationEditor::Mode::Add);
            QCOMPARE(edit(editor, "productEdit")->text(), QString());
            QCOMPARE(edit(editor, "operationTypeEdit")->text(), QString());
            QCOMPARE(kindBox->currentIndex(), 0);
            QVERIFY(edit(editor, "firstPriceEdit")->isEnabled());
        } else {
            QCOMPARE(editor->windowTitle(), QString("Изменение данных о цене за операцию"));
            QCOMPARE(operationEditor_->mode(), OperationEditor::Mode::Change);
            QVERIFY(!edit(editor, "firstPriceEdit")->isEnabled());
        }
        if (!product.isEmpty())
            button(editor, "pickProductButton")->click();
        if (!type.isEmpty())
            button(editor, "pickOperationTypeButton")->click();
        if (kind >= 0)
            kindBox->setCurrentIndex(kind);
        edit(editor, "firstPriceEdit")->clear();
        press(edit(editor, "firstPriceEdit"), price);
        button(editor, "saveButton")->click();
        editorStayedOpen = editor->isVisible();
    });
    if (!product.isEmpty())
        runner_->then([&](QDialog* picker) {
            press(edit(picker, "searchEdit"), product);
            doubleClickGrid(picker);
        });
    if (!type.isEmpty())
        runner_->then([&](QDialog* picker) {
            press(edit(picker, "searchEdit"), type);
            button(picker, "editButton")->click();
        });
    operations_->openDirectory();

    QCOMPARE(runner_->pending(), 0);
    QCOMPARE(shownMessages(), messages);
    QCOMPARE(this->stored(), stored);
    QCOMPARE(editorStayedOpen, !messages.isEmpty());
    if (!newRow.isEmpty()) {
        QVERIFY2(listAfter.contains(newRow), qPrintable(listAfter.join("\n")));
        QCOMPARE(recNoAfter, 1); // the list is read anew
    }
    QVERIFY(!catalog_->operations().isOpen());
}

// Another workstation writes the same operation after our count: the unique index refuses
// ours, and the person sees the duplicate message, not the database's error.
void OperationsTest::aDuplicateWrittenMeanwhileIsRefused_data() {
    QTest::addColumn<int>("row");
    QTest::newRow("add") << 0;
    QTest::newRow("change") << 3;
}

void OperationsTest::aDuplicateWrittenMeanwhileIsRefused() {
    QFETCH(int, row);
    db_->exec(R"(
        create function public.other_workstation() returns trigger language plpgsql as $$
        begin
            if pg_trigger_depth() = 1 then
                insert into accounts_dep.oper(i_id, vid, naimen) values (new.i_id, new.vid, new.naimen);
            end if;
            return new;
        end $$;
        create trigger other_workstation before insert or update on accounts_dep.oper
            for each row execute function public.other_workstation();
    )");
    const auto dropTrigger = qScopeGuard([this] {
        db_->exec("drop trigger other_workstation on accounts_dep.oper;"
                  "drop function public.other_workstation();");
    });
    bool editorStayedOpen = false;
    runner_->then([&](QDialog* d) {
        if (row != 0)
            selectOperation(row);
        button(d, row == 0 ? "addButton" : "editButton")->click();
    });
    runner_->then([&](QDialog* editor) {
        if (row == 0) {
            operationEditor_->showProduct({"АБ-7", 502});
            operationEditor_->showOperationType({"Покраска", 2});
            edit(editor, "firstPriceEdit")->setText("4");
        } else {
            editor->findChild<QComboBox*>("productKindCombo")->setCurrentIndex(1);
        }
        button(editor, "saveButton")->click();
        editorStayedOpen = editor->isVisible();
    });
    operations_->openDirectory();
    QCOMPARE(shownMessages(), QStringList{"error Ошибка: " + kDuplicate});
    QVERIFY(editorStayedOpen);
    // nothing of ours is written (the stand-in's row goes with the refused statement)
    QCOMPARE(stored(), kStoredBefore);
}

void OperationsTest::selection_data() {
    QTest::addColumn<bool>("requisition"); // the entry dialog shows one
    QTest::addColumn<QString>("code");     // its line's product code
    QTest::addColumn<bool>("prices");      // "Цены" ticked
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("visible"); // mark|type of the rows listed
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("handed");

    const QStringList all{"КМ-120-01|Покраска", "КМ-120-01|Сборка", "ШР-45|Сборка"};
    const QStringList km{"КМ-120-01|Покраска", "КМ-120-01|Сборка"};
    const QStringList firstKm{"500|2|1|7", "КМ-120-01; Покраска; Заготовки"};
    const QStringList secondKm{"500|1|0|10.25", "КМ-120-01; Сборка; Готовая продукция"};
    const QStringList sr{"501|3|0|30.125", "ШР-45; Сборка; Готовая продукция"};
    // Without a requisition the entry dialog opens the list filtered to "i_id=0".
    QTest::newRow("no requisition, nothing typed: the opener's filter stays")
        << false << "" << false << "" << QStringList{} << "editButton" << QStringList{};
    QTest::newRow("no requisition, a mark typed in small letters")
        << false << "" << false << "км" << km << "editButton" << firstKm;
    QTest::newRow("no requisition, blanks only: every operation")
        << false << "" << false << "  " << all << "double-click" << firstKm;
    QTest::newRow("no requisition, an apostrophe")
        << false << "" << false << "O'" << QStringList{} << "editButton" << QStringList{};
    QTest::newRow("a requisition line, nothing typed")
        << true << "500" << false << "" << km << "Enter" << firstKm;
    QTest::newRow("a requisition line, blanks only: its product alone")
        << true << "500" << false << " <Down>" << km << "editButton" << secondKm;
    QTest::newRow("a requisition line, another product's mark")
        << true << "500" << false << "ш" << QStringList{} << "double-click" << QStringList{};
    QTest::newRow("a requisition line, its product's mark")
        << true << " 501 " << false << "ш" << QStringList{"ШР-45|Сборка"} << "editButton" << sr;
    QTest::newRow("a requisition line whose code is no number")
        << true << "501 or i_id>0" << false << "ш" << QStringList{} << "editButton"
        << QStringList{};
    QTest::newRow("Escape chooses nothing")
        << false << "" << false << "км" << km << "Escape" << QStringList{};
    QTest::newRow("with Цены ticked a double-click still chooses")
        << false << "" << true << "ш" << QStringList{"ШР-45|Сборка"} << "double-click" << sr;
}

void OperationsTest::selection() {
    QFETCH(bool, requisition);
    QFETCH(QString, code);
    QFETCH(bool, prices);
    QFETCH(QString, typed);
    QFETCH(QStringList, visible);
    QFETCH(QString, how);
    QFETCH(QStringList, handed);

    pricesBox()->setChecked(prices);
    data::Dataset& operations = catalog_->operations();

    bool closed = false;
    runner_->then([&](QDialog* d) {
        QCOMPARE(operations_->mode(), OperationsWindow::Mode::Selection);
        QVERIFY(button(d, "addButton")->isHidden());
        QVERIFY(button(d, "deleteButton")->isHidden());
        QCOMPARE(shownText(button(d, "editButton")->text()), QString("Выбрать"));
        QVERIFY(button(d, "editButton")->isDefault());
        QCOMPARE(d->focusWidget(), edit(d, "searchEdit"));
        press(edit(d, "searchEdit"), typed);
        QStringList rows;
        for (const QString& row : listed())
            rows << row.section('|', 0, 1);
        QCOMPARE(rows, visible);
        if (how == "double-click")
            doubleClickGrid(d);
        else if (how == "Enter")
            QTest::keyClick(edit(d, "searchEdit"), Qt::Key_Return);
        else if (how == "Escape")
            QTest::keyClick(edit(d, "searchEdit"), Qt::Key_Escape);
        else
            button(d, qPrintable(how))->click();
        closed = !d->isVisible();
    });
    const auto choice = operations_->pick({requisition, code, 0});

    QVERIFY(closed);
    QCOMPARE(handedOver(choice), handed);
    QCOMPARE(runner_->opened, QList<QString>{"OperationsWindow"}); // the norms never open here
    QCOMPARE(shownMessages(), QStringList{});
    QVERIFY(operations.isOpen());
    QVERIFY(!operations.filtered());
    QVERIFY(!button(operations_.get(), "editButton")->isDefault());
    operations.close();
}

void OperationsTest::remove_data() {
    QTest::addColumn<QString>("typed"); // the search
    QTest::addColumn<QString>("use");   // of operation 1: none, a position, or one written
                                        // by another workstation after our count
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Yes") << ""
                         << "none" << true << ""
                         << "2:500/2/1 3:501/1/0 4:502/3/0";
    QTest::newRow("No") << ""
                        << "none" << false << "" << kStoredBefore;
    QTest::newRow("Yes on an empty list") << "Я"
                                          << "none" << true << "" << kStoredBefore;
    QTest::newRow("used, Yes: refused") << ""
                                        << "position" << true << kInUse << kStoredBefore;
    QTest::newRow("used, No") << ""
                              << "position" << false << "" << kStoredBefore;
    QTest::newRow("used meanwhile, Yes: the database refuses")
        << ""
        << "meanwhile" << true << kInUse << kStoredBefore;
}

void OperationsTest::remove() {
    QFETCH(QString, typed);
    QFETCH(QString, use);
    QFETCH(bool, yes);
    QFETCH(QString, refusal);
    QFETCH(QString, stored);
    const auto cleanUp = qScopeGuard([&] {
        db_->exec("drop trigger if exists other_workstation on accounts_dep.oper;"
                  "drop function if exists public.other_workstation_uses();");
        if (use == "position")
            db_->exec("delete from accounts_dep.smena;"
                      "alter table accounts_dep.smena add constraint smena_o_id_fk foreign key "
                      "(o_id) references accounts_dep.oper (id) on delete restrict");
    });
    if (use == "position") // the count alone refuses, as where the key is missing
        db_->exec("alter table accounts_dep.smena drop constraint smena_o_id_fk;"
                  "insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo) "
                  "values ('2026-03-02', 1, 101, 500, 1, 1)");
    if (use == "meanwhile") // the trigger plays the other workstation within our delete
        db_->exec(R"(
            create function public.other_workstation_uses() returns trigger
            language plpgsql as $$
            begin
                insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, kol_vo)
                values ('2026-03-02', 1, 101, old.i_id, old.id, 1);
                return old;
            end $$;
            create trigger other_workstation before delete on accounts_dep.oper
                for each row execute function public.other_workstation_uses();
        )");
    messages_->answer(yes);
    int recNoAfter = -1;
    int currentAfter = -1;
    runner_->then([&](QDialog* d) {
        press(edit(d, "searchEdit"), typed);
        if (typed.isEmpty())
            selectOperation(1);
        button(d, "deleteButton")->click();
        recNoAfter = catalog_->operations().recNo();
        currentAfter = catalog_->operations().asInt("id");
    });
    operations_->openDirectory();
    QStringList shown{"question Удаление: Удалить операцию?"};
    if (!refusal.isEmpty())
        shown << "error Ошибка: " + refusal;
    QCOMPARE(shownMessages(), shown);
    QCOMPARE(this->stored(), stored);
    // the program leaves an operation's norms alone
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.norm"), QString("4"));
    if (yes && typed.isEmpty() && refusal.isEmpty())
        QCOMPARE(recNoAfter, 1);
    if (!refusal.isEmpty()) // nothing deleted: the list as it was, on the operation
        QCOMPARE(currentAfter, 1);
    // the position stays; the other workstation's goes with the refused delete
    QCOMPARE(db_->scalar("select count(*) from accounts_dep.smena"),
             QString(use == "position" ? "1" : "0"));
}

// Every operation, also those without norms and those the search hides, with its own price.
void OperationsTest::exportWritesEveryOperation() {
    runner_->then([&](QDialog* d) {
        press(edit(d, "searchEdit"), "ш");
        QCOMPARE(catalog_->operations().recordCount(), 1);
        button(d, "exportButton")->click();
        QCOMPARE(catalog_->operations().recordCount(), 1); // the list keeps its search
    });
    operations_->openDirectory();
    QCOMPARE(shownMessages(), QStringList{});
    QCOMPARE(launcher_.opened.size(), 1);
    XlsxReader sheet;
    QVERIFY2(sheet.load(launcher_.opened.first()), qPrintable(sheet.error()));
    const QString csv = sheet.toCsv();
    QCOMPARE(csv.trimmed().split('\n'), QStringList({
                                            "Марка,Операция,Цена,Вид",
                                            "АБ-7,Сварка,5,Готовая продукция",
                                            "КМ-120-01,Покраска,0,Заготовки",
                                            "КМ-120-01,Сборка,\"11,5\",Готовая продукция",
                                            "ШР-45,Сборка,\"30,125\",Готовая продукция",
                                        }));
    QVERIFY(!operations_->exportQuery().isOpen());
    QVERIFY(!QApplication::overrideCursor());
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        QFile out(dir + "/operations_export.csv");
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(csv.toUtf8());
    }
}

void OperationsTest::exportStopsWhenNoWorkbookOpens() {
    spreadsheet::setOutputFolder(workbooks_.path() + "/missing/folder");
    const auto restore = qScopeGuard([this] { spreadsheet::setOutputFolder(workbooks_.path()); });
    runner_->then([&](QDialog* d) { button(d, "exportButton")->click(); });
    operations_->openDirectory();
    QCOMPARE(shownMessages(), QStringList{"error Ошибка: Ошибка открытия файла Microsoft Excel."});
    QVERIFY(launcher_.opened.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

// The menu opens the directory; the search the last opening left is applied again.
void OperationsTest::journalMenuOpensTheListWithItsSearch() {
    Program program(AppArguments{}, db_->connectionString());
    OperationsWindow& list = program.operations();
    edit(&list, "searchEdit")->setText("ш");
    bool seen = false;
    runner_->then([&](QDialog* d) {
        seen = true;
        QCOMPARE(d, static_cast<QDialog*>(&list));
        QCOMPARE(list.mode(), OperationsWindow::Mode::Directory);
        QVERIFY(button(d, "addButton")->isVisible());
        QVERIFY(button(d, "deleteButton")->isVisible());
        QVERIFY(button(d, "addButton")->isDefault());
        QCOMPARE(shownText(button(d, "editButton")->text()), QString("Изменить"));
        QCOMPARE(edit(d, "searchEdit")->text(), QString("ш"));
        data::Dataset& operations = program.catalog().operations();
        QCOMPARE(operations.recordCount(), 1);
        QCOMPARE(operations.asString("marka"), QString("ШР-45"));
    });
    program.journal().findChild<QAction*>("pricesAction")->trigger();
    QVERIFY(seen);
    QCOMPARE(runner_->opened.last(), QString("OperationsWindow"));
    QVERIFY(!program.catalog().operations().isOpen());
    QCOMPARE(shownMessages(), QStringList{});
}

void OperationsTest::screenshots() {
    const QString dir = qEnvironmentVariable("TEST_OUTPUT_DIR");
    if (dir.isEmpty())
        QSKIP("TEST_OUTPUT_DIR is not set");
    QDir().mkpath(dir);
    db_->exec(R"(
        insert into accounts_dep.izdel(id, marka, nom, massa) values (503, 'ПК-2000-12М', 'Панель', 3);
        insert into accounts_dep.vid_oper(id, vid) values (4, 'Упаковка готовой продукции');
        insert into accounts_dep.oper(i_id, vid, naimen, cena_new) values (503, 4, 0, 1.75), (503, 3, 1, 22);
    )");
    runner_->then([&](QDialog* d) {
        QCOMPARE(d->windowTitle(), QString("Операции"));
        const QStringList titles{"Марка", "Опреция", "Цена (min)", "Вид", "Нормы (шт.)"};
        for (int c = 0; c < titles.size(); ++c)
            QCOMPARE(grid()->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        for (int c = 5; c < 8; ++c)
            QVERIFY(grid()->isColumnHidden(c));
        pricesBox()->setChecked(true);
        selectOperation(1);
        QVERIFY(saveScreenshot(d, dir + "/operations_directory.png"));
        button(d, "editButton")->click();
    });
    runner_->then([&](QDialog* editor) {
        QVERIFY(saveScreenshot(editor, dir + "/operation_editor_change.png"));
    });
    operations_->openDirectory();
    runner_->then([&](QDialog* d) { button(d, "addButton")->click(); });
    runner_->then([&](QDialog* editor) {
        operationEditor_->showProduct({"ПК-2000-12М", 503});
        operationEditor_->showOperationType({"Сборка", 1});
        editor->findChild<QComboBox*>("productKindCombo")->setCurrentIndex(1);
        press(edit(editor, "firstPriceEdit"), "14.375");
        QVERIFY(saveScreenshot(editor, dir + "/operation_editor_new.png"));
    });
    operations_->openDirectory();

    runner_->then([&](QDialog* d) {
        press(edit(d, "searchEdit"), "К");
        QVERIFY(saveScreenshot(d, dir + "/operations_selection.png"));
    });
    operations_->pick({true, "500", 0});
    catalog_->operations().close();
}

QTEST_MAIN(OperationsTest)
#include "operations_test.moc"
