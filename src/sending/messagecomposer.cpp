#include "messagecomposer.h"

#include "common/ansitext.h"
#include "common/errornumbers.h"
#include "common/errortrap.h"
#include "common/namedwidget.h"
#include "common/paths.h"
#include "common/text.h"
#include "gsmcharcount.h"
#include "mergefields.h"
#include "messagefile.h"
#include "runsummary.h"
#include "recipients/recipientlist.h"
#include "recipients/textfilechoice.h"
#include "windowlock.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace {

QPlainTextEdit *makeMessageBox(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *box = named(new QPlainTextEdit(parent), name, accessibleName);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    return box;
}

const QString kFontNote = QStringLiteral(
    "The font properties will only effect the display in the textbox.\r\n\r\n"
    "It does not have any control on the message display font properties of the handset on which the message will "
    "be viewed.");

} // namespace

QString boxText(const QPlainTextEdit *box)
{
    // The document keeps each line end as a block separator; the message carries CR LF, as
    // the operator's Enter gives on the platforms the message files come from. The raw text
    // keeps no-break spaces, which toPlainText() would turn into blanks.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

MessageComposer::MessageComposer(AppContext &context, MainFrame &frame, QWidget *parent)
    : QGroupBox(QStringLiteral("Message Details"), parent), m_context(context), m_frame(frame), m_status(frame.panel(1))
{
    setObjectName(QStringLiteral("fraMessage"));
    buildControls();
    connectMenus();
}

void MessageComposer::buildControls()
{
    QLabel *languageLabel = named(new QLabel(QStringLiteral("Language:"), this), "Label18");
    m_cboLang = new QComboBox(this);
    m_cboLang->setObjectName(QStringLiteral("cboLang"));
    m_cboLang->setAccessibleName(QStringLiteral("Language"));
    languageLabel->setBuddy(m_cboLang);

    m_chkAlert = new QCheckBox(QStringLiteral("Alert Message"), this);
    m_chkAlert->setObjectName(QStringLiteral("chkAlert"));
    m_chkWapPush = new QCheckBox(QStringLiteral("WAP Push"), this);
    m_chkWapPush->setObjectName(QStringLiteral("chkWapPush"));
    m_lblURL = named(new QLabel(QStringLiteral("Push URL:"), this), "lblURL");
    m_txtURL = new QLineEdit(this);
    m_txtURL->setObjectName(QStringLiteral("txtURL"));
    m_txtURL->setAccessibleName(QStringLiteral("Push URL"));
    m_lblURL->setBuddy(m_txtURL);

    m_lblMessage = named(new QLabel(QStringLiteral("Text Message:"), this), "lblMessage");
    m_txtMsgEn = makeMessageBox(this, "txtMsgEn", QStringLiteral("Text Message"));
    m_txtMsg = makeMessageBox(this, "txtMsg", QStringLiteral("Text Message (Unicode)"));
    m_txtMsgEn->installEventFilter(this);
    m_txtMsg->installEventFilter(this);

    m_cmdImport = namedButton(this, "cmdImport", QStringLiteral("Import"));
    m_cmdSaveMsg = namedButton(this, "cmdSaveMsg", QStringLiteral("Save As"));
    m_cmdFont = namedButton(this, "cmdFont", QStringLiteral("Font"));
    m_cmdStartSending = namedButton(this, "cmdStartSending", QStringLiteral("Start Sending"));
    m_cmdStopSending = namedButton(this, "cmdStopSending", QStringLiteral("Stop Sending"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(languageLabel, 0, 0);
    grid->addWidget(m_cboLang, 0, 1);
    auto *options = new QHBoxLayout;
    options->addWidget(m_chkAlert);
    options->addWidget(m_chkWapPush);
    options->addStretch(1);
    grid->addLayout(options, 1, 1);
    grid->addWidget(m_lblURL, 2, 0);
    grid->addWidget(m_txtURL, 2, 1);
    grid->addWidget(m_lblMessage, 3, 0, 1, 2);
    // The two boxes share one place; only the one of the chosen alphabet is shown.
    grid->addWidget(m_txtMsgEn, 4, 0, 1, 2);
    grid->addWidget(m_txtMsg, 4, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(m_cmdImport);
    fileButtons->addWidget(m_cmdSaveMsg);
    fileButtons->addWidget(m_cmdFont);
    fileButtons->addStretch(1);
    grid->addLayout(fileButtons, 5, 0, 1, 2);
    auto *sendButtons = new QHBoxLayout;
    sendButtons->addStretch(1);
    sendButtons->addWidget(m_cmdStartSending);
    sendButtons->addWidget(m_cmdStopSending);
    grid->addLayout(sendButtons, 6, 0, 1, 2);

    connect(m_cboLang, &QComboBox::activated, this, [this] { cboLang_Click(); });
    connect(m_chkAlert, &QCheckBox::clicked, this, [this] { chkAlert_Click(); });
    connect(m_chkWapPush, &QCheckBox::clicked, this, [this] { chkWapPush_Click(); });
    connect(m_cmdFont, &QPushButton::clicked, this, &MessageComposer::cmdFont_Click);
    connect(m_cmdImport, &QPushButton::clicked, this, &MessageComposer::cmdImport_Click);
    connect(m_cmdSaveMsg, &QPushButton::clicked, this, &MessageComposer::cmdSaveMsg_Click);
}

MessageComposer::RunLockedControls MessageComposer::runLockedControls() const
{
    return {m_lblMessage, m_txtMsgEn, m_txtMsg, m_cmdImport, m_cmdFont, m_cmdSaveMsg,
            m_txtURL,     m_cboLang,  m_chkAlert, m_chkWapPush};
}

void MessageComposer::connectMenus()
{
    const MenuActions &menus = m_frame.menus();
    const auto onMenu = [&](QAction *action, auto handler) {
        if (action)
            connect(action, &QAction::triggered, this, handler);
    };
    onMenu(menus.msgImport, [this] { cmdImport_Click(); });
    onMenu(menus.msgEnglish, [this] { selectAlphabet(0); });
    onMenu(menus.msgOther, [this] { selectAlphabet(1); });
    onMenu(menus.msgFont, [this] { cmdFont_Click(); });
}

void MessageComposer::startUp()
{
    m_context.state.GsmExtensionChars = BuildGsmExtensionChars();
    m_chkWapPush->setChecked(false);
    chkWapPush_Click();
    m_cboLang->clear();
    m_cboLang->addItem(QStringLiteral("English (GSM Default Alphabet)"));
    m_cboLang->addItem(QStringLiteral("Other Language (Unicode)"));
    m_cboLang->setCurrentIndex(0);
    cboLang_Click();
    QFont unicodeFont = m_txtMsg->font();
    unicodeFont.setFamily(QStringLiteral("Arial Unicode MS"));
    m_txtMsg->setFont(unicodeFont);
    QFont gsmFont = m_txtMsgEn->font();
    gsmFont.setFamily(QStringLiteral("MS Sans Serif"));
    m_txtMsgEn->setFont(gsmFont);
    m_cmdFont->setEnabled(false);
    m_context.state.MessageEncoding = 0;
}

int MessageComposer::alphabetIndex() const
{
    return m_cboLang->currentIndex() == 1 ? 1 : 0;
}

QString MessageComposer::gsmText() const
{
    return boxText(m_txtMsgEn);
}

QString MessageComposer::unicodeText() const
{
    return boxText(m_txtMsg);
}

QString MessageComposer::messageText() const
{
    return alphabetIndex() == 0 ? gsmText() : unicodeText();
}

void MessageComposer::setMessageText(const QString &text)
{
    (alphabetIndex() == 0 ? m_txtMsgEn : m_txtMsg)->setPlainText(text);
}

void MessageComposer::setMessage(const ComposedMessage &message)
{
    selectAlphabet(message.encoding == 2 ? 1 : 0);
    setMessageText(message.text);
    m_txtURL->setText(message.url);
    // WAP Push first: its rule decides whether Alert may be ticked.
    m_chkWapPush->setChecked(message.wapPush);
    m_chkAlert->setChecked(message.alert && !message.wapPush);
    applyOptionRules();
}

bool MessageComposer::alertChecked() const
{
    return m_chkAlert->isChecked();
}

bool MessageComposer::wapPushChecked() const
{
    return m_chkWapPush->isChecked();
}

QString MessageComposer::urlText() const
{
    return m_txtURL->text();
}

ComposedMessage MessageComposer::message() const
{
    return {messageText(), urlText(), wapPushChecked(), alertChecked(), m_context.state.MessageEncoding};
}

void MessageComposer::setMenuChecked(QAction *action, bool checked)
{
    if (action)
        action->setChecked(checked);
}

void MessageComposer::setMenuEnabled(QAction *action, bool enabled)
{
    if (action)
        action->setEnabled(enabled);
}

void MessageComposer::applyOptionRules()
{
    chkAlert_Click();
    chkWapPush_Click();
    cboLang_Click();
}

void MessageComposer::cboLang_Click()
{
    const bool gsm = m_cboLang->currentIndex() == 0;
    m_txtMsgEn->setVisible(gsm);
    m_txtMsg->setVisible(!gsm);
    m_cmdFont->setEnabled(!gsm);
    setMenuEnabled(m_frame.menus().msgFont, !gsm);
    if (gsm && !m_chkAlert->isChecked())
        m_chkWapPush->setEnabled(true);
    chkWapPush_Click();
    m_context.state.MessageEncoding = gsm ? 0 : 2;
    const MenuActions &menus = m_frame.menus();
    setMenuChecked(gsm ? menus.msgOther : menus.msgEnglish, false);
    setMenuChecked(gsm ? menus.msgEnglish : menus.msgOther, true);
}

void MessageComposer::selectAlphabet(int index)
{
    m_cboLang->setCurrentIndex(index);
    cboLang_Click();
}

void MessageComposer::chkWapPush_Click()
{
    // Alert and WAP Push exclude each other; the URL text stays whichever way it goes.
    const bool push = m_chkWapPush->isChecked();
    setBoxLocked(m_txtURL, !push);
    m_lblURL->setEnabled(push);
    m_chkAlert->setEnabled(!push);
}

void MessageComposer::chkAlert_Click()
{
    if (m_chkAlert->isChecked()) {
        m_chkWapPush->setChecked(false);
        chkWapPush_Click();
        m_chkWapPush->setEnabled(false);
        m_txtURL->setEnabled(false);
    } else {
        m_chkWapPush->setEnabled(true);
        chkWapPush_Click();
    }
}

void MessageComposer::cmdFont_Click()
{
    errorTrap(m_context, QStringLiteral("cmdFont_Click"), [&] {
        QFont shown = m_txtMsg->font();
        Dialogs::FontChoice font{shown.family(), std::max(0.0, shown.pointSizeF())};
        if (!m_context.dialogs.chooseFont(font))
            return;
        // Only the face and the size reach the box; the message itself carries no font.
        shown.setFamily(font.family);
        if (font.pointSize > 0)
            shown.setPointSizeF(font.pointSize);
        m_txtMsg->setFont(shown);
        m_context.dialogs.information(kFontNote);
    });
}

QString MessageComposer::messageFolder() const
{
    const QString dataFolder = AddBackslash(m_context.dataFolder);
    return PreferredFolder(dataFolder + QStringLiteral("Message Files") + QDir::separator(), dataFolder);
}

void MessageComposer::cmdImport_Click()
{
    errorTrap(m_context, QStringLiteral("cmdImport_Click"), [&] {
        Dialogs::FileRequest request;
        request.title = QStringLiteral("Select a text file");
        request.filter = kTextFileFilter;
        request.defaultExt = QStringLiteral("txt");
        request.startFolder = messageFolder();
        const QString path = m_context.dialogs.openFile(request);
        if (path.isEmpty())
            return;
        if (!hasDefaultExtension(path, request.defaultExt)) {
            m_context.dialogs.exclamation(kInvalidFileSelection);
            return;
        }
        QString text;
        try {
            text = readMessageFile(path);
        } catch (const QuilloError &error) {
            // A file that is no message leaves the message as it was.
            if (error.number() != ErrorNumber::kMessageFileTooLarge && error.number() != ErrorNumber::kMessageFileNotUnicode
                && error.number() != ErrorNumber::kMessageFileNotText)
                throw;
            m_context.dialogs.exclamation(error.description());
            return;
        }
        setMessageText(text);
    });
}

void MessageComposer::cmdSaveMsg_Click()
{
    errorTrap(m_context, QStringLiteral("cmdSaveMsg_Click"), [&] {
        const bool unicode = alphabetIndex() != 0;
        const QString text = messageText();
        if (trimSpaces(text).isEmpty()) {
            m_context.dialogs.exclamation(QStringLiteral("Cannot save empty message to text file."));
            return;
        }
        Dialogs::FileRequest request;
        request.title = QStringLiteral("Select a file");
        request.filter = kTextFileFilter;
        request.defaultExt = QStringLiteral("txt");
        request.confirmCreate = true;
        request.refuseReadOnly = true;
        request.startFolder = messageFolder();
        const QString path = m_context.dialogs.saveFile(request);
        if (path.isEmpty())
            return;
        if (!hasDefaultExtension(path, request.defaultExt)) {
            m_context.dialogs.exclamation(kInvalidFileSelection);
            return;
        }
        writeFileBytes(path, encodeMessageFile(text, unicode));
        m_context.dialogs.information(QStringLiteral("Message saved in text file."));
    });
}

void MessageComposer::setPersonalTexts(const RecipientList *list, std::function<QString()> longMessage)
{
    m_recipients = list;
    m_longMessage = std::move(longMessage);
}

QString MessageComposer::personalCounter(const QString &text) const
{
    if (!m_recipients || !m_recipients->hasFields() || wapPushChecked() || !merge::hasPlaceholders(text))
        return {};
    // The longest text as the box counts it; only that one is split into parts.
    const QString &extension = m_context.state.GsmExtensionChars;
    int longest = 0;
    int count = -1;
    for (int i = 0; i < m_recipients->count(); ++i) {
        const QString merged = merge::mergeFields(text, m_recipients->fields(i)).text;
        const int length = alphabetIndex() == 0 ? GsmCharCount(merged, extension) : int(merged.size());
        if (length > count) {
            longest = i;
            count = length;
        }
    }
    ComposedMessage message = this->message();
    message.text = text;
    const RunPlan plan = planRun(message, {m_recipients->entry(longest)}, {m_recipients->fields(longest)},
                                 m_longMessage ? m_longMessage() : QString());
    const PersonalMessage &m = plan.messages.first();
    const bool unicode = m.encoding == 2;
    return personalCounterText(unicode ? int(m.text.size()) : GsmCharCount(m.text, extension), unicode, m.parts);
}

void MessageComposer::showCounter(QPlainTextEdit *box, bool keyPress)
{
    const QString text = boxText(box);
    QString shown = personalCounter(text);
    if (!shown.isEmpty()) {
        // The key being typed is not in the box yet; its release shows the count with it.
    } else if (box == m_txtMsgEn) {
        shown = gsmCounterText(GsmCharCount(text, m_context.state.GsmExtensionChars));
    } else {
        // During the key press the Unicode count already includes the character being typed.
        shown = unicodeCounterText(int(text.size()) + (keyPress ? 1 : 0));
    }
    setStatus(shown);
}

bool MessageComposer::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QPlainTextEdit *>(watched);
    if (box && (box == m_txtMsgEn || box == m_txtMsg)) {
        switch (event->type()) {
        case QEvent::FocusIn:
            showCounter(box, false);
            break;
        case QEvent::FocusOut:
            setStatus(QStringLiteral("Idle"));
            break;
        case QEvent::KeyPress: {
            // A key press counts when it types a character (Backspace and Enter included);
            // arrows and shift keys move nothing and wait for their release.
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!key->text().isEmpty())
                showCounter(box, true);
            // Shift+Enter would put a line separator (U+2028) into the message: a line end
            // on screen, but one character that the message, its file and the handset do not
            // take as a line end. It gives the line end Enter gives.
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && key->modifiers().testFlag(Qt::ShiftModifier)) {
                box->insertPlainText(QStringLiteral("\n"));
                box->ensureCursorVisible();
                return true;
            }
            break;
        }
        case QEvent::KeyRelease:
            showCounter(box, false);
            break;
        default:
            break;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void MessageComposer::setStatus(const QString &text)
{
    if (m_status)
        m_status->setText(text);
}
