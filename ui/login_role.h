#pragma once

#include <QString>

namespace ui {

// What a login name may do; the names are compared exactly (case-sensitive) after
// trimming.
enum class LoginRole {
    Master,        // "zemplar", "quorvin", "fennix": accept positions only
    Administrator, // "sys": everything
    Economist,     // "econom": reports only
    Clerk,         // every other name, the empty one too: record positions
};

inline LoginRole loginRole(const QString& userName) {
    if (userName == u"zemplar" || userName == u"quorvin" || userName == u"fennix")
        return LoginRole::Master;
    if (userName == u"sys")
        return LoginRole::Administrator;
    if (userName == u"econom")
        return LoginRole::Economist;
    return LoginRole::Clerk;
}

// Which parts of the journal a role may use; what is not named keeps its design state.
struct JournalRights {
    bool recordPositions = false; // "Добавить", "Изменить", "Удалить"
    bool acceptPositions = false; // "Принять"
    bool directories = false; // menus "Справочники" and "Табель по времени"
    bool reports = false;     // menu "Отчеты"
    bool browseDays = true;   // date, shifts, weekend box, "Обновить", the grid
};

inline JournalRights journalRights(LoginRole role) {
    JournalRights rights;
    rights.recordPositions = role == LoginRole::Administrator || role == LoginRole::Clerk;
    rights.acceptPositions = role == LoginRole::Administrator || role == LoginRole::Master;
    rights.directories = rights.recordPositions;
    rights.reports = role != LoginRole::Master;
    rights.browseDays = role != LoginRole::Economist;
    return rights;
}

// The login values: set by the login step, held by the journal for the whole run and given
// to the windows that read them.
struct LoginValues {
    QString UserName;     // trimmed; "sys" after the service code
    QString UserPassword; // trimmed; the built-in password after the service code
    int CurSmena = 1;     // the shift the journal shows, 1 to 4
    int BuildMajor = 0;   // the build shown in the login window's caption
    int BuildMinor = 0;

    bool isMaster() const { return loginRole(UserName) == LoginRole::Master; }
};

} // namespace ui
