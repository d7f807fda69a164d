#include "position_editor.h"
#include "ui_position_editor.h"

#include "material_dialog.h"

#include "data/conversions.h"
#include "data/data_error.h"
#include "data/product_kind.h"
#include "directories/operations_window.h"
#include "directories/worker_picker.h"
#include "seams/clock.h"
#include "seams/messages.h"
#include "seams/modal_runner.h"
#include "ui/activity.h"
#include "ui/dataset_model.h"
#include "ui/date_box.h"
#include "ui/decimal_edit.h"
#include "ui/guard.h"
#include "ui/lookup_combo_box.h"
#include "ui/number_format.h"
#include "ui/value_rules.h"
#include "ui/window_geometry.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QShortcut>

#include <initializer_list>

namespace {

const QString kCannotSave = QStringLiteral("Невозможно сохранить данные в БД!");
const QString kAddCaption = QStringLiteral("Заведение новой позиции");
// over the header of an accepted position only: it tells why nothing there can be changed
const QString kAcceptedHeader = QStringLiteral("Закрыто мастером");
const QString kNoOperationPrice =
    QStringLiteral("У операции позиции нет цены: выберите операцию заново!");

QString priceText(double price) {
    return ui::decimalsText(price, 0, 4);
}

void showError(const QString& text) {
    seams::Messages::current().error(text, seams::kErrorCaption);
}

// A brigade statement the database refused: its own words when it gave them, else the
// server's under "Невозможно сохранить данные в БД!".
bool runShowingRefusal(const std::function<void()>& statement) {
    try {
        statement();
        return true;
    } catch (const data::DataError& e) {
        ui::logShown(ui::lastActivity(), e);
        if (!ui::showRefusal(e))
            seams::Messages::current().errorWithDetail(kCannotSave, e.message(),
                                                       seams::kErrorCaption);
        return false;
    }
}

bool isEnterKey(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// What a key typed into a box would write: printable text without Ctrl, Alt or Meta.
QString typedText(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return QString();
    for (QChar c : key.text())
        if (!c.isPrint())
            return QString();
    return key.text();
}

// The keys that open a list from its box without typing into its search.
bool opensList(const QKeyEvent& key) {
    return (key.key() == Qt::Key_Space && key.modifiers() == Qt::NoModifier) ||
           key.key() == Qt::Key_F4 ||
           (key.key() == Qt::Key_Down && (key.modifiers() & Qt::AltModifier));
}

} // namespace

PositionEditor::PositionEditor(data::Connection& connection, QWidget* parent)
    : QDialog(parent), ui(new Ui::PositionEditor), connection_(connection),
      requisitions_(connection), materials_(connection), brigade_(connection) {
    ui->setupUi(this);
    ui::rememberGeometry(this, QStringLiteral("PositionEditor"));
    ui->requisitionCombo->bind(&requisitions_.requisitions(), QStringLiteral("id"),
                               QStringLiteral("s_caption"));
    ui->requisitionLineCombo->bind(&requisitions_.lines(), QStringLiteral("id"),
                                   QStringLiteral("s_caption"));
    ui::turnFocusedLookupsByWheel(this);
    setUpGrids();

    ui::useDecimalKeys(ui->quantityEdit);
    ui::useWholeNumberKeys(ui->rejectsEdit);
    ui::useWholeNumberKeys(ui->hoursEdit);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->workerEdit, ui->operationEdit, ui->quantityEdit,
                                         ui->rejectsEdit, ui->hoursEdit, ui->workDateEdit})
        w->installEventFilter(this);
    // each box by its own label, not by the group's caption around them
    for (QLabel* label : ui->headerGroup->findChildren<QLabel*>())
        if (label->buddy())
            label->buddy()->setAccessibleName(QString(label->text()).remove(u'&'));
    connectHandlers();
}

PositionEditor::~PositionEditor() {
    ui->materialsView->setModel(nullptr);
    ui->brigadeView->setModel(nullptr);
    delete ui;
}

