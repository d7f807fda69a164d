// A file appears whole or not at all: what a failed write leaves, the modes and kinds of
// files it writes to, and the sentences a person reads.
#include "files/atomic_file.h"
#include "files/export_folder.h"
#include "tests/support/full_disk.h"

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <memory>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Writes content through the file's device, as the PDF writer does.
bool writeWhole(const QString& path, const QByteArray& content, files::WriteFailure* failure) {
    files::AtomicFile file(path);
    if (!file.open()) {
        *failure = file.failure();
        return false;
    }
    file.device().write(content);
    const bool done = file.commit();
    *failure = file.failure();
    return done;
}

} // namespace

class AtomicFileTest : public QObject {
    Q_OBJECT
private slots:
    // Every case in a folder of its own.
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // What a person reads for each common system error.
    void sentences_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("no space") << ENOSPC << "/srv/отчёт.pdf"
                                  << "На диске не хватает места, файл «/srv/отчёт.pdf» не записан. "
                                     "Освободите место или выберите другую папку.";
        QTest::newRow("read-only") << EROFS << "/media/cd/отчёт.pdf"
                                   << "Папка «/media/cd» только для чтения, файл "
                                      "«/media/cd/отчёт.pdf» не записан. Выберите другую папку.";
        QTest::newRow("no permission") << EACCES << "/root/отчёт.pdf"
                                       << "Нет прав на запись файла «/root/отчёт.pdf». Выберите "
                                          "другую папку или обратитесь к администратору.";
        QTest::newRow("not permitted") << EPERM << "/root/отчёт.pdf"
                                       << "Нет прав на запись файла «/root/отчёт.pdf». Выберите "
                                          "другую папку или обратитесь к администратору.";
        QTest::newRow("no such folder") << ENOENT << "/nonexistent/отчёт.pdf"
                                        << "Папки «/nonexistent» нет, файл "
                                           "«/nonexistent/отчёт.pdf» не записан. Выберите "
                                           "существующую папку.";
        QTest::newRow("a folder that takes no files")
            << ENOENT << "/proc/отчёт.pdf"
            << "В папке «/proc» нельзя создать файл, «/proc/отчёт.pdf» не записан. Выберите "
               "другую папку.";
        QTest::newRow("a folder") << EISDIR << "/tmp"
                                  << "«/tmp» — это папка, а не файл. Укажите имя файла.";
        QTest::newRow("anything else") << EIO << "/srv/отчёт.pdf"
                                       << "Файл «/srv/отчёт.pdf» не записан. Проверьте папку и "
                                          "диск и повторите.";
    }
    void sentences() {
        QFETCH(int, error);
        QFETCH(QString, path);
        QFETCH(QString, sentence);
        const files::WriteFailure failure = files::writeFailure(error, path);
        QCOMPARE(failure.sentence, sentence);
        QVERIFY(!failure.detail.isEmpty()); // the system's own words
        QCOMPARE(failure.error, error);
    }

    // A write that fails half-way leaves the old file and nothing else.
    void aFullDiskKeepsTheOldFile() {
        FullDisk disk(dir_->filePath("disk"));
        const QString path = disk.filePath("отчёт.pdf");
        writeFile(path, "old");
        files::WriteFailure failure;
        {
            const auto full = disk.whileFull();
            QVERIFY(!writeWhole(path, QByteArray(256 * 1024, 'x'), &failure));
        }
        QCOMPARE(failure.error, disk.isTmpfs() ? ENOSPC : EFBIG);
        QVERIFY2(failure.sentence.contains("«" + path + "»") &&
                     failure.sentence.contains("не записан"),
                 qPrintable(failure.sentence));
        QCOMPARE(readAll(path), QByteArray("old"));
        QCOMPARE(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"отчёт.pdf"});
    }

    // A library that writes by name and then says it failed: the same.
    void aProducerFailureKeepsTheOldFile() {
        const QString path = dir_->filePath("book.xlsx");
        writeFile(path, "old");
        {
            files::AtomicFile file(path);
            QVERIFY(file.open());
            writeFile(file.temporaryPath(), "half");
            file.fail(ENOSPC);
            QVERIFY(!file.commit());
            QCOMPARE(file.failure().error, ENOSPC);
        }
        QCOMPARE(readAll(path), QByteArray("old"));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"book.xlsx"});
    }

    // A file never committed goes with its object.
    void anAbandonedFileLeavesNothing() {
        const QString path = dir_->filePath("a.pdf");
        {
            files::AtomicFile file(path);
            QVERIFY(file.open());
            file.device().write("partial");
        }
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // New files follow the umask; a replaced file keeps its mode.
    void modes_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<unsigned>("umaskValue");
        QTest::addColumn<unsigned>("existingMode");
        QTest::addColumn<unsigned>("mode");
        QTest::newRow("new, umask 022") << false << 022u << 0u << 0644u;
        QTest::newRow("new, umask 027") << false << 027u << 0u << 0640u;
        QTest::newRow("new, umask 002") << false << 002u << 0u << 0664u;
        QTest::newRow("replaced 0604") << true << 022u << 0604u << 0604u;
        QTest::newRow("replaced 0600") << true << 002u << 0600u << 0600u;
    }
    void modes() {
        QFETCH(bool, existing);
        QFETCH(unsigned, umaskValue);
        QFETCH(unsigned, existingMode);
        QFETCH(unsigned, mode);
        const QString path = dir_->filePath("m.pdf");
        QFile::remove(path);
        if (existing) {
            writeFile(path, "old");
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), existingMode), 0);
        }
        const mode_t before = ::umask(umaskValue);
        files::WriteFailure failure;
        const bool written = writeWhole(path, "new", &failure);
        ::umask(before);
        QVERIFY2(written, qPrintable(failure.sentence));
        QCOMPARE(modeOf(path), mode);
        QCOMPARE(readAll(path), QByteArray("new"));
    }

    // A name that is a link writes to what it points at, and stays a link.
    void aLinkWritesToItsTarget() {
        QVERIFY(QDir().mkpath(dir_->filePath("reports")));
        const QString target = dir_->filePath("reports/month.pdf");
        const QString link = dir_->filePath("latest.pdf");
        writeFile(target, "old");
        QVERIFY(QFile::link("reports/month.pdf", link)); // relative, as ln -s makes it
        files::WriteFailure failure;
        QVERIFY2(writeWhole(link, "new", &failure), qPrintable(failure.sentence));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("new"));
        QCOMPARE(QDir(dir_->filePath("reports")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"month.pdf"});
        // a link to a file not yet there makes it
        QVERIFY(QFile::link(dir_->filePath("reports/new.pdf"), dir_->filePath("next.pdf")));
        QVERIFY2(writeWhole(dir_->filePath("next.pdf"), "made", &failure),
                 qPrintable(failure.sentence));
        QCOMPARE(readAll(dir_->filePath("reports/new.pdf")), QByteArray("made"));
    }

    // What is no regular file is written straight through, never replaced.
    void aDeviceOrAPipeIsWrittenThrough() {
        files::WriteFailure failure;
        QVERIFY2(writeWhole("/dev/null", "nothing", &failure), qPrintable(failure.sentence));
        QVERIFY(QFileInfo("/dev/null").isFile() == false);

        const QString fifo = dir_->filePath("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QByteArray received;
        std::thread reader([&] {
            QFile in(fifo);
            if (in.open(QIODevice::ReadOnly))
                received = in.readAll();
        });
        const bool written = writeWhole(fifo, QByteArray(100000, 'p'), &failure);
        reader.join();
        QVERIFY2(written, qPrintable(failure.sentence));
        QCOMPARE(received, QByteArray(100000, 'p'));
        QVERIFY(!QFileInfo(fifo).isFile());
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Names that can take no file say why, and leave nothing.
    void namesThatTakeNoFile_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("error");
        QTest::newRow("a folder") << QString("FOLDER") << EISDIR;
        QTest::newRow("a missing folder") << QString("FOLDER/нет/отчёт.pdf") << ENOENT;
        QTest::newRow("/proc") << QString("/proc/отчёт.pdf") << ENOENT;
    }
    void namesThatTakeNoFile() {
        QFETCH(QString, path);
        QFETCH(int, error);
        path.replace("FOLDER", dir_->path());
        files::WriteFailure failure;
        QVERIFY(!writeWhole(path, "x", &failure));
        QCOMPARE(failure.error, error);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Exports take a free name: "name (2).ext" when the name is taken.
    void freeNames() {
        writeFile(dir_->filePath("Табель 11.2026.xlsx"), "old");
        QCOMPARE(files::reserveFreeName(dir_->path(), "Табель 11.2026.xlsx"),
                 dir_->filePath("Табель 11.2026 (2).xlsx"));
        QCOMPARE(files::reserveFreeName(dir_->path(), "Табель 11.2026.xlsx"),
                 dir_->filePath("Табель 11.2026 (3).xlsx"));
        QCOMPARE(readAll(dir_->filePath("Табель 11.2026.xlsx")), QByteArray("old"));
    }

    // The documents folder is made when it is missing; the temporary folder is never used.
    void exportsGoToTheDocumentsFolder() {
        // a home without user-dirs.dirs: the desktop's default, ~/Documents
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(dir_->path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_->filePath(".config")));
        const QString folder = files::exportFolder();
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(folder, dir_->filePath("Documents"));
        QVERIFY(QFileInfo(folder).isDir());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
};

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "atomic_file_test.moc"
