#include "grid_double_click.h"

#include "ui/guard.h"

#include <QAbstractItemView>
#include <QMouseEvent>

#include <utility>

namespace directories {

namespace {

class DoubleClickFilter : public QObject {
public:
    DoubleClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ui::runGuarded(handler_);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

} // namespace

void onGridDoubleClick(QAbstractItemView* grid, std::function<void()> handler) {
    grid->viewport()->installEventFilter(new DoubleClickFilter(grid, std::move(handler)));
}

} // namespace directories
