#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

namespace history {

// One row of accounts_dep.history as stored: old and new hold the changed columns of an
// update (before and after), the whole row of an insertion (new) or a deletion (old).
struct HistoryRow {
    qint64 id = 0;
    QDateTime at;
    QString login;
    QString client;  // the workstation's address, "local" for a unix socket
    QString subject; // the table: smena, smena_gds_use, person_temp, oper, norm, vid_oper, ...
    QString action;  // insert, update, delete, restore, rebuild, close, reopen
    qint64 rowId = 0;
    int positionId = 0;
    int operationId = 0;
    int month = 0;
    int year = 0;
    QJsonObject oldValues;
    QJsonObject newValues;
    bool positionPresent = false; // the row's position is stored now
};

// The names shown beside the codes a row holds, by the code as text.
struct HistoryNames {
    QHash<QString, QString> workers;    // by worker code (w_id)
    QHash<QString, QString> persons;    // by person id (a brigade member)
    QHash<QString, QString> products;   // by izdel.id
    QHash<QString, QString> operations; // "mark; type" by oper.id
    QHash<QString, QString> types;      // by vid_oper.id
    QHash<QString, QString> materials;  // by the material's id
};

// The codes of rows whose names are to be looked up.
struct NameCodes {
    QStringList workers, persons, products, operations, types, materials;
};
NameCodes codesToName(const std::vector<HistoryRow>& rows);

// A row as a person reads it: when, who, where, what, and each column's change.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime at;
    QString login;
    QString place;       // the workstation
    QString what;        // "Позиция изменена"
    QStringList changes; // "Количество: 10 → 12", or a column's value where one side is all
    bool wholeRow = false;         // a row's state (an insertion, a deletion), not its changes
    bool positionDeletion = false; // a deletion of a position: what a restore takes
    bool positionPresent = false;
    int positionId = 0;
};

HistoryEntry describe(const HistoryRow& row, const HistoryNames& names);

// "dd.MM.yyyy HH:mm:ss", the time of a history row as the windows and the export show it.
QString timeText(const QDateTime& at);

} // namespace history
