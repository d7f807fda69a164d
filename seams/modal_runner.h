#pragma once

class QDialog;

namespace seams {

// Every modal show of a window goes through here, so tests can act inside a modal
// window and get control back.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int exec(QDialog* dialog) = 0;

    static ModalRunner& current();
    // Tests put their own in; nullptr restores QDialog::exec().
    static void install(ModalRunner* runner);
};

inline int execModal(QDialog* dialog) {
    return ModalRunner::current().exec(dialog);
}

} // namespace seams
