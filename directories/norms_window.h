#pragma once

#include "data/dataset.h"

#include <QDialog>

namespace data {
class DataModule6;
}

namespace ui {
class DatasetModel;
}

namespace Ui {
class NormsWindow;
}

// The norms of one operation (norm, price, bonus) in an editable grid over the window's own
// updatable list norm. "Сохранить" (also Enter and Escape) writes what is pending and re-reads
// the operations list, whose smallest price and count of norms come from here; the title-bar
// close drops what is pending.
class NormsWindow : public QDialog {
    Q_OBJECT
public:
    explicit NormsWindow(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~NormsWindow() override;

    // Shows the norms of the operation modally (the current row of Oper in the operations list).
    void openNorms(int operationId);

    // accounts_dep.norm in norma order, narrowed to one operation by a client-side filter.
    data::Dataset norm;

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    // The title-bar close: pending changes are dropped.
    void reject() override;

private:
    void on_Button1_clicked();
    void on_Button2_clicked();
    // Writes a pending row (a new one as the operation's) and re-reads the norms.
    void refreshNorms();

    Ui::NormsWindow* ui;
    data::DataModule6& dataModule_;
    ui::DatasetModel* model_ = nullptr;
    int operationId_ = 0; // every row written here belongs to it
};
