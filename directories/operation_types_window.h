#pragma once

#include <QDialog>
#include <QString>

#include <optional>

namespace directories {
class Catalog;
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

// The list of operation types over the catalog's list of them: a directory (add, change,
// delete through the editor OperationTypeEditor) or, in selection mode, a picker with a search box.
class OperationTypesWindow : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Directory, Selection };

    explicit OperationTypesWindow(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~OperationTypesWindow() override;

    // The editor that add and change open; start-up creates it after this window.
    void useEditor(OperationTypeEditor& editor) { typeEditor_ = &editor; }

    // The main menu's "Операции": shows the whole list modally to add, change and delete.
    void openDirectory();
    // The operation editor's pick: shows the list with its search box modally; nothing when
    // it was closed without a choice.
    std::optional<OperationTypeChoice> pick();

    Mode mode() const { return mode_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addType();
    // "Изменить" in the directory, "Выбрать" in selection mode
    void editOrChoose();
    void deleteType();
    // After the editor saved: the list read anew.
    void reread();

    Ui::OperationTypesWindow* ui;
    directories::Catalog& catalog_;
    Mode mode_ = Mode::Directory;
    OperationTypeEditor* typeEditor_ = nullptr;
    std::optional<OperationTypeChoice> choice_; // while a selection is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