void PositionEditor::setUpGrids() {
    materialModel_ = new ui::DatasetModel(
        &materials_.rows(),
        {{.field = "s_caption", .title = "ТМЦ", .sample = "Лист х/к 0,8 мм 08пс"},
         {.field = "s_cons_use_hl", .title = "Партия", .stretch = true},
         {.field = "f_qty_use", .title = "Расход", .sample = "1000,25"}},
        this);
    ui::bindDataGrid(ui->materialsView, materialModel_);
    brigadeModel_ = new ui::DatasetModel(
        &brigade_.members(),
        {{.field = "s_caption", .title = "Фамилия Имя Отчество", .stretch = true}}, this);
    ui::bindDataGrid(ui->brigadeView, brigadeModel_);
}

void PositionEditor::connectHandlers() {
    connect(ui->requisitionCombo, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { requisitionChosen(); }));
    connect(ui->requisitionLineCombo, &ui::LookupComboBox::listClosed, this,
            ui::guarded([this] { requisitionLineChosen(); }));
    const auto handler = [this](QPushButton* button, void (PositionEditor::*slot)()) {
        connect(button, &QPushButton::clicked, this,
                ui::guarded([this, slot] { (this->*slot)(); }));
    };
    connect(ui->saveHeaderButton, &QPushButton::clicked, this,
            ui::guarded([this] { saveHeader(); }));
    handler(ui->saveNextButton, &PositionEditor::saveAndNext);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] {
            if (ui->saveNextButton->isEnabled())
                ui->saveNextButton->click();
        });
    connect(ui->pickWorkerButton, &QPushButton::clicked, this,
            ui::guarded([this] { pickWorker(); }));
    connect(ui->pickOperationButton, &QPushButton::clicked, this,
            ui::guarded([this] { pickOperation(); }));
    handler(ui->addMaterialButton, &PositionEditor::addMaterial);
    handler(ui->removeMaterialButton, &PositionEditor::removeMaterial);
    handler(ui->addMemberButton, &PositionEditor::addBrigadeMember);
    handler(ui->removeMemberButton, &PositionEditor::removeBrigadeMember);
    handler(ui->divideButton, &PositionEditor::divideAmongBrigade);
    connect(ui->closeButton, &QPushButton::clicked, this, [this] {
        materials_.close();
        reject();
    });
}

void PositionEditor::useWindows(WorkerPicker& workers, OperationsWindow& operations,
                                MaterialDialog& materials) {
    workerPicker_ = &workers;
    operations_ = &operations;
    materialDialog_ = &materials;
}

// The header is open to a new position until it is stored, and always to a change. The
// sections open once the position is stored; the brigade only to a new one, and a viewed
// position shows its brigade. A change leaves the brigade's list as it was.
void PositionEditor::updateWidgetState() {
    const bool stored = position_.id != 0;
    const bool storedNew = mode_ == Mode::Add && stored;
    const bool headerOpen = mode_ == Mode::Edit || (mode_ == Mode::Add && !stored);
    ui->headerGroup->setEnabled(headerOpen);
    ui->saveHeaderButton->setEnabled(headerOpen);
    ui->saveNextButton->setEnabled(mode_ != Mode::View);
    const bool materialsOpen = mode_ == Mode::Edit || storedNew;
    for (QWidget* w : std::initializer_list<QWidget*>{ui->materialsView, ui->addMaterialButton,
                                                      ui->removeMaterialButton})
        w->setEnabled(materialsOpen);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->addMemberButton, ui->removeMemberButton,
                                                      ui->divideButton})
        w->setEnabled(storedNew);
    if (mode_ != Mode::Edit)
        ui->brigadeView->setEnabled(mode_ == Mode::View || storedNew);
}

// --- openers

void PositionEditor::clearNumbers() {
    ui->quantityEdit->clear();
    ui->rejectsEdit->setText(QStringLiteral("0"));
    ui->hoursEdit->setText(QStringLiteral("0"));
}

void PositionEditor::clearHeader(const QDate& workDay) {
    ui->workDateEdit->setDate(workDay);
    ui->workerEdit->clear();
    ui->operationEdit->clear();
    position_.workerCode = 0;
    position_.operationId = 0;
    clearNumbers();
}

