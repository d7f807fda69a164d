#pragma once

#include "command.h"
#include "connection.h"
#include "dataset.h"

#include <QObject>

#include <memory>

namespace data {

// The data module: the one connection ADO_DB and the datasets and commands that
// several windows share. Created once at start-up, lives until the program ends.
class DataModule6 : public QObject {
    Q_OBJECT
public:
    // Connects nothing: the login opens ADO_DB with the name and password typed.
    explicit DataModule6(QObject* parent = nullptr);
    ~DataModule6() override;

    Connection ADO_DB;

    // scratch objects: their text is set right before each use
    Dataset Control{&ADO_DB, QStringLiteral("Control")};
    Command H_Tabel_ins{&ADO_DB, QStringLiteral("H_Tabel_ins")};

    // Runs a statement in the scratch query Control and reads one field of its first row;
    // an invalid value when it returns no row. Control is closed again in any case.
    QVariant readScratchValue(const QString& statement, const QString& field,
                              const Parameters& params = {});

    // Tests open every data module they create on their own database at once; the program
    // never calls this. An empty text restores the default.
    static void connectNewModulesWith(const QString& connectionText);
};

} // namespace data
