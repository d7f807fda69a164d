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
class ProductPicker;
}

// The product chosen in the picker: the trimmed mark and the id; an empty mark and 0 when
// the list had no row.
struct ProductChoice {
    QString mark;
    int id = 0;
};

// The products picker over the catalog's list of products: narrowed by the beginning of the
// mark, chosen by a double-click; Escape or "Выход" closes it without a choice.
class ProductPicker : public QDialog {
    Q_OBJECT
public:
    explicit ProductPicker(directories::Catalog& catalog, QWidget* parent = nullptr);
    ~ProductPicker() override;

    // Shows the products modally with an empty search box; nothing when it was closed
    // without a choice.
    std::optional<ProductChoice> pick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose();

    Ui::ProductPicker* ui;
    directories::Catalog& catalog_;
    std::optional<ProductChoice> choice_; // while the picker is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
