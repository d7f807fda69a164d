// A shift's work by the keyboard alone, typed through the program's real windows: a position
// from the journal and the next ones of the same line and operation, with the key presses each
// takes; a master's acceptance; every button and menu with a mnemonic of its own in its
// window; F1 handing the users' guide to the desktop.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "data/dataset.h"
#include "journal/journal_window.h"
#include "seams/clock.h"
#include "seams/desktop.h"
#include "tests/support/keyboard_walk.h"
#include "tests/support/recording_messages.h"
#include "tests/support/test_database.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace {

const QDate kMonday(2026, 3, 2);

// Instead of a browser: the pages the program asked the desktop to show.
class RecordingDesktop : public seams::Desktop {
public:
    RecordingDesktop() { install(this); }
    ~RecordingDesktop() override { install(nullptr); }
    bool openUrl(const QUrl& url) override {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    return w ? w->window()->objectName() + "/" + w->objectName() : QString("nothing");
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void aPositionFromTheJournal();
    void theNextPositionsOfTheSameLineAndOperation();
    void typingIntoABoxSearchesItsList();
    void aMasterAcceptsByTheKeyboard();
    void everyButtonAndMenuHasItsOwnMnemonic();
    void f1OpensTheUsersGuide();

private:
    // Logs in as the user and walks: the journal takes the presses, and the windows they open.
    void logInAndWalk(const QString& user);
    QString stored(const QString& columns);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<KeyboardWalk> keys_;
    qint64 requisition1042_ = 0;
};

void KeyboardTest::initTestCase() {
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    setupRussianLocale(*app);
    db_ = std::make_unique<TestDatabase>("keys");
    messages_ = std::make_unique<RecordingMessages>();
    // A shop's lists as they are: workers whose names begin alike, 45 requisitions that all
    // begin with "Заявка № ", two operations on the product of the line worked on.
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption) values
            (10, '101', 'Иванов И.И.'), (11, '102', 'Петров П.П.'), (12, '103', 'Сидоров С.С.'),
            (13, '104', 'Иванова А.П.'), (14, '105', 'Ивлев К.С.'), (15, '106', 'Перов Д.Д.');
        insert into accounts_dep.izdel(id, marka, nom, massa) values
            (500, 'КМ-120', 'Каркас', 1), (501, 'ШР-45', 'Шкаф', 2);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Покраска');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values
            (1, 500, 1, 0), (3, 501, 1, 0), (4, 501, 2, 0);
        insert into accounts_dep.norm(o_id, norma, price) values (1, 10, 4.5), (3, 1, 7), (4, 1, 3);
        insert into mnf_doc.doc(s_number, d_date)
            select n::text, date '2026-01-05' + (n - 1000) from generate_series(1000, 1044) n;
        insert into mnf_doc.doc_item(id_doc, n_line, id_gds, f_qty)
            select id, line, case line when 2 then 501 else 500 end, 0
            from mnf_doc.doc, generate_series(1, 3) line;
    )");
    requisition1042_ =
        db_->scalar("select id from mnf_doc.doc where s_number = '1042'").toLongLong();
}

void KeyboardTest::init() {
    db_->exec("truncate accounts_dep.smena; delete from accounts_dep.h_tabel;");
    messages_->clear();
    seams::Clock::setFixedToday(kMonday);
    keys_ = std::make_unique<KeyboardWalk>();
}

void KeyboardTest::cleanupTestCase() {
    program_.reset();
    keys_.reset();
    seams::Clock::setFixedToday(QDate());
}

void KeyboardTest::logInAndWalk(const QString& user) {
    program_ = std::make_unique<Program>(AppArguments{db_->socketDir(), db_->name()});
    LoginDialog& login = program_->login();
    login.findChild<QLineEdit*>("loginEdit")->setText(user);
    login.findChild<QLineEdit*>("passwordEdit")->setText(TestDatabase::passwordOf(user));
    login.findChild<QPushButton*>("loginButton")->click();
    QVERIFY2(keys_->finished(), qPrintable("the walk stopped early:\n" + keys_->trace.join("\n")));
    // nothing was said but, for an Esc in the journal, its question
    if (messages_->last() == "Выйти из программы?")
        messages_->shown.removeLast();
    QVERIFY2(messages_->shown.isEmpty(), qPrintable(messages_->last()));
}

QString KeyboardTest::stored(const QString& columns) {
    return db_->scalar("select string_agg(" + columns +
                       ", ' | ' order by id) from accounts_dep.smena");
}

