#pragma once

#include "history_text.h"

#include <QDate>
#include <QDialog>

#include <functional>
#include <vector>

namespace history {
class HistoryData;
class HistoryModel;
} // namespace history

namespace Ui {
class HistoryWindow;
}

// The changes of one position (its materials and brigade too), of one operation (its norms
// and types too) or the deletions of a journal day's positions, oldest first: when, who,
// where, what, and each column "from → to". The administrator restores a deleted position
// from its deletion's row ("Восстановить").
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit HistoryWindow(history::HistoryData& data, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Whether "Восстановить" may be used: asked whenever the window opens (the login's role).
    void useRestoreRight(std::function<bool()> mayRestore) { mayRestore_ = std::move(mayRestore); }

    // Each shows the window modally and returns when it has closed: true when a position was
    // restored meanwhile (its list is to be read again).
    bool showPosition(int positionId);
    bool showOperation(int operationId);
    bool showDeletedPositions(const QDate& day);

    // The same lists read into the grid without showing the window.
    void readPosition(int positionId);
    void readOperation(int operationId);
    void readDeletedPositions(const QDate& day);

    const std::vector<history::HistoryEntry>& entries() const;

private:
    enum class Subject { Position, Operation, DayDeletions };
    void readSubject(Subject subject, int id, const QDate& day);
    bool showModal();
    void reread();
    void restoreDeletion();
    void updateButtons();
    const history::HistoryEntry* currentEntry() const;

    Ui::HistoryWindow* ui;
    history::HistoryData& data_;
    history::HistoryModel* model_ = nullptr;
    std::function<bool()> mayRestore_;
    Subject subject_ = Subject::Position;
    int id_ = 0;
    QDate day_;
    bool restored_ = false;
};
