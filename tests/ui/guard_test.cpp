// The error guard: every class of error ends in its Russian sentence with the technical text
// as detail, and in one line of the program's log that names the window and what the person
// did to start the handler (a click, a mnemonic, a menu's key, typing), with the SQL state.
#include "data/data_error.h"
#include "files/write_failure.h"
#include "tests/support/recording_log.h"
#include "tests/support/recording_messages.h"
#include "tests/support/widget_helpers.h"
#include "ui/activity.h"
#include "ui/guard.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <stdexcept>

namespace {

void throwError(const QString& kind) {
    if (kind == "refusal")
        throw ui::Refusal("Все поля должны быть заполнены!");
    if (kind == "rule")
        throw data::DataError("Позиция принята мастером.", "NV001");
    if (kind == "file")
        throw files::WriteError(files::writeFailure(ENOSPC, "/home/petrova/Табель.xlsx"));
    if (kind == "right")
        throw data::DataError("permission denied for table smena", "42501");
    if (kind == "statement")
        throw data::DataError("column \"w_id\" does not exist", "42703");
    if (kind == "lost")
        throw data::DataError(data::kConnectionLost, "08006");
    if (kind == "program")
        throw data::DataError("shift1: поле 'fio' не найдено");
    throw std::out_of_range("vector::_M_range_check");
}

// A window with what a person uses: a button with a mnemonic, a menu entry with its key, a
// labelled box, and a button that opens another window before it fails.
class Window : public QDialog {
public:
    Window() {
        setWindowTitle("Табель");
        auto* layout = new QVBoxLayout(this);
        auto* bar = new QMenuBar(this);
        layout->setMenuBar(bar);
        QAction* reread = bar->addMenu("&Справочники")->addAction("Обновить &список");
        reread->setShortcut(Qt::Key_F5);
        connect(reread, &QAction::triggered, this, ui::guarded([] { throwError("statement"); }));
        refresh = new QPushButton("&Excel", this);
        connect(refresh, &QPushButton::clicked, this, ui::guarded([] { throwError("statement"); }));
        auto* label = new QLabel("&Кол-во:", this);
        quantity = new QLineEdit(this);
        quantity->setObjectName("quantityEdit");
        label->setBuddy(quantity);
        connect(quantity, &QLineEdit::textEdited, this,
                ui::guarded([] { throwError("statement"); }));
        add = new QPushButton("Добавить", this);
        connect(add, &QPushButton::clicked, this, ui::guarded([this] {
                    QDialog entry(this);
                    entry.setWindowTitle("Заведение новой позиции");
                    auto* save = new QPushButton("Запись", &entry);
                    entry.show();
                    QTest::mouseClick(save, Qt::LeftButton);
                    throwError("statement");
                }));
        for (QWidget* w : std::initializer_list<QWidget*>{refresh, label, quantity, add})
            layout->addWidget(w);
    }
    QPushButton* refresh;
    QPushButton* add;
    QLineEdit* quantity;
};

} // namespace

class GuardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void oneSentenceAndOneLinePerClass_data();
    void oneSentenceAndOneLinePerClass();
    void theLineNamesWhatThePersonDid_data();
    void theLineNamesWhatThePersonDid();

private:
    RecordingMessages messages_;
    RecordingLog log_;
};

void GuardTest::initTestCase() {
    ui::watchActivity();
}

void GuardTest::init() {
    messages_.clear();
    log_.entries.clear();
}

void GuardTest::oneSentenceAndOneLinePerClass_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shown");  // text, and the detail's start under it
    QTest::addColumn<QString>("logged"); // kind, SQL state and the message's start
    QTest::newRow("a window's own check") << "refusal"
                                          << "Все поля должны быть заполнены!"
                                          << "отказ\t-\tВсе поля должны";
    QTest::newRow("a rule of the database") << "rule"
                                            << "Позиция принята мастером."
                                            << "отказ\tNV001\tПозиция принята мастером.";
    QTest::newRow("a file not written") << "file"
                                        << "На диске не хватает места"
                                        << "ошибка\t-\tНа диске не хватает места";
    QTest::newRow("no right") << "right" << ui::kServerRefused + "\npermission denied"
                              << "ошибка\t42501\tpermission denied for table smena";
    QTest::newRow("a statement error") << "statement" << ui::kStatementFailed + "\ncolumn"
                                       << "ошибка\t42703\tcolumn \"w_id\" does not exist";
    QTest::newRow("the connection lost")
        << "lost" << data::kConnectionLost << "ошибка\t08006\t" + data::kConnectionLost;
    QTest::newRow("the program's own data error")
        << "program" << ui::kUnexpectedError + "\nshift1: поле 'fio' не найдено"
        << "ошибка\t-\tshift1: поле 'fio' не найдено";
    QTest::newRow("any other exception") << "other" << ui::kUnexpectedError + "\nvector::"
                                         << "ошибка\t-\tvector::_M_range_check";
}

void GuardTest::oneSentenceAndOneLinePerClass() {
    QFETCH(QString, kind);
    QFETCH(QString, shown);
    QFETCH(QString, logged);
    ui::runGuarded([&] { throwError(kind); });
    QCOMPARE(messages_.shown.size(), 1);
    const RecordingMessages::Shown& m = messages_.shown[0];
    QCOMPARE(m.caption, QString("Ошибка"));
    const QString box = m.text + (m.detail.isEmpty() ? QString() : "\n" + m.detail);
    QVERIFY2(box.startsWith(shown), qPrintable(box));
    QCOMPARE(log_.entries.size(), 1);
    // the line without its time, login, window and action
    const QStringList fields = eventlog::lineText(log_.entries[0]).split(u'\t');
    const QString line = fields[1] + u'\t' + fields[5] + u'\t' + fields[6];
    QVERIFY2(line.startsWith(logged), qPrintable(line));
}

void GuardTest::theLineNamesWhatThePersonDid_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("action");
    QTest::newRow("a click") << "click"
                             << "Табель"
                             << "Excel";
    QTest::newRow("the button's mnemonic") << "mnemonic"
                                           << "Табель"
                                           << "Excel";
    QTest::newRow("a menu entry's key") << "F5"
                                        << "Табель"
                                        << "Обновить список";
    QTest::newRow("typing into a labelled box") << "typing"
                                                << "Табель"
                                                << "ввод в «Кол-во»";
    // the other window's click inside the handler is not what started it
    QTest::newRow("a handler that opens a window") << "nested"
                                                   << "Табель"
                                                   << "Добавить";
}

void GuardTest::theLineNamesWhatThePersonDid() {
    QFETCH(QString, input);
    QFETCH(QString, window);
    QFETCH(QString, action);
    Window w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.quantity->setFocus();
    if (input == "click")
        QTest::mouseClick(w.refresh, Qt::LeftButton);
    else if (input == "mnemonic")
        QTest::keyClick(&w, Qt::Key_E, Qt::AltModifier);
    else if (input == "F5")
        QTest::keyClick(&w, Qt::Key_F5);
    else if (input == "typing")
        typeInto(w.quantity, "5");
    else
        QTest::mouseClick(w.add, Qt::LeftButton);
    QTRY_COMPARE(log_.entries.size(), 1); // a mnemonic clicks its button a moment later
    QCOMPARE(log_.entries[0].window, window);
    QCOMPARE(log_.entries[0].action, action);
    QCOMPARE(log_.entries[0].sqlState, QString("42703"));
}

QTEST_MAIN(GuardTest)
#include "guard_test.moc"