void PositionEditor::showPrice() {
    if (mode_ == Mode::View) {
        ui->priceEdit->setText(priceText(viewedPrice_));
        ui->priceFactorLabel->clear();
        return;
    }
    if (position_.operationId == 0) {
        ui->priceEdit->clear();
        ui->priceFactorLabel->clear();
        return;
    }
    if (!operationPriced_) {
        ui->priceEdit->clear();
        ui->priceFactorLabel->setText(QStringLiteral("у операции нет цены"));
        return;
    }
    ui->priceEdit->setText(
        priceText(journal::positionPrice(position_.operationPrice, day_.dayOff, day_.shift)));
    ui->priceFactorLabel->setText(journal::priceFactorText(day_.dayOff, day_.shift));
}

// As if tabbed there: a box's text is selected, so what is typed replaces it.
void PositionEditor::focusBox(QWidget* box) {
    box->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
}

void PositionEditor::focusAfterPick() {
    if (ui->workerEdit->text().isEmpty())
        focusBox(ui->workerEdit);
    else if (ui->operationEdit->text().isEmpty())
        focusBox(ui->operationEdit);
    else
        focusBox(ui->quantityEdit);
}

int PositionEditor::openNew(const journal::JournalDay& day) {
    day_ = day;
    clearHeader(day.date);
    requisitions_.prepareOffered();
    setWindowTitle(kAddCaption);
    ui->headerGroup->setTitle(QString());
    mode_ = Mode::Add;
    requisitions_.requisitions().open();
    requisitions_.showLinesOf(0);
    requisitions_.lines().open();
    materials_.open(0);
    ui->requisitionCombo->setKeyValue(0);
    ui->requisitionLineCombo->setKeyValue(0);
    position_.id = 0;
    position_.opened = {};
    listedOperationId_ = 0;
    lastStored_ = 0;
    updateWidgetState();
    showPrice();
    brigade_.close(); // no brigade of an earlier position shown
    ui->positionIdLabel->clear();
    impossibleDate_ = false;
    ui->requisitionCombo->setFocus();
    seams::execModal(this);
    return lastStored_;
}

void PositionEditor::showListed(const journal::ListedPosition& listed) {
    position_.id = listed.id;
    position_.opened = listed.version;
    impossibleDate_ = false;
    position_.workerCode = listed.workerCode;
    position_.productId = listed.productId;
    position_.operationId = listed.operationId;
    listedOperationId_ = listed.operationId;
    productKind_ = listed.productKind;
    viewedPrice_ = listed.price;
    ui->workDateEdit->setDate(listed.workDay);
    ui->workerEdit->setText(listed.workerName);
    ui->operationEdit->setText(listed.productMark + QStringLiteral("; ") + listed.operationType +
                               QStringLiteral("; ") + data::productKindText(productKind_));
    ui->quantityEdit->setText(ui::generalNumberText(listed.quantity));
    ui->rejectsEdit->setText(listed.rejects);
    ui->hoursEdit->setText(QString::number(listed.hours));
    // The stored price already carries the factors of its save; a save here starts again
    // from the operation's own price.
    const std::optional<float> own = journal::operationOwnPrice(connection_, position_.operationId);
    position_.operationPrice = own.value_or(0.0f);
    operationPriced_ = own.has_value();
}

void PositionEditor::showOfferedRequisitions(qint64 requisition, qint64 line) {
    // a position without a requisition reads 0: no line listed
    requisitions_.lines().setFilter(QStringLiteral("id_doc=") + QString::number(requisition));
    ui->requisitionCombo->setKeyValue(requisition);
    requisitions_.lines().setFiltered(true);
    requisitions_.lines().open();
    ui->requisitionLineCombo->setKeyValue(line);
    requisitions_.requisitions().open();
    ui->requisitionCombo->setKeyValue(ui->requisitionCombo->keyValue()); // stands on it
}

void PositionEditor::openChange(const journal::ListedPosition& listed,
                                const journal::JournalDay& day) {
    if (listed.accepted())
        return;
    day_ = day;
    requisitions_.prepareOffered();
    setWindowTitle(QStringLiteral("Изменение данных о позиции"));
    ui->headerGroup->setTitle(QString());
    mode_ = Mode::Edit;
    lastStored_ = 0;
    showListed(listed);
    showOfferedRequisitions(listed.requisitionId, listed.requisitionLineId);
    materials_.open(position_.id);
    updateWidgetState();
    showPrice();
    ui->positionIdLabel->setText(QString::number(position_.id));
    brigade_.close(); // the brigade is entered only with a new position
    ui->requisitionCombo->setFocus();
    seams::execModal(this);
}

