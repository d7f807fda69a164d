#pragma once

#include <QString>

#include <memory>

class QMessageBox;

namespace seams {

// Every message box of the program goes through here, so tests can record what was
// shown and script the answers.
class Messages {
public:
    virtual ~Messages() = default;

    // Error box: the caption, an error icon and OK.
    virtual void error(const QString& text, const QString& caption) = 0;
    // The same, with the technical text (the server's own words) behind "Показать
    // подробности".
    virtual void errorWithDetail(const QString& text, const QString& detail,
                                 const QString& caption) {
        (void)detail;
        error(text, caption);
    }
    // Question box: the caption, a question icon, Yes and No; true for Yes.
    virtual bool question(const QString& text, const QString& caption) = 0;
    // Information box: the caption, an information icon and OK.
    virtual void information(const QString& text, const QString& caption) = 0;

    static Messages& current();
    // Tests put their own in; nullptr restores the real boxes.
    static void install(Messages* messages);
};

inline const QString kErrorCaption = QStringLiteral("Ошибка");
inline const QString kDeleteCaption = QStringLiteral("Удаление");
inline const QString kAllFieldsRequired = QStringLiteral("Все поля должны быть заполнены!");

// The real boxes, parented to the active window.
class QtMessages : public Messages {
public:
    void error(const QString& text, const QString& caption) override;
    void errorWithDetail(const QString& text, const QString& detail,
                         const QString& caption) override;
    bool question(const QString& text, const QString& caption) override;
    void information(const QString& text, const QString& caption) override;

    // The box errorWithDetail shows, not yet shown (the screenshot test pictures it).
    static std::unique_ptr<QMessageBox> errorBox(const QString& text, const QString& detail,
                                                 const QString& caption);
};

} // namespace seams
