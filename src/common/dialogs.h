#pragma once

#include <QString>

// Every message box, file dialog, font dialog and the hourglass of the program go through
// this service, so windows can be driven by tests with a scripted one and the command line
// can answer in a terminal.
class Dialogs
{
public:
    enum class Icon { None, Information, Exclamation, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    // filter is written as "Text Files (*.txt)|*.txt" (description|pattern pairs).
    struct FileRequest
    {
        QString title;
        QString filter;
        QString defaultExt;  // "txt", without the dot
        QString startFolder;
        QString initialName; // empty unless the caller says otherwise
        // Save dialogs: ask before creating a file, and refuse a read-only one (savetarget.h).
        bool confirmCreate = false;
        bool refuseReadOnly = false;
    };

    // The face and size a font dialog offers and returns; the rest of a font stays the box's.
    struct FontChoice
    {
        QString family;
        double pointSize = 0; // 0 when the dialog gave none
    };

    virtual ~Dialogs() = default;

    virtual Answer message(const QString &text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                           const QString &title = QStringLiteral("Quillo")) = 0;
    // The chosen path, or empty when the user cancelled.
    virtual QString openFile(const FileRequest &request) = 0;
    virtual QString saveFile(const FileRequest &request) = 0;
    // True with font changed when the user chose one; false on Cancel.
    virtual bool chooseFont(FontChoice &font) = 0;
    // The hourglass: either busy or normal, however often it was asked for.
    virtual void setBusy(bool busy) { m_busy = busy; }
    virtual bool isBusy() const { return m_busy; }

    // Shorthands for the house conventions: refused input, success, errors, questions.
    void exclamation(const QString &text) { message(text, Icon::Exclamation); }
    void information(const QString &text) { message(text, Icon::Information); }
    void critical(const QString &text) { message(text, Icon::Critical); }
    bool ask(const QString &text) { return message(text, Icon::None, Buttons::YesNo) == Answer::Yes; }

private:
    bool m_busy = false;
};

// The real dialogs: QMessageBox, QFileDialog, QFontDialog, parented to the given window.
class QWidget;
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    Answer message(const QString &text, Icon icon, Buttons buttons, const QString &title) override;
    QString openFile(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;
    bool chooseFont(FontChoice &font) override;
    void setBusy(bool busy) override;
    bool isBusy() const override;

private:
    QWidget *m_parent = nullptr;
};

// "Text Files (*.txt)|*.txt" -> "Text Files (*.txt)" for Qt's file dialogs.
QString qtFileFilter(const QString &filter);
