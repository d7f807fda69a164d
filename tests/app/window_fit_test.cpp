// Every window of the program on a 1366×768 laptop screen at 125 % scaling, less a desktop
// panel: it opens inside the screen's area with every visible control on it and no caption
// cut. Each window is saved as fit_<name>.png in TEST_OUTPUT_DIR.
#include "app/login_dialog.h"
#include "app/startup.h"
#include "directories/catalog.h"
#include "directories/norms_window.h"
#include "directories/operation_editor.h"
#include "directories/operation_type_editor.h"
#include "directories/operation_types_window.h"
#include "directories/operations_window.h"
#include "directories/product_picker.h"
#include "directories/worker_picker.h"
#include "journal/journal_window.h"
#include "journal/material_dialog.h"
#include "journal/position_editor.h"
#include "journal/positions.h"
#include "reports/report_selection_dialog.h"
#include "seams/clock.h"
#include "summary/summary_window.h"
#include "tests/support/dark_palette.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "tests/support/widget_helpers.h"
#include "timesheet/day_colours.h"
#include "timesheet/timesheet_window.h"
#include "ui/cell_colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

// The laptop: 1366×768 pixels less a 40-pixel panel, at 125 %, is 1093×582 for the windows.
constexpr double kScale = 1.25;
constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768 - 40;

// Opens a window of the program; the check is the script for the window looked at.
using Opener =
    std::function<void(Program&, ScriptedModalRunner&, const ScriptedModalRunner::Script& check)>;

// A window opened straight by its opener.
Opener direct(std::function<void(Program&)> open) {
    return [open = std::move(open)](Program& program, ScriptedModalRunner& runner,
                                    const ScriptedModalRunner::Script& check) {
        runner.then(check);
        open(program);
    };
}

// A preview, opened by a button of the window that open shows.
Opener previewFrom(std::function<void(Program&)> open, const char* buttonName) {
    return [open = std::move(open), buttonName](Program& program, ScriptedModalRunner& runner,
                                                const ScriptedModalRunner::Script& check) {
        runner.then([&runner, check, buttonName](QDialog* window) {
            runner.then(check);
            button(window, buttonName)->click();
        });
        open(program);
    };
}

QString describe(const QWidget* widget) {
    const QRect r(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    return QStringLiteral("%1 \"%2\" at %3,%4 %5×%6")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName())
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// A caption narrower than its text: a push button's text inside the button's frame, a check
// box's and a label's whole size hint.
bool isCut(const QWidget* widget) {
    if (const auto* push = qobject_cast<const QPushButton*>(widget)) {
        const QString text = QString(push->text()).remove(u'&');
        const int frame = push->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push);
        return push->width() < push->fontMetrics().horizontalAdvance(text) + 2 * frame;
    }
    if (const auto* box = qobject_cast<const QAbstractButton*>(widget))
        return !box->text().isEmpty() && box->width() < box->minimumSizeHint().width();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return !label->wordWrap() && !label->text().isEmpty() &&
               label->width() < label->minimumSizeHint().width();
    return false;
}

// What does not fit, one line each; nothing when the window is usable.
QStringList whatDoesNotFit(QWidget* window) {
    QStringList faults;
    const QRect area = window->screen()->availableGeometry();
    const QRect frame = window->geometry().marginsAdded(window->windowHandle()->frameMargins());
    if (!area.contains(frame))
        faults << QStringLiteral("the window: %1,%2 %3×%4 in %5×%6")
                      .arg(frame.x())
                      .arg(frame.y())
                      .arg(frame.width())
                      .arg(frame.height())
                      .arg(area.width())
                      .arg(area.height());
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->isWindow() || !child->isVisibleTo(window))
            continue;
        const QRect rect(child->mapToGlobal(QPoint(0, 0)), child->size());
        if (!area.contains(rect))
            faults << QStringLiteral("off the screen: ") + describe(child);
        if (isCut(child))
            faults << QStringLiteral("cut: ") + describe(child);
    }
    return faults;
}

} // namespace

