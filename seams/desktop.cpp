#include "desktop.h"

#include <QDesktopServices>

namespace seams {

namespace {

class RealDesktop : public Desktop {
public:
    // xdg-open, started without waiting on it
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

Desktop* installed = nullptr;

} // namespace

Desktop& Desktop::current() {
    static RealDesktop desktop;
    return installed ? *installed : desktop;
}

void Desktop::install(Desktop* desktop) {
    installed = desktop;
}

} // namespace seams
