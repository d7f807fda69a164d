#pragma once

#include "data/dataset.h"

#include <QDialog>

namespace data {
class Connection;
}

namespace ui {
class DatasetModel;
}

namespace Ui {
class MaterialDialog;
}

// "Материал": one material consumed by a stored position, with its consignment and quantity.
// It proposes the quantity from the product's norm per piece and refuses more than the
// consignment holds.
class MaterialDialog : public QDialog {
    Q_OBJECT
public:
    explicit MaterialDialog(data::Connection& connection, QWidget* parent = nullptr);
    ~MaterialDialog() override;

    // Shows the dialog modally for the position positionId on the product productId, whose
    // quantity box reads positionQuantity; a row is stored by "Запись". Afterwards, whatever
    // happened, no material is shown and the quantity reads "0".
    void openForPosition(int positionId, int productId, const QString& positionQuantity);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void done(int result) override;

private:
    void materialChosen();
    void standOnAConsignmentWithStock();
    void saveConsumption();

    Ui::MaterialDialog* ui;
    data::Connection& connection_;
    // the materials offered, the consignments of the chosen one, the products' norms
    data::Dataset materials_;
    data::Dataset consignments_;
    data::Dataset productAttributes_;
    ui::DatasetModel* consignmentModel_ = nullptr;
    int positionId_ = 0;
    int productId_ = 0;
    QString positionQuantity_;
    float rate_ = 0; // material per piece of product, for the proposal
};
