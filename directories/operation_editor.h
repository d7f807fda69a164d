#pragma once

#include "directories/catalog.h"
#include "directories/operation_types_window.h"
#include "directories/product_picker.h"

#include <QDialog>

namespace Ui {
class OperationEditor;
}

// The operation being changed, as the operations list shows it.
struct OperationToChange {
    int id = 0;
    QString mark;
    QString typeName;
    directories::OperationValues values;
};

// The price editor: adds an operation (a type of work on a product for a product kind) with
// its first price, or changes the product, type and kind of one. The product and the type
// come from their pickers. The operations window reads its list anew after a save.
class OperationEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Change };

    explicit OperationEditor(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~OperationEditor() override;

    // The two pickers the "..." buttons open; start-up creates them before this window.
    void usePickers(ProductPicker& products, OperationTypesWindow& operationTypes);

    // Shows the editor modally with empty boxes for a new operation and its price; true when
    // it was saved.
    bool openNew();
    // Shows the editor modally for an operation: its mark, type and kind (0 finished
    // products, otherwise blanks); the price is not changed here. True when it was saved.
    bool openChange(const OperationToChange& operation);

    Mode mode() const { return mode_; }
    int productId() const { return productId_; }
    int operationTypeId() const { return operationTypeId_; }

    // What the pickers hand over, shown in the boxes.
    void showProduct(const ProductChoice& product);
    void showOperationType(const OperationTypeChoice& type);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void save();
    bool saveNew(const directories::OperationValues& values);
    bool saveChange(const directories::OperationValues& values);
    void pickProduct();
    void pickOperationType();

    Ui::OperationEditor* ui;
    directories::Catalog& catalog_;
    Mode mode_ = Mode::Add;
    int operationId_ = 0;     // the operation being changed
    int productId_ = 0;       // the chosen product; the pickers and the change opener set it
    int operationTypeId_ = 0; // the chosen operation type
    ProductPicker* products_ = nullptr;
    OperationTypesWindow* operationTypes_ = nullptr;
};