Q_DECLARE_METATYPE(Opener)

class WindowFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyWindowFits_data();
    void everyWindowFits();
    void theLoginFits();
    void aDarkThemeStaysReadable();

private:
    // The script that checks a window: it fits, and its picture is saved.
    ScriptedModalRunner::Script check(const QString& name);

    QString outputDir_;
    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<RecordingMessages> messages_;
    std::unique_ptr<ScriptedModalRunner> runner_;
    int positionId_ = 0;
};

void WindowFitTest::initTestCase() {
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), kScale);
    if (QGuiApplication::platformName() == u"offscreen")
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(),
                 QSize(qRound(kScreenWidth / kScale), int(kScreenHeight / kScale)));
    outputDir_ = qEnvironmentVariable("TEST_OUTPUT_DIR", QDir::tempPath());
    QDir().mkpath(outputDir_);
    db_ = std::make_unique<TestDatabase>("fit");
    messages_ = std::make_unique<RecordingMessages>();
    runner_ = std::make_unique<ScriptedModalRunner>();
    seams::Clock::setFixedToday(QDate(2026, 3, 7));
    db_->exec(R"(
        insert into cmn_contractor.person(id, s_code, s_caption, b_employee) values
            (1, '101', 'Иванов Иван Петрович', true), (2, '102', 'Смирнова Ольга Викторовна', true);
        insert into accounts_dep.izdel(id, marka, nom, massa) values (500, 'КМ-120-01', 'Каркас', 1.5);
        insert into accounts_dep.vid_oper(id, vid) values (1, 'Сборка'), (2, 'Токарная обработка');
        insert into accounts_dep.oper(id, i_id, vid, naimen) values (1, 500, 1, 0), (2, 500, 2, 1);
        insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, cena, kol_vo, brak, time, color, ok, vvod) values
            ('2026-03-07', 1, 101, 500, 1, 12.5, 40, 2, 8, 0, 'ok', '2026-03-07 09:15:00'),
            ('2026-03-07', 1, 102, 500, 2, 30.25, 12, 0, 10, 0, 'no', '2026-03-07 10:02:00');
        insert into accounts_dep.h_tabel(smena, w_id, month, year, d2, d3, d7) values
            (1, 101, 3, 2026, 8, 4, 8), (1, 102, 3, 2026, 10, 0, 10);
    )");
    positionId_ = db_->scalar("select max(id) from accounts_dep.smena").toInt();
}

