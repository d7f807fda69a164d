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
class WorkerPicker;
}

// A worker of the list: the trimmed name, the register's code and the person.
struct ChosenWorker {
    QString name;
    int code = 0;
    qint64 personId = 0;
};

// "Выбрать" on an empty list still closes the list as a choice, with no worker in it.
struct WorkerChoice {
    std::optional<ChosenWorker> worker;
};

// The enterprise's employees with their staff position of today, over the catalog's list
// of employees, to pick one by name. It neither adds, changes nor deletes workers.
class WorkerPicker : public QDialog {
    Q_OBJECT
public:
    explicit WorkerPicker(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~WorkerPicker() override;

    // Opens the employees and shows the list modally, its search box holding typed (what was
    // typed into the entry dialog's worker box, else nothing); nothing when it was closed
    // without a choice. The list is closed again afterwards.
    std::optional<WorkerChoice> pick(const QString& typed = {});

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose();

    Ui::WorkerPicker* ui;
    directories::Catalog& catalog_;
    std::optional<WorkerChoice> choice_; // while the list is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