// Insert opens the entry dialog on "Заявка"; the number finds the requisition among 45 and
// the line among its three; two letters and Enter take the worker, Space and Enter the first
// operation of the line's product; the numbers; Enter saves; Esc is back in the journal.
void KeyboardTest::aPositionFromTheJournal() {
    int opened = 0;
    int saved = 0;
    keys_->press(Qt::Key_Insert)
        .check([] { QCOMPARE(focusName(), QString("PositionEditor/requisitionCombo")); })
        .type("1042")
        .press(Qt::Key_Tab)
        .type("2")
        .press(Qt::Key_Tab)
        .type("Ив")
        .press(Qt::Key_Return)
        .check([] { QCOMPARE(focusName(), QString("PositionEditor/operationEdit")); })
        .press(Qt::Key_Space)
        .press(Qt::Key_Return)
        .check([] { QCOMPARE(focusName(), QString("PositionEditor/quantityEdit")); })
        .type("12")
        .press(Qt::Key_Tab)
        .type("8")
        .press(Qt::Key_Return)
        .check([&] { saved = keys_->mark(); })
        .press(Qt::Key_Escape)
        .check([&] {
            opened = keys_->mark();
            QCOMPARE(focusName(), QString("JournalWindow/positionsView"));
        });
    logInAndWalk("petrova");
    QCOMPARE(db_->scalar("select w_id || ' ' || o_id || ' ' || kol_vo || ' ' || time || ' ' || "
                         "s.id_doc || ' ' || i.n_line from accounts_dep.smena s join "
                         "mnf_doc.doc_item i on i.id = s.id_doc_item"),
             QString("101 4 12 8 %1 2").arg(requisition1042_));
    QCOMPARE(program_->journal().shownPositions().asInt("w_id"), 101);
    qInfo("key presses: a position from the journal %d (saved after %d, back in the journal "
          "with Esc)",
          opened, saved);
    QVERIFY(opened <= 20);
}

// "Запись и следующая" (Ctrl+Enter) saves and starts the next position on the same
// requisition, line, operation and day, on the worker's box.
void KeyboardTest::theNextPositionsOfTheSameLineAndOperation() {
    int first = 0;
    int second = 0;
    int third = 0;
    keys_->press(Qt::Key_Insert)
        .type("1042")
        .press(Qt::Key_Tab)
        .type("2")
        .press(Qt::Key_Tab)
        .type("Ив")
        .press(Qt::Key_Return)
        .press(Qt::Key_Space)
        .press(Qt::Key_Return)
        .type("12")
        .press(Qt::Key_Tab)
        .type("8")
        .press(Qt::CTRL | Qt::Key_Return)
        .check([&] {
            first = keys_->mark();
            QCOMPARE(focusName(), QString("PositionEditor/workerEdit"));
        })
        .type("Пет")
        .press(Qt::Key_Return)
        .check([] { QCOMPARE(focusName(), QString("PositionEditor/quantityEdit")); })
        .type("7")
        .press(Qt::Key_Tab)
        .type("6")
        .press(Qt::CTRL | Qt::Key_Return)
        .check([&] { second = keys_->mark() - first; })
        .type("Си")
        .press(Qt::Key_Return)
        .type("5")
        .press(Qt::Key_Tab)
        .type("4")
        .press(Qt::Key_Return)
        .check([&] { third = keys_->mark() - first - second; })
        .press(Qt::Key_Escape);
    logInAndWalk("petrova");
    QCOMPARE(stored("w_id || ' ' || o_id || ' ' || kol_vo || ' ' || time || ' ' || id_doc"),
             QString("101 4 12 8 %1 | 102 4 7 6 %1 | 103 4 5 4 %1").arg(requisition1042_));
    QCOMPARE(db_->scalar("select count(distinct id_doc_item) from accounts_dep.smena"),
             QString("1"));
    qInfo("key presses: the first position %d, the next %d, the last one saved with Enter %d, "
          "and Esc",
          first, second, third);
    QVERIFY(second <= 12);
    QVERIFY(third <= 12);
}

// The open list of requisitions finds one by its number too. What is typed into the worker's
// or the operation's box begins the search of its list (a name, a mark), and the next key goes
// on after it.
void KeyboardTest::typingIntoABoxSearchesItsList() {
    QString workerSearch;
    QString operationSearch;
    keys_->press(Qt::Key_Insert)
        .press(Qt::Key_F4)
        .type("1042")
        .press(Qt::Key_Return)
        .press(Qt::Key_Tab)
        .type("2")
        .press(Qt::Key_Tab)
        .type("Сид")
        .check([&] {
            workerSearch = QApplication::focusWidget()->objectName() + " " +
                           qobject_cast<QLineEdit*>(QApplication::focusWidget())->text();
        })
        .press(Qt::Key_Return)
        .type("ШР")
        .check([&] {
            auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            operationSearch = QApplication::activeWindow()->objectName() + " " +
                              (box ? box->text() : QString("no box"));
        })
        .press(Qt::Key_Return)
        .type("3")
        .press(Qt::Key_Tab)
        .type("1")
        .press(Qt::Key_Return)
        .press(Qt::Key_Escape);
    logInAndWalk("petrova");
    QCOMPARE(workerSearch, QString("searchEdit Сид"));
    QCOMPARE(operationSearch, QString("OperationsWindow ШР")); // the list searches by mark
    QCOMPARE(stored("w_id || ' ' || o_id"), QString("103 4"));
}

