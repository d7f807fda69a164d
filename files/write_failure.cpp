#include "write_failure.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace files {

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

WriteFailure writeFailure(int error, const QString& path) {
    const QString file = shown(path);
    const QString folder = shown(QFileInfo(path).absolutePath());
    // strerror speaks the C locale's English; it is the detail, for the administrator
    const QString detail = QString::fromLocal8Bit(std::strerror(error));
    QString sentence;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        sentence = QStringLiteral("На диске не хватает места, файл «%1» не записан. Освободите "
                                  "место или выберите другую папку.")
                       .arg(file);
        break;
    case EFBIG:
        sentence = QStringLiteral("Файл «%1» больше, чем разрешено записывать, и не записан. "
                                  "Выберите другую папку или обратитесь к администратору.")
                       .arg(file);
        break;
    case EROFS:
        sentence = QStringLiteral("Папка «%1» только для чтения, файл «%2» не записан. "
                                  "Выберите другую папку.")
                       .arg(folder, file);
        break;
    case EACCES:
    case EPERM:
        sentence = QStringLiteral("Нет прав на запись файла «%1». Выберите другую папку или "
                                  "обратитесь к администратору.")
                       .arg(file);
        break;
    case ENOENT:
    case ENOTDIR:
        // A folder that exists but takes no new files (/proc) is no missing folder.
        sentence = QFileInfo(folder).isDir()
                       ? QStringLiteral("В папке «%1» нельзя создать файл, «%2» не записан. "
                                        "Выберите другую папку.")
                             .arg(folder, file)
                       : QStringLiteral("Папки «%1» нет, файл «%2» не записан. Выберите "
                                        "существующую папку.")
                             .arg(folder, file);
        break;
    case EISDIR:
        sentence = QStringLiteral("«%1» — это папка, а не файл. Укажите имя файла.").arg(file);
        break;
    default:
        return {notWritten(path, detail).sentence, detail, error};
    }
    return {sentence, detail, error};
}

WriteFailure notWritten(const QString& path, const QString& detail) {
    return {QStringLiteral("Файл «%1» не записан. Проверьте папку и диск и повторите.")
                .arg(shown(path)),
            detail, 0};
}

} // namespace files
