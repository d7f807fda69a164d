#pragma once

#include "directories/operation_types_window.h"
#include "directories/product_picker.h"

#include <QDialog>

#include <functional>

namespace data {
class DataModule6;
}

namespace Ui {
class OperationEditor;
}

// The price editor: adds an operation (a type of work on a product for a product kind) with
// its first price (Tag 1), or changes the product, type and kind of the current row of the
// shared list Oper (Tag 2). The product and the type come from their pickers.
class OperationEditor : public QDialog {
    Q_OBJECT
public:
    explicit OperationEditor(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~OperationEditor() override;

    // The two pickers the "..." buttons open; start-up creates them before this window.
    void usePickers(ProductPicker& products, OperationTypesWindow& operationTypes);

    // Shows the editor modally with empty boxes for a new operation and its price.
    void openNew();
    // Shows the editor modally for the current operation of Oper: its mark, type and kind
    // (0 finished products, otherwise blanks); the price is not changed here.
    void openChange(const QString& mark, const QString& typeName, int kind, int productId,
                    int typeId);

    int tag() const { return Tag; } // 1 a new operation, 2 a change of the current one
    int productId() const { return izdel_id; }
    int operationTypeId() const { return vid_id; }

    // What the pickers hand over, shown in the boxes.
    void showProduct(const ProductChoice& product);
    void showOperationType(const OperationTypeChoice& type);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void on_Button1_clicked();
    void on_Button3_clicked();
    void on_Button4_clicked();

    Ui::OperationEditor* ui;
    data::DataModule6& dataModule_;
    int Tag = 1;
    int izdel_id = 0; // the chosen product; the pickers and the change opener set it
    int vid_id = 0;   // the chosen operation type
    ProductPicker* products_ = nullptr;
    OperationTypesWindow* operationTypes_ = nullptr;
};
