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

// The window manager's frame; none before the window first shows on some platforms.
QMargins frameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
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
    if (fitted != frame)
        window->setGeometry(fitted.marginsRemoved(margins));
}

} // namespace ui
