#pragma once

#include "data/dataset.h"

#include <QDialog>
#include <QString>

namespace data {
class DataModule6;
}

namespace ui {
class DatasetModel;
class IncrementalSearch;
} // namespace ui

namespace Ui {
class OperationsWindow;
}

class OperationEditor;
class NormsWindow;

// The requisition line the entry dialog shows; the operations list then offers only the
// operations on the line's product.
struct RequisitionLineSource {
    virtual ~RequisitionLineSource() = default;
    // True while the dialog shows a requisition or a requisition line.
    virtual bool showsRequisition() const = 0;
    // The product code (s_gds_mc) of the dialog's current requisition line, as text.
    virtual QString lineProductCode() const = 0;
};

// Takes the operation chosen in the list's selection mode (the entry dialog), in this order.
struct OperationReceiver {
    virtual ~OperationReceiver() = default;
    // The product, the operation, the product kind (0 finished products, else blanks) and
    // the operation's smallest norm price.
    virtual void setOperation(int productId, int operationId, int kind, float price) = 0;
    // "mark; operation type; product kind" for the dialog's operation box.
    virtual void setOperationText(const QString& text) = 0;
};

// The operations with their smallest price and count of norms, over the shared list Oper:
// a directory (add and change through the price editor OperationEditor, delete, the norms of an
// operation in NormsWindow) or, in selection mode, the entry dialog's picker. Both modes search
// by the beginning of the mark and export every operation to a spreadsheet.
class OperationsWindow : public QDialog {
    Q_OBJECT
public:
    explicit OperationsWindow(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~OperationsWindow() override;

    // The windows this one opens; start-up creates them after it.
    void useEditors(OperationEditor& priceEditor, NormsWindow& norms);

    // The main menu's "Цены": opens Oper and shows the list modally; closes Oper afterwards.
    void openDirectory();
    // The entry dialog's pick of an operation. The caller has filtered, opened and positioned
    // Oper; a choice goes to receiver; the search narrows to the product of line's requisition
    // line while it shows one. Afterwards Oper stays open with its filter switched off.
    void openForSelection(const RequisitionLineSource& line, OperationReceiver& receiver);

    int tag() const { return Tag; } // 0 directory mode, 1 selection mode

    // "i_id=<id>": the operations on a requisition line's product. The code is text from the
    // requisition; one that is no whole number has no operations, and never enters the filter.
    static QString productFilter(const QString& lineProductCode);

    // The export's own query: every operation, with or without norms, and its own price.
    data::Dataset XLS_Rep;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Whenever the window becomes active: shown, or back from the price editor or the norms.
    void activated();
    QString searchFilter(const QString& typed) const;

    void on_Button1_clicked();
    void on_Button2_clicked();
    void on_Button3_clicked();
    void on_Button5_clicked();
    void on_DBGrid1_doubleClicked();
    void changeOperation();
    void chooseOperation();

    Ui::OperationsWindow* ui;
    data::DataModule6& dataModule_;
    int Tag = 0;
    OperationEditor* operationEditor_ = nullptr;
    NormsWindow* norms_ = nullptr;
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
    // while the entry dialog's pick is open
    const RequisitionLineSource* line_ = nullptr;
    OperationReceiver* receiver_ = nullptr;
};
