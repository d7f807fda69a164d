#pragma once

#include <QDialog>

namespace data {
class Dataset;
}

namespace directories {
class Catalog;
}

namespace Ui {
class OperationTypeEditor;
}

// The operation type editor: enters a new type or renames one, as a row of the operation
// types list that the list's window hands over for the write.
class OperationTypeEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Change };

    explicit OperationTypeEditor(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~OperationTypeEditor() override;

    // Shows the editor modally with an empty name; a saved name goes into types as a new
    // row. True when it was saved: the list's window reads its list anew.
    bool openNew(data::Dataset& types);
    // Shows the editor modally with the name of the current row of types to rename it.
    bool openChange(data::Dataset& types);

    Mode mode() const { return mode_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void save();
    bool refusedAsDuplicate(const QString& name);

    Ui::OperationTypeEditor* ui;
    directories::Catalog& catalog_;
    Mode mode_ = Mode::Add;
    data::Dataset* types_ = nullptr; // while the editor is open
};
