#include "statement_files.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <mutex>
#include <stdexcept>

namespace data {

namespace {

const QString kRoot = QStringLiteral(":/statements/");
const QString kSuffix = QStringLiteral(".sql");

} // namespace

const QString& statementText(const QString& name) {
    static QHash<QString, QString> texts;
    static std::mutex guard;
    const std::lock_guard lock(guard);
    if (const auto found = texts.constFind(name); found != texts.constEnd())
        return *found;
    QFile file(kRoot + name + kSuffix);
    if (!file.open(QIODevice::ReadOnly))
        throw std::logic_error("no statement " + name.toStdString());
    // the trailing line break of the file is no part of the statement
    return *texts.insert(name, QString::fromUtf8(file.readAll()).trimmed());
}

QStringList statementNames() {
    QStringList names;
    QDirIterator files(kRoot, {QStringLiteral("*.sql")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        names << path.mid(kRoot.size(), path.size() - kRoot.size() - kSuffix.size());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace data
