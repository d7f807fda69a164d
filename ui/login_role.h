#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace ui {

// What a login may do in the windows. The database decides it: the login's membership in
// the program's groups (data/program_groups.h), the same groups its grants follow.
enum class LoginRole {
    Master,        // norv_master: accept positions only
    Administrator, // norv_administrator: everything
    Economist,     // norv_reader: reports only
    Clerk,         // norv_writer: record positions
};

// The most capable role among the groups (a clerk is a reader as well, an administrator
// everything); nullopt when the login is in none of them.
inline std::optional<LoginRole> roleFromGroups(const QStringList& groups) {
    if (groups.contains(u"norv_administrator"))
        return LoginRole::Administrator;
    if (groups.contains(u"norv_master"))
        return LoginRole::Master;
    if (groups.contains(u"norv_writer"))
        return LoginRole::Clerk;
    if (groups.contains(u"norv_reader"))
        return LoginRole::Economist;
    return std::nullopt;
}

// Which parts of the journal a role may use; what is not named keeps its design state.
struct JournalRights {
    bool recordPositions = false; // "Добавить", "Изменить", "Удалить"
    bool acceptPositions = false; // "Принять"
    bool directories = false;     // menu "Справочники"
    bool timesheet = false;       // menu "Табель по времени"
    bool reports = false;         // menu "Отчеты"
    bool browseDays = true;       // date, shifts, weekend box, "Обновить", the grid
    bool history = false;         // "История": the database lets a clerk read none
};

inline JournalRights journalRights(LoginRole role) {
    JournalRights rights;
    rights.recordPositions = role == LoginRole::Administrator || role == LoginRole::Clerk;
    rights.acceptPositions = role == LoginRole::Administrator || role == LoginRole::Master;
    rights.directories = rights.recordPositions;
    // the economist closes months there
    rights.timesheet = role != LoginRole::Master;
    rights.reports = role != LoginRole::Master;
    rights.browseDays = role != LoginRole::Economist;
    rights.history = role != LoginRole::Clerk;
    return rights;
}

// What a role may do in the time-sheet window; reading, exporting and printing are everyone's
// who opens it.
struct TimesheetRights {
    bool rebuild = false;      // "Перестроить"
    bool closeMonths = false;  // "Закрыть месяц"
    bool reopenMonths = false; // "Открыть месяц"
};

inline TimesheetRights timesheetRights(LoginRole role) {
    TimesheetRights rights;
    rights.rebuild = role == LoginRole::Administrator || role == LoginRole::Clerk;
    rights.closeMonths = role == LoginRole::Administrator || role == LoginRole::Economist;
    rights.reopenMonths = role == LoginRole::Administrator;
    return rights;
}

// The login values: set by the login step, held by the journal for the whole run and given
// to the windows that read them. The password stays with the connection only.
struct LoginValues {
    QString userName;                  // trimmed, as typed
    LoginRole role = LoginRole::Clerk; // from the login's groups
    int currentShift = 1;              // the shift the journal shows, 1 to 4
    int buildMajor = 0;                // the build shown in the login window's caption
    int buildMinor = 0;

    bool isMaster() const { return role == LoginRole::Master; }
};

} // namespace ui
