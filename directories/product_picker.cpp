#include "product_picker.h"
#include "ui_product_picker.h"

#include "directories/catalog.h"
#include "directories/grid_double_click.h"

#include "data/dataset.h"
#include "seams/modal_runner.h"
#include "ui/dataset_model.h"
#include "ui/incremental_search.h"
#include "ui/window_geometry.h"

#include <QScopeGuard>
#include <QShowEvent>

#include <utility>

ProductPicker::ProductPicker(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), ui(new Ui::ProductPicker), catalog_(catalog) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("ProductPicker"));

    model_ = new ui::DatasetModel(
        &catalog_.products(),
        {{.field = "marka", .title = "Марка изделия", .stretch = true},
         {.field = "massa", .title = "Коробки", .alignment = Qt::AlignLeft, .width = 100}},
        this);
    ui::bindDataGrid(ui->productsView, model_);
    search_ = new ui::IncrementalSearch(ui->searchEdit, &catalog_.products(),
                                        ui::IncrementalSearch::prefixRule(QStringLiteral("marka")),
                                        ui::IncrementalSearch::Keys::TakeUpDownOnly);

    connect(ui->closeButton, &QPushButton::clicked, this, &QDialog::reject);
    directories::onGridDoubleClick(ui->productsView, [this] { choose(); });
}

ProductPicker::~ProductPicker() {
    ui->productsView->setModel(nullptr);
    delete ui;
}

std::optional<ProductChoice> ProductPicker::pick() {
    choice_.reset();
    data::Dataset& products = catalog_.products();
    products.open();
    ui->searchEdit->show();
    ui->searchEdit->clear();
    const auto afterwards = qScopeGuard([this, &products] {
        ui->searchEdit->hide();
        products.close();
    });
    seams::execModal(this);
    return std::exchange(choice_, std::nullopt);
}

void ProductPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->searchEdit->setFocus();
}

void ProductPicker::choose() {
    const data::Dataset& products = catalog_.products();
    choice_ = ProductChoice{products.asString(QStringLiteral("marka")).trimmed(),
                            products.asInt(QStringLiteral("id"))};
    accept();
}
