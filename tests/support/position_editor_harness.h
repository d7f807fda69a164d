#pragma once
// The entry dialog as the tests and the save benchmark drive it: a journal of their own in
// place of the journal window, the dialog with the lists it opens, and the header of a new
// position filled through the dialog's own boxes and lists; the journal window on a
// workstation's own connection.

#include "data/connection.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/operations_window.h"
#include "directories/worker_picker.h"
#include "journal/journal_window.h"
#include "journal/material_dialog.h"
#include "journal/position_editor.h"
#include "journal/positions.h"
#include "tests/support/scripted_modal_runner.h"
#include "tests/support/test_database.h"
#include "ui/dataset_model.h"
#include "ui/login_role.h"
#include "ui/lookup_combo_box.h"

#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The journal as the dialog's tests drive it: a date, the day-off box, the login and the
// shift lists, opening the dialog as the journal's buttons do and reading its list again
// afterwards.
class FakeJournal {
public:
    explicit FakeJournal(data::Connection& connection) : positions(connection) {}
    journal::JournalDay day() const { return {date, weekend, login.currentShift}; }
    data::Dataset& currentShift() { return positions.shiftPositions(login.currentShift); }
    // The shift's list of the date read again.
    void readShift() {
        data::Dataset& shift = currentShift();
        shift.close();
        shift.setParam("data", date);
        shift.open();
    }
    // "Добавить", "Изменить" and the double-click: the id the dialog worked on.
    int add(PositionEditor& entry) { return backFrom(entry.openNew(day())); }
    int change(PositionEditor& entry) {
        const std::optional<journal::ListedPosition> listed =
            journal::ListedPosition::current(currentShift());
        if (listed && !listed->accepted())
            entry.openChange(*listed, day());
        return backFrom(listed ? listed->id : 0);
    }
    int view(PositionEditor& entry) {
        const std::optional<journal::ListedPosition> listed =
            journal::ListedPosition::current(currentShift());
        if (listed)
            entry.openView(*listed);
        return backFrom(listed ? listed->id : 0);
    }

    QDate date;
    bool weekend = false;
    ui::LoginValues login;
    journal::Positions positions;

private:
    int backFrom(int positionId) {
        readShift();
        if (positionId != 0)
            currentShift().locate("id", positionId);
        return positionId;
    }
};

// What start-up gives the journal window, made before it.
struct JournalStationData {
    explicit JournalStationData(const QString& connectionText)
        : stationConnection(connectionText) {}
    OpenConnection stationConnection;
    journal::Positions stationPositions{stationConnection};
};

// The journal window on a workstation's own connection, as start-up creates it.
class StationJournal : private JournalStationData, public JournalWindow {
public:
    explicit StationJournal(const QString& connectionText)
        : JournalStationData(connectionText), JournalWindow(stationConnection, stationPositions) {}
    journal::Positions& positions() { return stationPositions; }
};

// The entry dialog with the lists it opens, on one connection, wired as start-up wires them.
struct EntryWindows {
    explicit EntryWindows(data::Connection& connection)
        : catalog(connection), workers(catalog), operations(catalog), materials(connection),
          entry(connection) {
        entry.useWindows(workers, operations, materials);
    }
    directories::Catalog catalog;
    WorkerPicker workers;
    OperationsWindow operations;
    MaterialDialog materials;
    PositionEditor entry;
};

// A child of the dialog by its objectName; a missing one ends the program, as a renamed
// control must not pass for an empty one.
template <typename T> T* entryChild(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

// Chooses the row of a lookup by its key; false, nothing chosen, when the key is not offered.
inline bool chooseLookupKey(QDialog* dialog, const char* lookup, qint64 key) {
    auto* box = entryChild<ui::LookupComboBox>(dialog, lookup);
    const int index = box->findData(key, ui::LookupComboBox::KeyRole);
    if (index < 0)
        return false;
    box->choose(index);
    return true;
}

// Where a list stands: on the row it finds in the list the list window shows; false when
// it finds none.
using ListStand = std::function<bool(QDialog* list)>;

// The list a list window shows in its grid of that name.
inline data::Dataset& shownList(QDialog* list, const char* grid) {
    auto* model = qobject_cast<ui::DatasetModel*>(entryChild<QTableView>(list, grid)->model());
    if (!model || !model->dataset())
        qFatal("%s shows no list", grid);
    return *model->dataset();
}

// Opens a list by the dialog's button and takes a row with the list's "Выбрать": the row
// stand puts the list on, or without stand the one it stands on. False when stand finds
// nothing (the list is closed untaken) or the list did not open.
inline bool pickFromList(ScriptedModalRunner& modal, QDialog* dialog, const char* button,
                         ListStand stand = {}) {
    // the script may outlive this call when the list does not open
    auto taken = std::make_shared<bool>(false);
    modal.then([taken, stand = std::move(stand)](QDialog* list) {
        if (stand && !stand(list))
            return;
        // the workers' list has a button of its own; the operations' list chooses with the
        // button that edits elsewhere
        auto* choose = list->findChild<QPushButton*>(QStringLiteral("chooseButton"));
        if (!choose)
            choose = list->findChild<QPushButton*>(QStringLiteral("editButton"));
        if (!choose)
            qFatal("%s has no Выбрать", qPrintable(list->objectName()));
        choose->click();
        *taken = true;
    });
    entryChild<QPushButton>(dialog, button)->click();
    return *taken;
}

// Where EntryHeader stands a list: the workers' on the worker of that name, the operations' on
// the operation of that id.
inline ListStand workerNamed(const QString& name) {
    return [name](QDialog* list) { return shownList(list, "workersView").locate("fio", name); };
}
inline ListStand operationNumbered(int operation) {
    return [operation](QDialog* list) {
        return shownList(list, "operationsView").locate("id", operation);
    };
}

// The header of a new position. The boxes not given are left as they are.
struct EntryHeader {
    qint64 requisition = 0;
    qint64 line = 0;
    ListStand worker = {};    // stands the workers' list, see pickFromList
    ListStand operation = {}; // the same for the operations' list
    QString quantity = {};
    std::optional<QString> hours = {};
    std::optional<QString> rejects = {};
};

// Fills the header through the dialog: requisition and line, worker ("..." by
// pickWorkerButton), operation (pickOperationButton), quantity, hours, rejects. What was not
// offered, as "requisitionLineCombo has no 7100009; the worker is not offered"; empty when
// all went in.
inline QString fillEntryHeader(ScriptedModalRunner& modal, QDialog* dialog,
                               const EntryHeader& header) {
    QStringList missing;
    for (const auto& [lookup, key] : {std::pair{"requisitionCombo", header.requisition},
                                      std::pair{"requisitionLineCombo", header.line}})
        if (!chooseLookupKey(dialog, lookup, key))
            missing << QStringLiteral("%1 has no %2").arg(lookup).arg(key);
    if (!pickFromList(modal, dialog, "pickWorkerButton", header.worker))
        missing << QStringLiteral("the worker is not offered");
    if (!pickFromList(modal, dialog, "pickOperationButton", header.operation))
        missing << QStringLiteral("the operation is not offered");
    entryChild<QLineEdit>(dialog, "quantityEdit")->setText(header.quantity);
    if (header.hours)
        entryChild<QLineEdit>(dialog, "hoursEdit")->setText(*header.hours);
    if (header.rejects)
        entryChild<QLineEdit>(dialog, "rejectsEdit")->setText(*header.rejects);
    return missing.join(QStringLiteral("; "));
}
