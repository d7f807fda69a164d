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
class ProductPicker;
}

// Takes the product chosen in the picker (the price editor).
struct ProductReceiver {
    virtual ~ProductReceiver() = default;
    // The trimmed mark and the product's id; an empty mark and 0 when the list had no row.
    virtual void setProduct(const QString& mark, int id) = 0;
};

// The products picker over the shared list Izdel: narrowed by the beginning of the mark,
// chosen by a double-click; Escape or "Выход" closes it without a choice.
class ProductPicker : public QDialog {
    Q_OBJECT
public:
    explicit ProductPicker(data::DataModule6& dataModule, QWidget* parent = nullptr);
    ~ProductPicker() override;

    // Shows the products modally with an empty search box; a choice goes to receiver.
    void openPicker(ProductReceiver& receiver);

    int tag() const { return Tag; } // 1 while it serves as the picker

protected:
    void showEvent(QShowEvent* event) override;

private:
    void on_DBGrid1_doubleClicked();

    Ui::ProductPicker* ui;
    data::DataModule6& dataModule_;
    int Tag = 0;
    ProductReceiver* receiver_ = nullptr; // while the picker is open
    ui::DatasetModel* model_ = nullptr;
    ui::IncrementalSearch* search_ = nullptr;
};