// A master stands on a position with Down and accepts it with Space; Ctrl+Enter accepts too.
void KeyboardTest::aMasterAcceptsByTheKeyboard() {
    db_->exec("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, time, ok, kol_vo, "
              "cena) values ('2026-03-02', 1, 101, 500, 1, 8, 'no', 10, 4.5), ('2026-03-02', 1, "
              "102, 500, 1, 8, 'no', 10, 4.5), ('2026-03-02', 1, 103, 500, 1, 8, 'no', 10, 4.5);"
              "insert into accounts_dep.smena_gds_use(id_smena, id_gds_use, f_qty_use) "
              "select id, 3000001, 1 from accounts_dep.smena");
    keys_->check([] { QCOMPARE(focusName(), QString("JournalWindow/positionsView")); })
        .press(Qt::Key_Space)
        .press(Qt::Key_Down)
        .press(Qt::Key_Down)
        .press(Qt::CTRL | Qt::Key_Return)
        .press(Qt::Key_Escape);
    logInAndWalk("zemplar");
    QCOMPARE(stored("w_id || ':' || ok"), QString("101:ok | 102:no | 103:ok"));
}

// Alt and a letter presses a button, opens a menu or goes to a box: every button and every
// menu entry has one, and none is taken twice within its window (or its menu).
void KeyboardTest::everyButtonAndMenuHasItsOwnMnemonic() {
    program_ = std::make_unique<Program>(AppArguments{db_->socketDir(), db_->name()});
    QList<QWidget*> windows{&program_->journal(), &program_->login()};
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w) && !windows.contains(w) && !w->inherits("QMessageBox") &&
            !w->inherits("QPrintPreviewDialog"))
            windows << w;
    QVERIFY(windows.size() >= 12);
    for (QWidget* window : windows) {
        QMap<QKeySequence, QString> taken; // mnemonic -> caption
        const auto take = [&](const QString& caption, bool required) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
            const bool hasLetters =
                std::any_of(caption.begin(), caption.end(), [](QChar c) { return c.isLetter(); });
            if (mnemonic.isEmpty()) {
                QVERIFY2(!required || !hasLetters,
                         qPrintable(window->objectName() + ": no mnemonic in " + caption));
                return;
            }
            QVERIFY2(!taken.contains(mnemonic),
                     qPrintable(window->objectName() + ": " + caption + " and " +
                                taken.value(mnemonic) + " share " + mnemonic.toString()));
            taken.insert(mnemonic, caption);
        };
        for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
            if (!b->inherits("QToolButton") && b->window() == window)
                take(b->text(), true);
        for (QLabel* l : window->findChildren<QLabel*>())
            if (l->buddy())
                take(l->text(), false);
        for (QTabWidget* t : window->findChildren<QTabWidget*>())
            for (int i = 0; i < t->count(); ++i)
                take(t->tabText(i), true);
        for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
            for (QAction* a : bar->actions())
                take(a->text(), true);
            for (QMenu* menu : bar->findChildren<QMenu*>()) {
                QMap<QKeySequence, QString> inMenu;
                for (QAction* a : menu->actions()) {
                    const QKeySequence mnemonic = QKeySequence::mnemonic(a->text());
                    QVERIFY2(!mnemonic.isEmpty(), qPrintable("no mnemonic in " + a->text()));
                    QVERIFY2(!inMenu.contains(mnemonic), qPrintable(a->text()));
                    inMenu.insert(mnemonic, a->text());
                }
            }
        }
    }
}

// F1 in the journal, and in a window opened from it, hands the guide the build made (from
// docs/guide.ru.md) to the desktop.
void KeyboardTest::f1OpensTheUsersGuide() {
    RecordingDesktop desktop;
    keys_->press(Qt::Key_F1)
        .press(Qt::Key_Insert)
        .press(Qt::Key_F1)
        .press(Qt::Key_Escape)
        .press(Qt::Key_Escape);
    logInAndWalk("petrova");
    QCOMPARE(desktop.opened.size(), 2);
    QCOMPARE(desktop.opened[1], desktop.opened[0]);
    const QString page = desktop.opened[0].toLocalFile();
    QVERIFY2(page.endsWith("/share/norv-smena/guide/guide.ru.html"), qPrintable(page));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY(html.contains("Учёт производства цеха"));
    // its pictures are beside it
    const QRegularExpression picture("<img src=\"([^\"]+)\"");
    for (const auto& m : picture.globalMatch(html))
        QVERIFY2(QFileInfo(QFileInfo(page).dir(), m.captured(1)).exists(),
                 qPrintable(m.captured(1)));
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
