#include "modal_runner.h"

#include <QDialog>

namespace seams {

namespace {

class ExecRunner : public ModalRunner {
public:
    int exec(QDialog* dialog) override { return dialog->exec(); }
};

ModalRunner* installed = nullptr;

} // namespace

ModalRunner& ModalRunner::current() {
    static ExecRunner real;
    return installed ? *installed : real;
}

void ModalRunner::install(ModalRunner* runner) {
    installed = runner;
}

} // namespace seams
