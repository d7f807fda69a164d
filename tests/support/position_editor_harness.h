#pragma once
// The entry dialog as the tests and the save benchmark drive it: a journal of their own in
// place of the journal window, the dialog with the lists it opens, and the header of a new
// position filled through the dialog's own boxes and lists.

#include "data/data_module.h"
#include "data/dataset.h"
#include "directories/catalog.h"
#include "directories/operations_window.h"
#include "directories/worker_picker.h"
#include "journal/journal_view.h"
#include "journal/material_dialog.h"
#include "journal/position_editor.h"
#include "tests/support/scripted_modal_runner.h"
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

// The journal as the dialog sees it: a date, the day-off box, the login and its shift's list.
class FakeJournal : public JournalView {
public:
    explicit FakeJournal(data::DataModule6& dm) : dm_(dm) {}
    QDate journalDate() const override { return date; }
    bool dayOff() const override { return weekend; }
    data::Dataset& currentShift() override { return dm_.smena(login.CurSmena); }
    const ui::LoginValues& loginValues() const override { return login; }
    // The shift's list of the date read again.
    void readShift() {
        data::Dataset& shift = currentShift();
        shift.close();
        shift.setParam("data", date);
        shift.setParam("ok", "ta");
        shift.open();
    }

    QDate date;
    bool weekend = false;
    ui::LoginValues login;

private:
    data::DataModule6& dm_;
};

// The entry dialog with the lists it opens, on one data module, wired as start-up wires them.
struct EntryWindows {
    EntryWindows(data::DataModule6& dm, JournalView& journal)
        : catalog(dm.ADO_DB), workers(catalog), operations(catalog), materials(dm),
          entry(dm, journal) {
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
        for (auto* choose : list->findChildren<QPushButton*>())
            if (choose->text() == QStringLiteral("Выбрать")) {
                choose->click();
                *taken = true;
                return;
            }
        qFatal("%s has no Выбрать", qPrintable(list->objectName()));
    });
    entryChild<QPushButton>(dialog, button)->click();
    return *taken;
}

// Where EntryHeader stands a list: the workers' on the worker of that name, the operations' on
// the operation of that id. The data module is not needed; callers still pass it.
inline ListStand workerNamed(const QString& name) {
    return [name](QDialog* list) { return shownList(list, "workersView").locate("fio", name); };
}
inline ListStand workerNamed(data::DataModule6& /*dm*/, const QString& name) {
    return workerNamed(name);
}
inline ListStand operationNumbered(int operation) {
    return [operation](QDialog* list) {
        return shownList(list, "operationsView").locate("id", operation);
    };
}
inline ListStand operationNumbered(data::DataModule6& /*dm*/, int operation) {
    return operationNumbered(operation);
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

// Fills the header through the dialog: requisition and line, worker ("..." by Button3),
// operation (Button4), quantity, hours, rejects. What was not offered, as
// "LCB_id_doc_item has no 7100009; the worker is not offered"; empty when all went in.
inline QString fillEntryHeader(ScriptedModalRunner& modal, QDialog* dialog,
                               const EntryHeader& header) {
    QStringList missing;
    for (const auto& [lookup, key] :
         {std::pair{"LCB_id_doc", header.requisition}, std::pair{"LCB_id_doc_item", header.line}})
        if (!chooseLookupKey(dialog, lookup, key))
            missing << QStringLiteral("%1 has no %2").arg(lookup).arg(key);
    if (!pickFromList(modal, dialog, "Button3", header.worker))
        missing << QStringLiteral("the worker is not offered");
    if (!pickFromList(modal, dialog, "Button4", header.operation))
        missing << QStringLiteral("the operation is not offered");
    entryChild<QLineEdit>(dialog, "Edit3")->setText(header.quantity);
    if (header.hours)
        entryChild<QLineEdit>(dialog, "Edit6")->setText(*header.hours);
    if (header.rejects)
        entryChild<QLineEdit>(dialog, "Edit4")->setText(*header.rejects);
    return missing.join(QStringLiteral("; "));
}
