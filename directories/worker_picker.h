#pragma once

#include <QDialog>
#include <QString>

namespace data {
class DataModule6;
}

namespace ui {
class DatasetModel;
class IncrementalSearch;
} // namespace ui

namespace Ui {
class WorkerPicker;
}

// Takes the worker chosen in the workers list (the entry dialog), value by value in this
// order: a worker code that is no whole number stops the choice after the name.
struct WorkerReceiver {
    virtual ~WorkerReceiver() = default;
    virtual void setWorkerName(const QString& name) = 0; // trimmed
    virtual void setWorkerCode(int code) = 0;
    virtual void setPersonId(qint64 personId) = 0;
};

// The enterprise's employees with their staff position of today, over the shared list
// Workers, to pick one by name. It neither adds, changes nor deletes workers.
class WorkerPicker : public QDialog {
    Q_OBJECT
public:
    explicit WorkerPicker(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~WorkerPicker() override;

    // Opens Workers and shows the list modally with an empty search box; a choice goes to
    // receiver. Returns chosen. Workers stays open: each opener closes it when it is done.
    int openForChoice(WorkerReceiver& receiver);

    int tag() const { return Tag; }
    // 1 once "Выбрать" or a double-click closed the window; 0 again at every activation.
    int chosen() const { return chosen_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void on_Button2_clicked();

    Ui::WorkerPicker* ui;
    data::DataModule6& dataModule_;
    int Tag = 0;
    int chosen_ = 0;
    WorkerReceiver* receiver_ = nullptr; // while the list is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
