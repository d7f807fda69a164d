// A window's size and place: fitted into a screen's area, saved when it hides, restored when
// it is made again (the next start), and brought back onto the screen when what was saved
// no longer fits there.
#include "ui/window_geometry.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

const QString kKey = QStringLiteral("TestWindow");

// A list window as the program has them: a grid that takes the room, a button under it.
std::unique_ptr<QDialog> makeWindow() {
    auto window = std::make_unique<QDialog>();
    auto* layout = new QVBoxLayout(window.get());
    layout->addWidget(new QTableView);
    layout->addWidget(new QPushButton(QStringLiteral("Выход")));
    window->resize(640, 480); // the designed size
    ui::rememberGeometry(window.get(), kKey);
    return window;
}

QRect available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect frameOf(const QWidget& window) {
    return window.geometry().marginsAdded(window.windowHandle()->frameMargins());
}

void saveAs(const QRect& geometry, bool maximized = false) {
    QSettings settings(QSettings::UserScope, QCoreApplication::applicationName(),
                       QCoreApplication::applicationName());
    settings.setValue("windows/" + kKey + "/geometry", geometry);
    settings.setValue("windows/" + kKey + "/maximized", maximized);
}

} // namespace

class WindowGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ui::forgetGeometry(kKey); }
    void fitIntoScreen_data();
    void fitIntoScreen();
    void firstOpeningKeepsTheDesignedSize();
    void aDesignedSizeTallerThanTheScreenShrinksCentred();
    void sizeAndPlaceComeBackOnTheNextStart();
    void aMaximizedWindowOpensMaximized();
    void whatNoLongerFitsIsBroughtBack_data();
    void whatNoLongerFitsIsBroughtBack();
};

void WindowGeometryTest::fitIntoScreen_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QRect>("fitted");
    const QRect laptop(0, 0, 1093, 582);
    QTest::newRow("inside stays") << QRect(100, 50, 800, 500) << QSize(300, 200) << laptop
                                  << QRect(100, 50, 800, 500);
    QTest::newRow("too large shrinks to the area")
        << QRect(0, 0, 1120, 640) << QSize(300, 200) << laptop << QRect(0, 0, 1093, 582);
    QTest::newRow("past the right and bottom edges moves back")
        << QRect(900, 400, 400, 300) << QSize(300, 200) << laptop << QRect(693, 282, 400, 300);
    QTest::newRow("above and left of the area moves in")
        << QRect(-500, -40, 400, 300) << QSize(300, 200) << laptop << QRect(0, 0, 400, 300);
    QTest::newRow("on a screen to the right that is gone")
        << QRect(2500, 300, 800, 500) << QSize(300, 200) << laptop << QRect(293, 82, 800, 500);
    QTest::newRow("a panel on top: the area starts lower")
        << QRect(10, 0, 400, 300) << QSize(300, 200) << QRect(0, 32, 1093, 550)
        << QRect(10, 32, 400, 300);
    QTest::newRow("the second of two screens")
        << QRect(1800, 100, 800, 600) << QSize(300, 200) << QRect(1920, 0, 1366, 768)
        << QRect(1920, 100, 800, 600);
    QTest::newRow("a minimum larger than the area keeps the top left on it")
        << QRect(200, 200, 400, 300) << QSize(1200, 700) << laptop << QRect(0, 0, 1200, 700);
}

void WindowGeometryTest::fitIntoScreen() {
    QFETCH(QRect, frame);
    QFETCH(QSize, minimum);
    QFETCH(QRect, area);
    QFETCH(QRect, fitted);
    QCOMPARE(ui::fitIntoScreen(frame, minimum, area), fitted);
}

void WindowGeometryTest::firstOpeningKeepsTheDesignedSize() {
    QVERIFY(!ui::hasRememberedGeometry(kKey));
    const auto window = makeWindow();
    window->show();
    QCOMPARE(window->size(), QSize(640, 480));
    QVERIFY(available().contains(frameOf(*window)));
    window->hide();
    QVERIFY(ui::hasRememberedGeometry(kKey));
}

// A laptop's screen is lower than the window was designed: it opens shorter, still centred as
// a dialog opens, and remembers nothing it was not given.
void WindowGeometryTest::aDesignedSizeTallerThanTheScreenShrinksCentred() {
    const auto window = makeWindow();
    window->resize(600, available().height() + 300);
    window->show();
    QVERIFY(available().contains(frameOf(*window)));
    QCOMPARE(window->width(), 600);
    QVERIFY(qAbs(frameOf(*window).center().x() - available().center().x()) <= 2);
}

void WindowGeometryTest::sizeAndPlaceComeBackOnTheNextStart() {
    const QRect chosen(130, 90, 720, 410);
    {
        const auto window = makeWindow();
        window->show();
        window->setGeometry(chosen);
        window->hide();
    }
    const auto again = makeWindow();
    again->show();
    QCOMPARE(again->geometry(), chosen);
    // shown again in the same run, it stays where it was
    again->hide();
    again->show();
    QCOMPARE(again->geometry(), chosen);
}

void WindowGeometryTest::aMaximizedWindowOpensMaximized() {
    const QRect normal(130, 90, 720, 410);
    {
        const auto window = makeWindow();
        window->show();
        window->setGeometry(normal);
        window->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(window->isMaximized());
        window->hide();
    }
    const auto again = makeWindow();
    again->show();
    QVERIFY(again->isMaximized());
    // its size when it is no longer maximized is the one it had
    again->setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(again->geometry(), normal);
}

void WindowGeometryTest::whatNoLongerFitsIsBroughtBack_data() {
    QTest::addColumn<QRect>("saved");
    QTest::addColumn<QSize>("size");
    const QRect area = available();
    QTest::newRow("off every screen")
        << QRect(area.right() + 3000, -2000, 700, 400) << QSize(700, 400);
    QTest::newRow("larger than this screen")
        << QRect(40, 40, area.width() + 600, area.height() + 300)
        << area.size() - QSize(4, 4); // less the frame
    QTest::newRow("half off the bottom")
        << QRect(100, area.bottom() - 100, 700, 400) << QSize(700, 400);
}

void WindowGeometryTest::whatNoLongerFitsIsBroughtBack() {
    QFETCH(QRect, saved);
    QFETCH(QSize, size);
    saveAs(saved);
    const auto window = makeWindow();
    window->show();
    QVERIFY2(available().contains(frameOf(*window)),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(frameOf(*window).x())
                            .arg(frameOf(*window).y())
                            .arg(frameOf(*window).width())
                            .arg(frameOf(*window).height())));
    QCOMPARE(window->size(), size);
    // what was saved is kept as it was fitted
    window->hide();
    const auto again = makeWindow();
    again->show();
    QCOMPARE(again->geometry(), window->geometry());
}

QTEST_MAIN(WindowGeometryTest)
#include "window_geometry_test.moc"