void PositionEditor::showViewedRequisition(int positionId) {
    requisitions_.openViewed(positionId);
    const data::Dataset& requisition = requisitions_.requisitions();
    ui->requisitionCombo->setKeyValue(
        requisition.isEmpty() ? 0 : requisition.asInt64(QStringLiteral("id")));
    const data::Dataset& line = requisitions_.lines();
    ui->requisitionLineCombo->setKeyValue(line.isEmpty() ? 0 : line.asInt64(QStringLiteral("id")));
}

void PositionEditor::openView(const journal::ListedPosition& listed) {
    mode_ = Mode::View;
    updateWidgetState();
    setWindowTitle(QStringLiteral("Просмотр данных о позиции"));
    ui->headerGroup->setTitle(journal::statusShownAccepted(listed.status) ? kAcceptedHeader
                                                                          : QString());
    showListed(listed);
    showPrice();
    showViewedRequisition(position_.id);
    materials_.open(position_.id);
    ui->positionIdLabel->setText(QString::number(position_.id));
    // the viewed position's brigade, to read only
    brigade_.open(position_.id);
    ui->closeButton->setFocus();
    seams::execModal(this);
}

void PositionEditor::done(int result) {
    requisitions_.close();
    QDialog::done(result);
}

// --- the header

// Leaving the date box puts back the last whole date when the typed one is none (31.02):
// noted before the box does so, for the save to refuse it.
bool PositionEditor::dateBoxFinished(QObject* watched, QEvent* event) const {
    return watched == ui->workDateEdit && (event->type() == QEvent::FocusOut || isEnterKey(event));
}

// A click into the worker's or the operation's box opens its list.
bool PositionEditor::pickerBoxClicked(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress ||
        (watched != ui->workerEdit && watched != ui->operationEdit))
        return false;
    auto* box = static_cast<QWidget*>(watched);
    if (box->isEnabled() && ui->headerGroup->isEnabled())
        ui::runGuarded([this, watched] {
            if (watched == ui->workerEdit)
                pickWorker();
            else
                pickOperation();
        });
    return true;
}

// Typing into the worker's or the operation's box opens its list with the typed text as the
// search; Space, F4 and Alt+Down open it as it is. Tab, Enter and the rest keep their meaning.
bool PositionEditor::pickerBoxTyped(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        (watched != ui->workerEdit && watched != ui->operationEdit))
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    const bool open = opensList(key);
    const QString typed = open ? QString() : typedText(key);
    if (!open && typed.isEmpty())
        return false;
    if (ui->headerGroup->isEnabled())
        ui::runGuarded([this, watched, typed] {
            if (watched == ui->workerEdit)
                pickWorker(typed);
            else
                pickOperation(typed);
        });
    return true;
}

bool PositionEditor::eventFilter(QObject* watched, QEvent* event) {
    if (dateBoxFinished(watched, event) && !typedDateValid())
        impossibleDate_ = true;
    if (pickerBoxClicked(watched, event) || pickerBoxTyped(watched, event))
        return true;
    if (event->type() == QEvent::FocusOut &&
        (watched == ui->quantityEdit || watched == ui->rejectsEdit || watched == ui->hoursEdit))
        ui::runGuarded([this, watched] { numberBoxLeft(watched); });
    return QDialog::eventFilter(watched, event);
}

void PositionEditor::numberBoxLeft(QObject* box) {
    auto* edit = static_cast<QLineEdit*>(box);
    if (edit->text().isEmpty())
        edit->setText(QStringLiteral("0"));
    if (edit == ui->hoursEdit)
        data::toInt(edit->text()); // a pasted text that is no whole number says so here
}

void PositionEditor::forgetWorkerAndOperation() {
    ui->workerEdit->clear();
    ui->operationEdit->clear();
    position_.operationId = 0;
    personId_ = 0;
    position_.workerCode = 0;
    showPrice();
}

