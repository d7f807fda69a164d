#include "window_geometry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <utility>

namespace ui {

namespace {

const QString kGeometry = QStringLiteral("geometry");
const QString kMaximized = QStringLiteral("maximized");

// The user's settings of the program (~/.config/norv_smena/norv_smena.conf); a program that
// names no organisation files them under its own name.
std::unique_ptr<QSettings> windowSettings(const QString& key) {
    const QString application = QCoreApplication::applicationName();
    QString organisation = QCoreApplication::organizationName();
    if (organisation.isEmpty())
        organisation = application;
    auto settings = std::make_unique<QSettings>(QSettings::UserScope, organisation, application);
    settings->beginGroup(QStringLiteral("windows/") + key);
    return settings;
}

// A title bar and borders as desktops draw them at 100 %, for a frame not known yet.
const QMargins kTypicalFrame(4, 30, 4, 4);

// The window manager's frame. Under X11 and Wayland it is known only once the window has
// been mapped: before that another window's frame, else a typical one, stands in, so that a
// window that just fits is not pushed past the screen's bottom by its own title bar.
QMargins frameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    const QString platform = QGuiApplication::platformName();
    const bool managed = platform == u"xcb" || platform.startsWith(u"wayland");
    if (!margins.isNull() || !managed)
        return margins;
    for (const QWindow* other : QGuiApplication::topLevelWindows())
        if (other != handle && other->isVisible() && !other->frameMargins().isNull())
            return other->frameMargins();
    return kTypicalFrame;
}

QScreen* screenUnder(const QRect& frame, const QWidget* window) {
    if (QScreen* screen = QGuiApplication::screenAt(frame.center()))
        return screen;
    if (QScreen* screen = window->screen())
        return screen;
    return QGuiApplication::primaryScreen();
}

bool isNormal(const QWidget* window) {
    return !(window->windowState() &
             (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

void fitIntoItsScreen(QWidget* window) {
    if (!isNormal(window))
        return;
    const QMargins margins = frameMargins(window);
    const QRect frame = window->geometry().marginsAdded(margins);
    const QScreen* screen = screenUnder(frame, window);
    if (!screen)
        return;
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint()) +
                          QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QRect fitted = fitIntoScreen(frame, minimum, screen->availableGeometry());
    if (fitted == frame)
        return;
    // A window no one has placed yet gets only its size: a dialog centres itself after this,
    // inside the screen, and a window manager places the others.
    if (window->testAttribute(Qt::WA_Moved))
        window->setGeometry(fitted.marginsRemoved(margins));
    else
        window->resize(fitted.marginsRemoved(margins).size());
}

class GeometryKeeper : public QObject {
public:
    GeometryKeeper(QWidget* window, QString key)
        : QObject(window), window_(window), key_(std::move(key)) {
        window->installEventFilter(this);
    }

protected:
    // The show event comes before the window is mapped, so it opens where it belongs.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->spontaneous())
            return false;
        if (event->type() == QEvent::Show) {
            if (!restored_)
                restore();
            restored_ = true;
            fitIntoItsScreen(window_);
        } else if (event->type() == QEvent::Hide) {
            save();
        }
        return false;
    }

private:
    void restore() {
        const auto settings = windowSettings(key_);
        const QRect geometry = settings->value(kGeometry).toRect();
        if (geometry.isValid())
            window_->setGeometry(geometry);
        if (settings->value(kMaximized).toBool())
            window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
    }

    void save() {
        const QRect geometry = isNormal(window_) ? window_->geometry() : window_->normalGeometry();
        if (!geometry.isValid())
            return;
        const auto settings = windowSettings(key_);
        settings->setValue(kGeometry, geometry);
        settings->setValue(kMaximized, window_->isMaximized());
    }

    QWidget* window_;
    QString key_;
    bool restored_ = false;
};

} // namespace

QRect fitIntoScreen(const QRect& frame, const QSize& minimumFrame, const QRect& available) {
    const QSize size = frame.size().boundedTo(available.size()).expandedTo(minimumFrame);
    // the far edges first, so a window larger than the area keeps its top left on it
    const int x = std::max(available.x(),
                           std::min(frame.x(), available.x() + available.width() - size.width()));
    const int y = std::max(available.y(),
                           std::min(frame.y(), available.y() + available.height() - size.height()));
    return {QPoint(x, y), size};
}

void rememberGeometry(QWidget* window, const QString& key) {
    new GeometryKeeper(window, key);
}

bool hasRememberedGeometry(const QString& key) {
    return windowSettings(key)->contains(kGeometry);
}

void forgetGeometry(const QString& key) {
    windowSettings(key)->remove(QString());
}

} // namespace ui
