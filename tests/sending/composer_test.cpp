#include "messagingframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Icon = Dialogs::Icon;

class ComposerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        frame.show();
        QApplication::setActiveWindow(&frame);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    }
    bool urlLooksLocked() const
    {
        return !txtURL->isEnabled()
               && txtURL->palette().color(QPalette::Base) == QApplication::palette().color(QPalette::Button);
    }
    bool urlLooksOpen() const { return txtURL->isEnabled() && txtURL->palette().color(QPalette::Base) == Qt::white; }
    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TestContext tc;
    MessagingFrame frame{tc};
    QComboBox *cboLang = frame.get<QComboBox>("cboLang");
    QPlainTextEdit *txtMsgEn = frame.get<QPlainTextEdit>("txtMsgEn");
    QPlainTextEdit *txtMsg = frame.get<QPlainTextEdit>("txtMsg");
    QCheckBox *chkAlert = frame.get<QCheckBox>("chkAlert");
    QCheckBox *chkWapPush = frame.get<QCheckBox>("chkWapPush");
    QLineEdit *txtURL = frame.get<QLineEdit>("txtURL");
    QAction *mnuMsgEng = frame.get<QAction>("mnuMsgEng");
    QAction *mnuMsgOth = frame.get<QAction>("mnuMsgOth");
};

TEST_F(ComposerTest, StartsOnGsmAndAlphabetSwitchKeepsEachBoxText)
{
    EXPECT_EQ(tc.state.MessageEncoding, 0);
    EXPECT_FALSE(frame.get<QAction>("mnuMsgFont")->isEnabled());
    txtMsgEn->setPlainText(QStringLiteral("hello"));
    mnuMsgOth->trigger();
    EXPECT_TRUE(txtMsg->isVisible());
    EXPECT_FALSE(txtMsgEn->isVisible());
    EXPECT_EQ(tc.state.MessageEncoding, 2);
    EXPECT_TRUE(mnuMsgOth->isChecked());
    EXPECT_FALSE(mnuMsgEng->isChecked());
    EXPECT_TRUE(frame.get<QPushButton>("cmdFont")->isEnabled());
    EXPECT_EQ(frame.composer().messageText(), QString());
    txtMsg->setPlainText(QString::fromUtf16(u"\u0928\u092E"));

    cboLang->setCurrentIndex(0);
    frame.composer().cboLang_Click();
    EXPECT_EQ(tc.state.MessageEncoding, 0);
    EXPECT_TRUE(mnuMsgEng->isChecked());
    EXPECT_EQ(frame.composer().messageText(), QStringLiteral("hello"));
    EXPECT_EQ(frame.composer().unicodeText(), QString::fromUtf16(u"\u0928\u092E"));
}

TEST_F(ComposerTest, AlertAndWapPushExcludeEachOther)
{
    txtURL->setText(QStringLiteral("http://example.com"));
    QTest::mouseClick(chkWapPush, Qt::LeftButton);
    EXPECT_TRUE(urlLooksOpen());
    EXPECT_TRUE(frame.get<QLabel>("lblURL")->isEnabled());
    EXPECT_FALSE(chkAlert->isEnabled());

    QTest::mouseClick(chkWapPush, Qt::LeftButton);
    EXPECT_TRUE(urlLooksLocked());
    EXPECT_TRUE(chkAlert->isEnabled());

    QTest::mouseClick(chkWapPush, Qt::LeftButton);
    chkAlert->setEnabled(true); // a checked WAP Push disabled it; check Alert anyway
    chkAlert->setChecked(true);
    frame.composer().chkAlert_Click();
    EXPECT_FALSE(chkWapPush->isChecked());
    EXPECT_FALSE(chkWapPush->isEnabled());
    EXPECT_FALSE(txtURL->isEnabled());

    QTest::mouseClick(chkAlert, Qt::LeftButton);
    EXPECT_TRUE(chkWapPush->isEnabled());
    EXPECT_TRUE(urlLooksLocked()) << "the URL box waits for WAP Push";
    EXPECT_EQ(frame.composer().urlText(), QStringLiteral("http://example.com"));
}

