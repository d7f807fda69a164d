#include "operation_type_editor.h"
#include "ui_operation_type_editor.h"

#include "directories/catalog.h"

#include "data/dataset.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/guard.h"
#include "ui/window_geometry.h"

#include <QScopeGuard>
#include <QShowEvent>

namespace {

const QString kDuplicateType = QStringLiteral("Такая операция уже заведена!");

} // namespace

OperationTypeEditor::OperationTypeEditor(directories::Catalog& catalog, QWidget* parent)
    : QDialog(parent), ui(new Ui::OperationTypeEditor), catalog_(catalog) {
    ui->setupUi(this);
    // a form that only needs its designed size, never less than its layout
    setFixedSize(size().expandedTo(minimumSizeHint()));
    ui::rememberGeometry(this, QStringLiteral("OperationTypeEditor"));
    connect(ui->saveButton, &QPushButton::clicked, this, ui::guarded([this] { save(); }));
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

OperationTypeEditor::~OperationTypeEditor() {
    delete ui;
}

bool OperationTypeEditor::openNew(data::Dataset& types) {
    ui->typeNameEdit->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    mode_ = Mode::Add;
    types_ = &types;
    const auto afterwards = qScopeGuard([this] { types_ = nullptr; });
    return seams::execModal(this) == QDialog::Accepted;
}

bool OperationTypeEditor::openChange(data::Dataset& types) {
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    mode_ = Mode::Change;
    types_ = &types;
    const auto afterwards = qScopeGuard([this] { types_ = nullptr; });
    ui->typeNameEdit->setText(types.asString(QStringLiteral("vid")).trimmed());
    return seams::execModal(this) == QDialog::Accepted;
}

void OperationTypeEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->typeNameEdit->setFocus();
}

// The name is bound; a renamed type's own name in another case is no duplicate.
bool OperationTypeEditor::refusedAsDuplicate(const QString& name) {
    data::Parameters bound;
    bound.set(QStringLiteral("name"), name);
    if (mode_ == Mode::Add)
        return catalog_.refuseDuplicate(QStringLiteral("count_operation_types_named"),
                                        kDuplicateType, bound);
    bound.set(QStringLiteral("id"), types_->asInt(QStringLiteral("id")));
    return catalog_.refuseDuplicate(QStringLiteral("count_other_operation_types_named"),
                                    kDuplicateType, bound);
}

void OperationTypeEditor::save() {
    const QString name = ui->typeNameEdit->text().trimmed();
    if (name.isEmpty()) {
        seams::Messages::current().error(seams::kAllFieldsRequired, seams::kErrorCaption);
        return;
    }
    if (!types_ || refusedAsDuplicate(name))
        return;
    data::Dataset& types = *types_;
    if (mode_ == Mode::Add)
        types.append();
    else
        types.edit();
    types.setValue(QStringLiteral("vid"), name);
    const bool posted = ui::writeRefusingDuplicate(
        [&types] {
            try {
                types.post();
            } catch (...) {
                types.cancel(); // a refused row must not be written by some later post
                throw;
            }
        },
        kDuplicateType);
    if (!posted)
        return;
    ui::logChange(eventlog::Kind::Save, ui->saveButton,
                  QStringLiteral("вид операции «%1»").arg(name));
    accept();
}
