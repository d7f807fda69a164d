#pragma once

#include "journal/position.h"
#include "journal/position_brigade.h"
#include "journal/position_materials.h"
#include "journal/positions.h"
#include "journal/requisition_lookups.h"

#include "directories/operations_window.h"
#include "directories/worker_picker.h"

#include <QDialog>

#include <functional>

class MaterialDialog;

namespace data {
class Connection;
}

namespace ui {
class DatasetModel;
}

namespace Ui {
class PositionEditor;
}

// The entry dialog: a position of the journal is added, changed or looked at here. The
// header (requisition, line, worker, operation, quantity, hours, day, rejects) is saved by
// "Запись" and the dialog stays open; a stored position then gets its materials and, when
// it is new, its brigade, which "Сохранить" divides the position among. "Запись и следующая"
// (Ctrl+Enter) saves and starts the next position of the same requisition, line, operation
// and day.
//
// By the keyboard: the dialog opens on "Заявка"; the requisition and the line are found by
// typing their numbers; typing into the worker's or the operation's box (or Space there)
// opens its list with what was typed as the search, and a choice moves on to the next box.
class PositionEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Edit, View };

    explicit PositionEditor(data::Connection& connection, QWidget* parent = nullptr);
    ~PositionEditor() override;

    // The pickers and the material dialog; start-up creates them before this window.
    void useWindows(WorkerPicker& workers, OperationsWindow& operations, MaterialDialog& materials);

    // "Добавить": an empty header for the journal's day. The id of the position stored last
    // (several with "Запись и следующая"), or 0.
    int openNew(const journal::JournalDay& day);
    // "Изменить": a listed position that is not accepted.
    void openChange(const journal::ListedPosition& listed, const journal::JournalDay& day);
    // A double-click of a login that is no master: the position, everything disabled.
    void openView(const journal::ListedPosition& listed);

    Mode mode() const { return mode_; }
    int positionId() const { return position_.id; } // 0 until the position is stored
    // the lists of the two sections, as their grids show them
    data::Dataset& materialRows() { return materials_.rows(); }
    data::Dataset& brigadeMembers() { return brigade_.members(); }

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrids();
    void connectHandlers();
    // The enabled state of the header and the two sections, from the mode and whether the
    // position is stored.
    void updateWidgetState();

    void clearHeader(const QDate& workDay);
    void clearNumbers();
    // The price the save stores, with its factor named; for a viewed position, as stored.
    void showPrice();
    // Where a keyboard person goes on after a pick: the next box still to fill.
    void focusAfterPick();
    void focusBox(QWidget* box);
    void showListed(const journal::ListedPosition& listed);
    void showOfferedRequisitions(qint64 requisition, qint64 line);
    void showViewedRequisition(int positionId);
    void forgetWorkerAndOperation();
    bool showsRequisition() const;
    void showWorker(const ChosenWorker& worker);
    void showOperation(const OperationChoice& operation);
    bool dateBoxFinished(QObject* watched, QEvent* event) const;
    bool pickerBoxClicked(QObject* watched, QEvent* event);
    bool pickerBoxTyped(QObject* watched, QEvent* event);
    void numberBoxLeft(QObject* box);
    bool typedDateValid() const; // the date box's text is a day of the calendar

    // The header's refusals before anything is written; false when one was shown.
    bool headerAcceptable(const journal::SaveConditions& conditions);
    void readHeader();
    void storeHeader(const journal::SaveConditions& conditions);
    void startNext();

    void requisitionChosen();
    void requisitionLineChosen();
    // typed: what was typed into the box, the list's search starts with it
    void pickWorker(const QString& typed = {});
    void pickOperation(const QString& typed = {});
    bool saveHeader(); // true once stored
    void saveAndNext();
    void addMaterial();
    void removeMaterial();
    void addBrigadeMember();
    void removeBrigadeMember();
    void divideAmongBrigade();

    Ui::PositionEditor* ui;
    data::Connection& connection_;
    journal::RequisitionLookups requisitions_;
    journal::PositionMaterials materials_;
    journal::PositionBrigade brigade_;
    WorkerPicker* workerPicker_ = nullptr;
    OperationsWindow* operations_ = nullptr;
    MaterialDialog* materialDialog_ = nullptr;
    ui::DatasetModel* materialModel_ = nullptr;
    ui::DatasetModel* brigadeModel_ = nullptr;

    Mode mode_ = Mode::Add;
    journal::JournalDay day_;
    journal::Position position_;  // the position in work
    int listedOperationId_ = 0;   // the opened position's operation, for the operations list
    int lastStored_ = 0;          // the position stored last in this opening
    double viewedPrice_ = 0;      // a viewed position's price as stored
    qint64 personId_ = 0;         // person id of the worker last chosen
    int productKind_ = 0;         // product kind of the chosen operation
    bool operationPriced_ = true; // false: the edited position's operation has no price
    bool impossibleDate_ = false; // a date that is none was typed and put back by the box
};