void PositionEditor::requisitionChosen() {
    const qint64 requisition =
        ui->requisitionCombo->showsText() ? ui->requisitionCombo->keyValue() : 0;
    requisitions_.showLinesOf(requisition);
    ui->requisitionLineCombo->setKeyValue(0);
    forgetWorkerAndOperation();
}

void PositionEditor::requisitionLineChosen() {
    forgetWorkerAndOperation();
}

bool PositionEditor::showsRequisition() const {
    return !ui->requisitionCombo->currentText().trimmed().isEmpty() ||
           !ui->requisitionLineCombo->currentText().isEmpty();
}

void PositionEditor::showWorker(const ChosenWorker& worker) {
    ui->workerEdit->setText(worker.name);
    position_.workerCode = worker.code;
    personId_ = worker.personId;
}

void PositionEditor::showOperation(const OperationChoice& operation) {
    position_.productId = operation.productId;
    position_.operationId = operation.operationId;
    productKind_ = operation.productKind;
    position_.operationPrice = operation.price;
    operationPriced_ = true;
    ui->operationEdit->setText(operation.text);
}

// Another worker keeps the operation: the same work, done by someone else.
void PositionEditor::pickWorker(const QString& typed) {
    if (!workerPicker_)
        return;
    const auto choice = workerPicker_->pick(typed);
    if (!choice)
        return;
    if (choice->worker)
        showWorker(*choice->worker);
    focusAfterPick();
}

void PositionEditor::pickOperation(const QString& typed) {
    if (!operations_)
        return;
    // the list starts on the operation chosen, else on the opened position's
    const OperationRequest request{showsRequisition(), requisitions_.lineProductCode(),
                                   position_.operationId != 0
                                       ? position_.operationId
                                       : (mode_ != Mode::Add ? listedOperationId_ : 0),
                                   typed};
    const auto operation = operations_->pick(request);
    if (operation)
        showOperation(*operation);
    showPrice();
    numberBoxLeft(ui->quantityEdit);
    if (operation)
        focusAfterPick();
}

// --- the save

bool PositionEditor::typedDateValid() const {
    return ui->workDateEdit->showsADay();
}

void PositionEditor::readHeader() {
    position_.quantity = ui->quantityEdit->text();
    position_.rejects = ui->rejectsEdit->text();
    position_.hours = ui->hoursEdit->text();
    position_.workDay = ui->workDateEdit->date();
    position_.requisitionId =
        ui->requisitionCombo->showsText() ? ui->requisitionCombo->keyValue() : 0;
    position_.requisitionLineId =
        ui->requisitionLineCombo->showsText() ? ui->requisitionLineCombo->keyValue() : 0;
}

bool PositionEditor::headerAcceptable(const journal::SaveConditions& conditions) {
    journal::PositionForm form{ui->workerEdit->text(),
                               ui->operationEdit->text(),
                               ui->requisitionCombo->showsText(),
                               ui->requisitionLineCombo->showsText(),
                               0,
                               conditions.today};
    if (form.lineShown)
        form.lineRequired = requisitions_.lineRequired();
    const journal::SaveRefusal refusal = journal::checkPosition(position_, form);
    if (refusal != journal::SaveRefusal::None) {
        showError(journal::refusalText(refusal));
        return false;
    }
    if (!operationPriced_) {
        showError(kNoOperationPrice);
        return false;
    }
    // a norm price stored before prices were kept below 10^6 may overflow with the factors
    if (!ui::positionPriceAllowed(journal::positionPrice(position_.operationPrice,
                                                         conditions.dayOff, conditions.shift))) {
        showError(ui::kPositionPriceOutOfRange);
        return false;
    }
    return true;
}

// The 24 hours of the worker's day are the database's to check, under the day's lock: its
// refusal rolls the save back and is shown with the same text.
void PositionEditor::storeHeader(const journal::SaveConditions& conditions) {
    const bool added = position_.id == 0;
    const journal::PositionVersion written = journal::PositionSaver::written(position_, conditions);
    position_.id = journal::PositionSaver(connection_).save(position_, conditions);
    ui::logChange(eventlog::Kind::Save, ui->saveHeaderButton,
                  (added ? QStringLiteral("новая ") : QString()) +
                      journal::positionLogText(position_, conditions));
    position_.opened = written;
    lastStored_ = position_.id;
    if (mode_ == Mode::Edit)
        listedOperationId_ = position_.operationId; // what the journal lists now
    if (added) {
        ui->positionIdLabel->setText(QString::number(position_.id));
        materials_.open(position_.id);
    }
    if (mode_ == Mode::Add)
        brigade_.open(position_.id);
    updateWidgetState();
    if (mode_ == Mode::Add)
        ui->addMaterialButton->setFocus(); // the materials come next
}

