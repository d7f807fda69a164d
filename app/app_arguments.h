#pragma once

#include <QString>
#include <QStringList>

// The two optional command-line arguments: the database server and the database name.
// A missing one reads as empty text; further ones are ignored.
struct AppArguments {
    QString server;
    QString database;

    // Both present and not empty: only then the login uses them.
    bool both() const { return !server.isEmpty() && !database.isEmpty(); }

    static AppArguments fromCommandLine(const QStringList& arguments) {
        AppArguments a;
        if (arguments.size() > 1)
            a.server = arguments[1];
        if (arguments.size() > 2)
            a.database = arguments[2];
        return a;
    }
};
