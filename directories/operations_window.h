#pragma once

#include "data/dataset.h"

#include <QDialog>
#include <QString>

#include <optional>

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

// What the entry dialog asks the operations list for. While it shows a requisition, only the
// operations on its line's product are offered; without one the list starts empty and the
// search finds operations by mark.
struct OperationRequest {
    bool forRequisition = false;
    // The product code (s_gds_mc) of the dialog's requisition line, as text.
    QString lineProductCode;
    // The operation the list starts on; 0 for its first row.
    int currentOperationId = 0;
};

// The operation chosen: its product, id, product kind (0 finished products, else blanks),
// smallest norm price, and "mark; operation type; product kind" for the dialog's box.
struct OperationChoice {
    int productId = 0;
    int operationId = 0;
    int productKind = 0;
    float price = 0;
    QString text;
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
    // The entry dialog's pick of an operation: nothing when the list was closed without a
    // choice. Afterwards Oper stays open with its filter switched off.
    std::optional<OperationChoice> pick(const OperationRequest& request);

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
    OperationRequest request_;
    std::optional<OperationChoice> choice_;
};