bool PositionEditor::saveHeader() {
    if (impossibleDate_ || !typedDateValid()) {
        impossibleDate_ = false;
        showError(ui::kWorkDateImpossible);
        return false;
    }
    readHeader();
    const journal::SaveConditions conditions{day_.dayOff, day_.shift, seams::Clock::today()};
    if (!headerAcceptable(conditions))
        return false;
    storeHeader(conditions);
    return true;
}

// A header still open is saved first; one already stored (a new position after "Запись")
// only makes way for the next.
void PositionEditor::saveAndNext() {
    if (mode_ == Mode::View)
        return;
    if (ui->saveHeaderButton->isEnabled() && !saveHeader())
        return;
    startNext();
}

// The next position of the same requisition, line, operation and day: the worker, the
// numbers, the materials and the brigade are the next one's.
void PositionEditor::startNext() {
    setWindowTitle(kAddCaption);
    ui->headerGroup->setTitle(QString());
    mode_ = Mode::Add;
    position_.id = 0;
    position_.opened = {};
    position_.workerCode = 0;
    personId_ = 0;
    ui->workerEdit->clear();
    clearNumbers();
    impossibleDate_ = false;
    materials_.open(0);
    brigade_.close();
    ui->positionIdLabel->clear();
    updateWidgetState();
    showPrice();
    focusBox(ui->workerEdit);
}

// --- materials

void PositionEditor::addMaterial() {
    if (!materialDialog_)
        return;
    const auto afterwards = qScopeGuard([this] {
        ui::runGuarded([this] {
            materials_.reread();
            brigade_.open(position_.id);
        });
    });
    materialDialog_->openForPosition(position_.id, position_.productId, ui->quantityEdit->text());
}

void PositionEditor::removeMaterial() {
    const QString removed = materials_.removeCurrent();
    if (!removed.isEmpty())
        ui::logChange(eventlog::Kind::Deletion, ui->removeMaterialButton,
                      QStringLiteral("расход ТМЦ позиции %1: %2").arg(position_.id).arg(removed));
}

// --- brigade

void PositionEditor::addBrigadeMember() {
    if (!workerPicker_)
        return;
    // the member goes to the brigade; the header keeps the position's own worker
    const auto choice = workerPicker_->pick();
    if (!choice || !choice->worker)
        return;
    brigade_.close();
    if (runShowingRefusal([&] { brigade_.add(position_.id, choice->worker->personId); }))
        ui::logChange(eventlog::Kind::Save, ui->addMemberButton,
                      QStringLiteral("бригада позиции %1: %2 (код %3)")
                          .arg(QString::number(position_.id), choice->worker->name,
                               QString::number(choice->worker->code)));
    brigade_.reopen();
}

// Removes only the selected member; a person added by mistake is one click away again, so
// it asks nothing, like the material list beside it.
void PositionEditor::removeBrigadeMember() {
    data::Dataset& members = brigade_.members();
    if (!members.isOpen() || members.isEmpty())
        return;
    const int recNo = members.recNo();
    const QString member = members.asString(QStringLiteral("s_caption")).trimmed();
    if (runShowingRefusal([this] { brigade_.removeCurrent(); }))
        ui::logChange(eventlog::Kind::Deletion, ui->removeMemberButton,
                      QStringLiteral("бригада позиции %1: %2").arg(position_.id).arg(member));
    brigade_.reread();
    if (!members.isEmpty() && recNo > 0)
        members.setRecNo(recNo);
}

void PositionEditor::divideAmongBrigade() {
    if (runShowingRefusal([this] { brigade_.divide(position_.id); }))
        ui::logChange(eventlog::Kind::Save, ui->divideButton,
                      QStringLiteral("позиция %1 разделена на бригаду").arg(position_.id));
    accept();
}