ScriptedModalRunner::Script WindowFitTest::check(const QString& name) {
    return [this, name](QDialog* window) {
        QCoreApplication::processEvents();
        QVERIFY(saveScreenshot(window, outputDir_ + "/fit_" + name + ".png"));
        const QStringList faults = whatDoesNotFit(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    };
}

void WindowFitTest::everyWindowFits_data() {
    QTest::addColumn<Opener>("open");
    const QDate day(2026, 3, 7);
    const int position = positionId_;
    QTest::newRow("journal") << direct([](Program& p) { seams::execModal(&p.journal()); });
    QTest::newRow("entry") << direct([day](Program& p) {
        p.entry().openNew(journal::JournalDay{day, false, 1});
    });
    QTest::newRow("material") << direct([position](Program& p) {
        p.materials().openForPosition(position, 500, QStringLiteral("12"));
    });
    QTest::newRow("workers") << direct([](Program& p) { p.workers().pick(); });
    QTest::newRow("products") << direct([](Program& p) { p.products().pick(); });
    QTest::newRow("operations") << direct([](Program& p) { p.operations().openDirectory(); });
    QTest::newRow("operation_choice")
        << direct([](Program& p) { p.operations().pick(OperationRequest{}); });
    QTest::newRow("operation_types")
        << direct([](Program& p) { p.operationTypes().openDirectory(); });
    QTest::newRow("operation_type_editor") << direct(
        [](Program& p) { p.operationTypeEditor().openNew(p.catalog().operationTypes()); });
    QTest::newRow("price_editor") << direct([](Program& p) { p.priceEditor().openNew(); });
    QTest::newRow("norms") << direct([](Program& p) { p.norms().openNorms(1); });
    const auto timesheet = [day](Program& p) { p.timesheet().openForMonth(day); };
    const auto reports = [](Program& p) { p.reports().openReports(); };
    QTest::newRow("timesheet") << direct(timesheet);
    QTest::newRow("timesheet_preview") << previewFrom(timesheet, "printButton");
    QTest::newRow("reports") << direct(reports);
    QTest::newRow("report_preview") << previewFrom(reports, "workerDetailsButton");
    const auto summary = [day](Program& p) { p.summary().openForMonth(day); };
    QTest::newRow("summary") << direct(summary);
    QTest::newRow("summary_preview") << previewFrom(summary, "printButton");
}

void WindowFitTest::everyWindowFits() {
    QFETCH(Opener, open);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    Program program(AppArguments{db_->socketDir(), db_->name()}, db_->connectionString("sys"));
    runner_->opened.clear();
    open(program, *runner_, check(name));
    QCOMPARE(runner_->pending(), 0);
    QVERIFY(!runner_->opened.isEmpty());
}

void WindowFitTest::theLoginFits() {
    Program program(AppArguments{db_->socketDir(), db_->name()});
    LoginDialog& login = program.login();
    QVERIFY(login.isVisible());
    QVERIFY(saveScreenshot(&login, outputDir_ + "/fit_login.png"));
    const QStringList faults = whatDoesNotFit(&login);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

// A dark desktop theme: the time-sheet's tinted cells take dark tints under light text, and
// the journal's marks read; the pictures are fit_dark_*.png.
void WindowFitTest::aDarkThemeStaysReadable() {
    const QPalette dark = darkDesktopPalette();
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });

    Program program(AppArguments{db_->socketDir(), db_->name()}, db_->connectionString("sys"));
    runner_->then(check(QStringLiteral("dark_journal")));
    seams::execModal(&program.journal());
    runner_->then([this, &dark](QDialog* window) {
        check(QStringLiteral("dark_timesheet"))(window);
        auto* grid = window->findChild<QTableView*>(QStringLiteral("shift1View"));
        const int total = grid->model()->columnCount() - 1;
        grid->scrollTo(grid->model()->index(1, total));
        const QImage cell =
            grid->viewport()->grab(grid->visualRect(grid->model()->index(1, total))).toImage();
        // the cell's middle row of pixels: the tint behind, the total's digits on it
        const QColor tint = ui::tintFor(timesheet::kTotalBlue, dark);
        QCOMPARE(cell.pixelColor(2, cell.height() / 2), tint);
        QVERIFY(ui::relativeLuminance(tint) < 0.1);
        double best = 1;
        for (int x = 0; x < cell.width(); ++x)
            best = std::max(best, ui::contrastRatio(cell.pixelColor(x, cell.height() / 2), tint));
        QVERIFY2(best >= ui::kReadableContrast, qPrintable(QString::number(best)));
    });
    program.timesheet().openForMonth(QDate(2026, 3, 7));
    runner_->then(check(QStringLiteral("dark_summary")));
    program.summary().openForMonth(QDate(2026, 3, 7));
    QCOMPARE(runner_->pending(), 0);
}

// Under an X server of that size (QT_QPA_PLATFORM=xcb xvfb-run -s "-screen 0 1366x768x24")
// the test takes its screen as it is.
int main(int argc, char** argv) {
    // the screen before the application: a file of the offscreen platform, and the scale
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("laptop.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    config.write(QStringLiteral(R"({"windowFrameMargins": true, "screens": [{"name": "laptop",
        "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96,
        "dpr": 1.0}]})")
                     .arg(kScreenWidth)
                     .arg(kScreenHeight)
                     .toUtf8());
    config.close();
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(u"xcb"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toUtf8());
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kScale));
    QApplication app(argc, argv);
    setupRussianLocale(app);
    WindowFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_fit_test.moc"
