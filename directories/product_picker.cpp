#include "product_picker.h"
#include "ui_product_picker.h"

#include "directories/grid_double_click.h"

#include "data/data_module.h"
#include "data/dataset.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/incremental_search.h"

#include <QScopeGuard>
#include <QShowEvent>

#include <utility>

ProductPicker::ProductPicker(data::DataModule6& dataModule, QWidget* parent)
    : QDialog(parent), ui(new Ui::ProductPicker), dataModule_(dataModule) {
    ui->setupUi(this);
    setFixedSize(size());

    model_ = new ui::DatasetModel(
        &dataModule_.Izdel,
        {{.field = "marka", .title = "Марка изделия", .stretch = true},
         {.field = "massa", .title = "Коробки", .alignment = Qt::AlignLeft, .width = 100}},
        this);
    ui::bindDataGrid(ui->DBGrid1, model_);
    search_ = new ui::IncrementalSearch(ui->Edit1, &dataModule_.Izdel,
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("marka")),
                                        ui::IncrementalSearch::Keys::TakeUpDownOnly);

    connect(ui->Button4, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->DBGrid1, [this] { on_DBGrid1_doubleClicked(); });
}

ProductPicker::~ProductPicker() {
    ui->DBGrid1->setModel(nullptr);
    delete ui;
}

std::optional<ProductChoice> ProductPicker::pick() {
    Tag = 1;
    choice_.reset();
    dataModule_.Izdel.open();
    ui->Edit1->show();
    ui->Edit1->clear();
    const auto afterwards = qScopeGuard([this] {
        ui->Edit1->hide();
        dataModule_.Izdel.close();
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void ProductPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->Edit1->setFocus();
}

void ProductPicker::on_DBGrid1_doubleClicked() {
    const data::Dataset& products = dataModule_.Izdel;
    choice_ = ProductChoice{products.asString(QStringLiteral("marka")).trimmed(),
                            products.asInt(QStringLiteral("id"))};
    accept();
}
