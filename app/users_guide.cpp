#include "users_guide.h"

#include "seams/desktop.h"
#include "seams/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString kGuideCaption = QStringLiteral("Руководство пользователя");

// bin/ and share/ are siblings under the prefix, in the package as in the build tree
QString guideBesideProgram() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/norv-smena/guide/guide.ru.html"));
}

} // namespace

QString usersGuidePath() {
    const QString path = guideBesideProgram();
    return QFileInfo::exists(path) ? path : QString();
}

void openUsersGuide() {
    const QString path = usersGuidePath();
    if (path.isEmpty()) {
        seams::Messages::current().errorWithDetail(
            QStringLiteral("Руководство пользователя не найдено. Обратитесь к администратору."),
            QDir::toNativeSeparators(guideBesideProgram()), seams::kErrorCaption);
        return;
    }
    if (!seams::Desktop::current().openUrl(QUrl::fromLocalFile(path)))
        seams::Messages::current().information(
            QStringLiteral("Нет программы для просмотра руководства. Откройте файл:\n%1")
                .arg(QDir::toNativeSeparators(path)),
            kGuideCaption);
}
