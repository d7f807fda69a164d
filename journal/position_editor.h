#pragma once

#include "journal/position.h"

#include "data/command.h"
#include "data/dataset.h"
#include "directories/operations_window.h"
#include "directories/worker_picker.h"

#include <QDialog>

class WorkerPicker;
class MaterialDialog;
class JournalView;

namespace data {
class DataModule6;
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
// it is new, its brigade, which "Сохранить" divides the position among.
class PositionEditor : public QDialog {
    Q_OBJECT
public:
    PositionEditor(data::DataModule6& dataModule, JournalView& journal, QWidget* parent = nullptr);
    ~PositionEditor() override;

    // The pickers and the material dialog; start-up creates them before this window.
    void useWindows(WorkerPicker& workers, OperationsWindow& operations, MaterialDialog& materials);

    // "Добавить": an empty header for the journal date; afterwards the journal list is re-read.
    void openNew();
    // "Изменить": the current position of the journal's shift, unless it is accepted.
    void openChange();
    // A double-click of a login that is no master: the current position, everything disabled.
    void openView();

    int tag() const { return Tag; }               // 1 add, 2 edit, 3 view
    int positionId() const { return held_.s_id; } // 0 until the position is stored

    // the requisitions and their lines offered, the position's materials and brigade
    data::Dataset v_mnf_requisition;
    data::Dataset v_mnf_requisition_item;
    data::Dataset smena_gds_use;
    data::Dataset fio_smena_gds;

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool showsRequisition() const;
    QString lineProductCode() const;
    void showWorker(const ChosenWorker& worker);
    void showOperation(const OperationChoice& operation);
    void setLookupStatements();
    void openMaterials(int positionId);
    void openBrigade(int positionId);
    // The current row of the journal's shift into the header.
    void loadPosition(const data::Dataset& shift);
    void setMaterialSectionEnabled(bool on);
    void setBrigadeSectionEnabled(bool on);

    void on_LCB_id_doc_closed();
    void on_LCB_id_doc_item_closed();
    void on_Button3_clicked();
    void on_Button4_clicked();
    void on_Button1_clicked();
    void on_Button5_clicked();
    void on_Button6_clicked();
    void on_Button7_clicked();
    void on_Button8_clicked();
    void on_Button9_clicked();
    void numberBoxLeft(QObject* box);
    bool typedDateValid() const; // the date box's text is a day of the calendar

    Ui::PositionEditor* ui;
    data::DataModule6& dataModule_;
    JournalView& journal_;
    WorkerPicker* workers_ = nullptr;
    OperationsWindow* operations_ = nullptr;
    MaterialDialog* materials_ = nullptr;
    ui::DatasetModel* materialModel_ = nullptr;
    ui::DatasetModel* brigadeModel_ = nullptr;

    data::Command SmenaIU;
    data::Command ins_person;
    data::Command save_all;

    int Tag = 1;
    journal::Position held_;      // the position in work: s_id, w_id, i_id, o_id, cena
    qint64 p_id = 0;              // person id of the worker last chosen
    int naimen = 0;               // product kind of the chosen operation
    bool operationPriced_ = true; // false: the edited position's operation has no price
    bool impossibleDate_ = false; // a date that is none was typed and put back by the box
};
