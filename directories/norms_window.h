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
class NormsWindow;
}

// The norms of one operation (norm, price, bonus) in an editable grid over the window's own
// updatable list of norms. "Сохранить" (also Enter and Escape) writes what is pending; the
// title-bar close drops what is pending.
class NormsWindow : public QDialog {
    Q_OBJECT
public:
    explicit NormsWindow(data::Connection& connection, QWidget* parent = nullptr);
    ~NormsWindow() override;

    // Shows the norms of the operation modally. True when they were saved: the operations
    // list, whose smallest price and count of norms come from here, is then read anew.
    bool openNorms(int operationId);

    // accounts_dep.norm in norma order, narrowed to one operation by a client-side filter.
    const data::Dataset& norms() const { return norms_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    // The title-bar close: pending changes are dropped.
    void reject() override;

private:
    void saveNorm();
    void deleteNorm();
    // Writes a pending row (a new one as the operation's) and re-reads the norms.
    void refreshNorms();

    data::Dataset norms_;
    Ui::NormsWindow* ui;
    ui::DatasetModel* model_ = nullptr;
    int operationId_ = 0; // every row written here belongs to it
};
