#pragma once

#include <QFont>
#include <QString>

// Every message box, file dialog and font dialog of the program goes through this service,
// so windows can be driven by tests with a scripted one.
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
    };

    virtual ~Dialogs() = default;

    virtual Answer message(const QString &text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                           const QString &title = QStringLiteral("Quillo")) = 0;
    // The chosen path, or empty when the user cancelled.
    virtual QString openFile(const FileRequest &request) = 0;
    virtual QString saveFile(const FileRequest &request) = 0;
    // True with font changed when the user chose one; false on Cancel.
    virtual bool chooseFont(QFont &font) = 0;

    // Shorthands for the house conventions: refused input, success, errors, questions.
    void exclamation(const QString &text) { message(text, Icon::Exclamation); }
    void information(const QString &text) { message(text, Icon::Information); }
    void critical(const QString &text) { message(text, Icon::Critical); }
    bool ask(const QString &text) { return message(text, Icon::None, Buttons::YesNo) == Answer::Yes; }
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
    bool chooseFont(QFont &font) override;

private:
    QWidget *m_parent = nullptr;
};

// "Text Files (*.txt)|*.txt" -> "Text Files (*.txt)" for Qt's file dialogs.
QString qtFileFilter(const QString &filter);