TEST_F(ComposerTest, CounterGsmBeforeTheKeyOnPressAfterOnReleaseUnicodeWithIt)
{
    txtMsgEn->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 0/160"));
    txtMsgEn->setPlainText(QString::fromUtf16(u"a{}^\u20AC"));
    QTest::keyPress(txtMsgEn, Qt::Key_BracketLeft, Qt::NoModifier);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 9/160"));
    QTest::keyRelease(txtMsgEn, Qt::Key_BracketLeft, Qt::NoModifier);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 11/160"));
    // Enter is a line end of two characters, as in the files.
    QTest::keyClick(txtMsgEn, Qt::Key_Return);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 13/160"));
    // Shift+Enter gives the same line end, not a line separator character.
    QTest::keyClick(txtMsgEn, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 15/160"));
    EXPECT_EQ(frame.composer().messageText().count(QStringLiteral("\r\n")), 2);
    EXPECT_FALSE(frame.composer().messageText().contains(QChar::LineSeparator));
    cboLang->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame.status(), QStringLiteral("Idle"));

    // Unicode: the count includes the typed character already on the press.
    frame.composer().selectAlphabet(1);
    txtMsg->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 0/70"));
    QTest::keyPress(txtMsg, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 1/70"));
    QTest::keyRelease(txtMsg, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 1/70"));
    txtMsg->setPlainText(QString::fromUtf16(u"\U0001F600"));
    QTest::keyClick(txtMsg, Qt::Key_End);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 2/70")) << "a surrogate pair counts two";
}

TEST_F(ComposerTest, CounterShowsTheLongestPersonalTextWhenTheListHasColumns)
{
    frame.list().append(QStringLiteral("1"), {{QStringLiteral("Name"), QStringLiteral("Al")}});
    frame.list().append(QStringLiteral("2"), {{QStringLiteral("Name"), QString(150, u'b')}});
    txtMsgEn->setPlainText(QStringLiteral("Dear {name}, hi"));
    txtMsgEn->setFocus();
    QApplication::processEvents();
    // 5 + 150 + 4 = 159 septets: one SMS. The default long-message setting concatenates.
    EXPECT_EQ(frame.status(), QStringLiteral("Max: 159/160, 1 SMS"));
    txtMsgEn->setPlainText(QStringLiteral("Dear {name}, hi!!"));
    QTest::keyClick(txtMsgEn, Qt::Key_End);
    EXPECT_EQ(frame.status(), QStringLiteral("Max: 161/160, 2 SMS"));
    // Braces without a column to name are counted as typed.
    txtMsgEn->setPlainText(QStringLiteral("{{x}}"));
    QTest::keyClick(txtMsgEn, Qt::Key_End);
    EXPECT_EQ(frame.status(), QStringLiteral("Char: 9/160"));
}

TEST_F(ComposerTest, FontDialogSetsFaceAndSizeOnlyOfTheUnicodeBox)
{
    frame.composer().selectAlphabet(1);
    const QFont gsmFont = txtMsgEn->font();
    tc.dialogs.expectFont(false);
    frame.get<QAction>("mnuMsgFont")->trigger();
    EXPECT_EQ(txtMsg->font().family(), QStringLiteral("Arial Unicode MS"));

    tc.dialogs.expectFont(true, {QStringLiteral("DejaVu Serif"), 17})
        .expectMessage(QStringLiteral("The font properties will only effect the display in the textbox.\r\n\r\n"
                                      "It does not have any control on the message display font properties of the "
                                      "handset on which the message will be viewed."),
                       Icon::Information);
    QTest::mouseClick(frame.get<QPushButton>("cmdFont"), Qt::LeftButton);
    EXPECT_EQ(txtMsg->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(txtMsg->font().pointSize(), 17);
    EXPECT_EQ(txtMsgEn->font(), gsmFont);
}

TEST_F(ComposerTest, SavedMessagesImportBack)
{
    const QString folder = tc.makeFolder(QStringLiteral("Message Files"));
    struct Trip
    {
        int alphabet;
        QString text;
        QString importedBack;
    };
    const QString unicode = QString::fromUtf16(u"\u0928\u092E\u0938\u094D\r\n\u00A0end \U0001F600");
    const Trip trips[] = {{1, unicode, unicode},
                          {0, QStringLiteral("Hi {all}\r\nbye"), QStringLiteral("Hi {all}\r\nbye\r\n")}};
    for (const Trip &trip : trips) {
        frame.composer().selectAlphabet(trip.alphabet);
        frame.composer().setMessageText(trip.text);
        const QString path = folder + QStringLiteral("msg%1.txt").arg(trip.alphabet);
        tc.dialogs.expectSaveFile(path).expectMessage(QStringLiteral("Message saved in text file."), Icon::Information);
        QTest::mouseClick(frame.get<QPushButton>("cmdSaveMsg"), Qt::LeftButton);
        EXPECT_EQ(tc.dialogs.lastFileRequest().title, QStringLiteral("Select a file"));
        EXPECT_EQ(tc.dialogs.lastFileRequest().startFolder, folder);
        EXPECT_TRUE(tc.dialogs.lastFileRequest().confirmCreate && tc.dialogs.lastFileRequest().refuseReadOnly);

        frame.composer().setMessageText(QStringLiteral("something else"));
        tc.dialogs.expectOpenFile(path);
        frame.get<QAction>("mnuMsgImport")->trigger();
        EXPECT_EQ(tc.dialogs.lastFileRequest().title, QStringLiteral("Select a text file"));
        EXPECT_EQ(frame.composer().messageText(), trip.importedBack) << trip.alphabet;
    }
    // Unicode files: the 0xFF 0xFE mark, then little-endian units, no line end added.
    QFile unicodeFile(folder + QStringLiteral("msg1.txt"));
    ASSERT_TRUE(unicodeFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = unicodeFile.readAll();
    EXPECT_EQ(bytes.left(4), QByteArray("\xFF\xFE\x28\x09", 4));
    EXPECT_EQ(bytes.size(), 2 + 2 * unicode.size());
}

TEST_F(ComposerTest, SaveRefusesBlankMessagesAndWrongExtensions)
{
    frame.composer().setMessageText(QStringLiteral("   "));
    tc.dialogs.expectMessage(QStringLiteral("Cannot save empty message to text file."), Icon::Exclamation);
    frame.composer().cmdSaveMsg_Click();
    // Line ends are no blanks: the run would send such a message, so it can be saved.
    frame.composer().setMessageText(QStringLiteral(" \r\n "));
    const QString breaks = tc.context.dataFolder + QStringLiteral("breaks.txt");
    tc.dialogs.expectSaveFile(breaks).expectMessage(QStringLiteral("Message saved in text file."), Icon::Information);
    frame.composer().cmdSaveMsg_Click();
    EXPECT_TRUE(QFile::exists(breaks));

    frame.composer().setMessageText(QStringLiteral("hi"));
    const QString csv = tc.context.dataFolder + QStringLiteral("m.csv");
    tc.dialogs.expectSaveFile(csv).expectMessage(QStringLiteral("Invalid file selection!"), Icon::Exclamation);
    frame.composer().cmdSaveMsg_Click();
    EXPECT_FALSE(QFile::exists(csv));
    EXPECT_EQ(tc.dialogs.lastFileRequest().startFolder, tc.context.dataFolder);
}

TEST_F(ComposerTest, SaveThatCannotWriteIsReportedNotConfirmed)
{
    const UnwritableTargets targets(tc, QStringLiteral("msg.txt"));
    frame.composer().setMessageText(QStringLiteral("hello"));
    for (const QString &target : targets.paths) {
        tc.dialogs.expectSaveFile(target).expectMessageStartingWith(QStringLiteral("Error "), Icon::Critical);
        frame.composer().cmdSaveMsg_Click();
        EXPECT_TRUE(tc.dialogs.allConsumed()) << target.toStdString();
        EXPECT_FALSE(QFile::exists(target));
    }
    EXPECT_EQ(frame.composer().messageText(), QStringLiteral("hello"));
}

TEST_F(ComposerTest, BadMessageFilesLeaveTheMessageAlone)
{
    const QString dir = tc.context.appFolder;
    // Which bytes are refused is checked below the window: one of them, and a file too big to read.
    writeFile(dir + QStringLiteral("binary.txt"), QByteArray("\x7F" "ELF\x02\x01\0\0", 8));
    QFile huge(dir + QStringLiteral("huge.txt"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(100LL * 1024 * 1024));
    huge.close();

    frame.composer().setMessageText(QStringLiteral("keep me"));
    for (const char *name : {"binary.txt", "huge.txt"}) {
        tc.dialogs.expectOpenFile(dir + QLatin1String(name)).expectMessageStartingWith(QStringLiteral("The file"), Icon::Exclamation);
        frame.composer().cmdImport_Click();
        EXPECT_EQ(frame.composer().messageText(), QStringLiteral("keep me")) << name;
    }
    tc.dialogs.expectOpenFile(dir + QStringLiteral("m.doc"))
        .expectMessage(QStringLiteral("Invalid file selection!"), Icon::Exclamation);
    frame.composer().cmdImport_Click();
    tc.dialogs.expectOpenFile(QString());
    frame.composer().cmdImport_Click();
    EXPECT_EQ(frame.composer().messageText(), QStringLiteral("keep me"));

    // An empty file is an empty message.
    writeFile(dir + QStringLiteral("empty.txt"), QByteArray());
    tc.dialogs.expectOpenFile(dir + QStringLiteral("empty.txt"));
    frame.composer().cmdImport_Click();
    EXPECT_EQ(frame.composer().messageText(), QString());
}

} // namespace
