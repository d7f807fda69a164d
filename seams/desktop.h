#pragma once

#include <QUrl>

namespace seams {

// What the program hands to the desktop to show (the users' guide in a browser), so tests can
// record it instead.
class Desktop {
public:
    virtual ~Desktop() = default;
    // False when the desktop has nothing to open it with.
    virtual bool openUrl(const QUrl& url) = 0;

    static Desktop& current();
    // Tests put their own in; nullptr restores the real desktop.
    static void install(Desktop* desktop);
};

} // namespace seams
