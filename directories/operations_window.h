#pragma once

#include "data/dataset.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace directories {
class Catalog;
}

namespace ui {
class DatasetModel;
class IncrementalSearch;
} // namespace ui

namespace Ui {
class OperationsWindow;
}

class OperationEditor;
class NormsWindow;

namespace spreadsheet {
class Workbook;
}

// What the entry dialog asks the operations list for. While it shows a requisition, only the
// operations on its line's product are offered; without one the list starts empty and the
// search finds operations by mark.
struct OperationRequest {
    bool forRequisition = false;
    // The product code (s_gds_mc) of the dialog's requisition line, as text.
    QString lineProductCode;
    // The operation the list starts on; 0 for its first row.
    int currentOperationId = 0;
    // What was typed into the entry dialog's operation box: the search starts with it.
    QString typed{};
};

// The operation chosen: its product, id, product kind (0 finished products, else blanks),
// smallest norm price, and "mark; operation type; product kind" for the dialog's box.
struct OperationChoice {
    int productId = 0;
    int operationId = 0;
    int productKind = 0;
    float price = 0;
    QString text;
};

// The operations with their smallest price and count of norms, over the catalog's list:
// a directory (add and change through the price editor OperationEditor, delete, the norms of an
// operation in NormsWindow) or, in selection mode, the entry dialog's picker. Both modes search
// by the beginning of the mark and export every operation to a spreadsheet.
class OperationsWindow : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Directory, Selection };

    explicit OperationsWindow(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~OperationsWindow() override;

    // The windows this one opens; start-up creates them after it.
    void useEditors(OperationEditor& priceEditor, NormsWindow& norms);

    // "История" of the directory's current operation: the window that shows it (the history is
    // a layer above), and whether the login may read it; no button without both.
    struct HistoryHook {
        std::function<void(int operationId)> open;
        std::function<bool()> allowed;
    };
    void useHistory(HistoryHook hook) { history_ = std::move(hook); }

    // The main menu's "Цены": opens the list and shows it modally; closes it afterwards.
    void openDirectory();
    // The entry dialog's pick of an operation: nothing when the list was closed without a
    // choice. Afterwards the list stays open with its filter switched off.
    std::optional<OperationChoice> pick(const OperationRequest& request);

    Mode mode() const { return mode_; }

    void setVisible(bool visible) override;

    // "i_id=<id>": the operations on a requisition line's product. The code is text from the
    // requisition; one that is no whole number has no operations, and never enters the filter.
    static QString productFilter(const QString& lineProductCode);

    // The export's own query: every operation, with or without norms, and its own price.
    const data::Dataset& exportQuery() const { return exportQuery_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Whenever the window becomes active: shown, or back from the price editor or the norms.
    void activated();
    QString searchFilter(const QString& typed) const;

    void addOperation();
    // "Изменить" in the directory, "Выбрать" in selection mode
    void editOrChoose();
    void deleteOperation();
    void exportOperations();
    void writeExportRows(spreadsheet::Workbook& book);
    // A double-click opens the norms when "Цены" is ticked in the directory.
    void operationDoubleClicked();
    void changeOperation();
    void chooseOperation();
    void openNorms();
    void openHistory();
    // After an editor saved: the list read anew, on the same row number when asked.
    void reread(bool keepRow);

    data::Dataset exportQuery_;
    Ui::OperationsWindow* ui;
    directories::Catalog& catalog_;
    Mode mode_ = Mode::Directory;
    OperationEditor* operationEditor_ = nullptr;
    NormsWindow* norms_ = nullptr;
    HistoryHook history_;
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
    // while the entry dialog's pick is open
    OperationRequest request_;
    std::optional<OperationChoice> choice_;
};
