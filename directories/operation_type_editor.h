#pragma once

#include <QDialog>

namespace data {
class DataModule6;
class Dataset;
} // namespace data

namespace Ui {
class OperationTypeEditor;
}

// The operation type editor: enters a new type (Tag 1) or renames the current row of the
// shared list Vid_oper (Tag 2).
class OperationTypeEditor : public QDialog {
    Q_OBJECT
public:
    explicit OperationTypeEditor(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~OperationTypeEditor() override;

    // Shows the editor modally with an empty name for a new type.
    void openNew();
    // Shows the editor modally with the current type's name to rename it.
    void openChange(const QString& name);

    int tag() const { return Tag; } // 1 a new type, 2 a change of the current one

protected:
    void showEvent(QShowEvent* event) override;

private:
    void on_Button1_clicked();

    Ui::OperationTypeEditor* ui;
    data::DataModule6& dataModule_;
    int Tag = 1;
};
