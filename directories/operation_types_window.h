#pragma once

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
class OperationTypesWindow;
}

class OperationTypeEditor;

// The operation type chosen in the list's selection mode: the trimmed name and the id; an
// empty name and 0 when the list had no row.
struct OperationTypeChoice {
    QString name;
    int id = 0;
};

// The list of operation types over the shared list Vid_oper: a directory (add, change,
// delete through the editor OperationTypeEditor) or, in selection mode, a picker with a search box.
class OperationTypesWindow : public QDialog {
    Q_OBJECT
public:
    explicit OperationTypesWindow(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~OperationTypesWindow() override;

    // The editor that add and change open; start-up creates it after this window.
    void useEditor(OperationTypeEditor& editor) { typeEditor_ = &editor; }

    // The main menu's "Операции": shows the whole list modally to add, change and delete.
    void openDirectory();
    // The operation editor's pick: shows the list with its search box modally; nothing when
    // it was closed without a choice.
    std::optional<OperationTypeChoice> pick();

    int tag() const { return Tag; } // 0 directory mode, 1 selection mode

protected:
    void showEvent(QShowEvent* event) override;

private:
    void on_Button1_clicked();
    void on_Button2_clicked();
    void on_Button3_clicked();

    Ui::OperationTypesWindow* ui;
    data::DataModule6& dataModule_;
    int Tag = 0;
    OperationTypeEditor* typeEditor_ = nullptr;
    std::optional<OperationTypeChoice> choice_; // while a selection is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
