#include "messages.h"

#include <QApplication>
#include <QMessageBox>

namespace seams {

namespace {

Messages* installed = nullptr;

QtMessages& realBoxes() {
    static QtMessages boxes;
    return boxes;
}

} // namespace

Messages& Messages::current() {
    return installed ? *installed : realBoxes();
}

void Messages::install(Messages* messages) {
    installed = messages;
}

void QtMessages::error(const QString& text, const QString& caption) {
    QMessageBox::critical(QApplication::activeWindow(), caption, text, QMessageBox::Ok);
}

std::unique_ptr<QMessageBox> QtMessages::errorBox(const QString& text, const QString& detail,
                                                  const QString& caption) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                                             QApplication::activeWindow());
    box->setDetailedText(detail);
    return box;
}

void QtMessages::errorWithDetail(const QString& text, const QString& detail,
                                 const QString& caption) {
    errorBox(text, detail, caption)->exec();
}

bool QtMessages::question(const QString& text, const QString& caption) {
    return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtMessages::information(const QString& text, const QString& caption) {
    QMessageBox::information(QApplication::activeWindow(), caption, text, QMessageBox::Ok);
}

} // namespace seams
