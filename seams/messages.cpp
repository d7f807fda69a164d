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

void QtMessages::errorWithDetail(const QString& text, const QString& detail,
                                 const QString& caption) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setDetailedText(detail);
    box.exec();
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
