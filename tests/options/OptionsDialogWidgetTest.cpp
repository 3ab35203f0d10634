
#include "board/BoardFollowsSettings.h"
#include "board/TrayPresence.h"
#include "calendarmodule/OwnCalendarSection.h"
#include "calendarmodule/SubscriptionsDialog.h"
#include "core/AppContext.h"
#include "core/Colors.h"
#include "core/SettingsRepository.h"
#include "options/FontChooser.h"
#include "options/OptionsDialog.h"
#include "options/Pickers.h"
#include "options/PreviewSpeedTest.h"
#include "owncalendar/OwnCalendar.h"
#include "platform/AppPaths.h"
#include "platform/RegistryStore.h"
#include "platform/Twips.h"
#include "subscriptions/CalendarSubscriptions.h"
#include "subscriptions/NetworkSyncMachinery.h"
#include "support/FailingWriters.h"
#include "support/FakeBoard.h"
#include "support/ManualClock.h"
#include "support/MemoryPasswords.h"
#include "support/RecordingPrompts.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPickers.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace tanzo;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("chime.wav"));
        QFile f(m_wav);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
        f.close();
        m_store = std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("settings.reg")),
                                                  m_failures.factory());
        m_repo = std::make_unique<SettingsRepository>(*m_store);
        m_state = std::make_unique<AppContext>(m_clock, m_dir.path() + QLatin1Char('/'), m_prompts);
        m_state->settings.update(
            [this](Settings& s) { splitSoundPath(m_wav, s.soundDirectory, s.soundFileName); });
        m_presence = std::make_unique<TrayPresence>(m_state->settings.values(), m_board, nullptr);
        followSettings(m_state->settings, m_board, *m_presence, &m_state->settings);
    }
    void TearDown() override { delete m_dialog.data(); }

    OptionsDialog& open() {
        m_dialog = new OptionsDialog(*m_state, m_board, *m_repo, m_sound, m_pickers);
        return *m_dialog;
    }
    template <typename W> W* child(const char* name) {
        W* w = m_dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(name); }
    QCheckBox* check(const char* name) { return child<QCheckBox>(name); }
    QRadioButton* option(const char* name) { return child<QRadioButton>(name); }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }
    options::PreviewSpeedTest& speedTest() {
        return *m_dialog->findChild<options::PreviewSpeedTest*>();
    }

    Settings storedSettings() {
        RegistryStore store(m_store->filePath());
        SettingsRepository repo(store);
        EXPECT_TRUE(repo.openKey());
        Settings s;
        s = repo.read(QSizeF(1e6, 1e6));
        return s;
    }
    qsizetype storedWidth(const char* name) {
        RegistryStore store(m_store->filePath());
        EXPECT_TRUE(store.load());
        const auto v = store.value(SettingsRepository::defaultKeyPath(), QLatin1String(name));
        return v ? v->data.size() : -1;
    }
    QSize screen() const { return Twips::screenSizePixels(); }
    // Windows closed with WA_DeleteOnClose go at the next deferred delete.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir m_dir;
    QString m_wav;
    test::ManualClock m_clock;
    test::RecordingPrompts m_prompts;
    test::ScriptedPickers m_pickers;
    test::WriteFailures m_failures;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<SettingsRepository> m_repo;
    std::unique_ptr<AppContext> m_state;
    test::FakeBoard m_board;
    std::unique_ptr<TrayPresence> m_presence;
    test::RecordingSoundPlayer m_sound;
    QPointer<OptionsDialog> m_dialog;
};

TEST_F(OptionsDialogTest, LoadShowsEachStoredValue) {
    Settings s = m_state->settings.values();
    s.preAlarm = false;
    s.preAlarmMinute = 12;
    s.alarmSkip = true;
    s.alarmSkipMinute = 30;
    s.alarmSound = true;
    s.showTask = true;
    s.topMost = false;
    s.saveLastPosition = true;
    s.activeDisplay = true;
    s.interval = 7;
    s.windowSize = Middle;
    s.foreColor1 = 0x00FF00;
    s.foreColor2 = 0x0000FF;
    s.backColor = 0x332211;
    m_state->settings.replace(s);

    OptionsDialog& d = open();
    EXPECT_EQ(d.objectName(), QStringLiteral("frmOption"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ヨルカ設定"));
    EXPECT_FALSE(check("chkAlarm_0")->isChecked());
    EXPECT_EQ(edit("txtMin_0")->text(), QStringLiteral("12"));
    EXPECT_FALSE(edit("txtMin_0")->isEnabled());
    EXPECT_TRUE(check("chkAlarm_1")->isChecked());
    EXPECT_EQ(edit("txtMin_1")->text(), QStringLiteral("30"));
    EXPECT_TRUE(check("chkAlarm_2")->isChecked());
    EXPECT_EQ(edit("txtPath")->text(), m_wav);
    EXPECT_TRUE(check("chkWindow_0")->isChecked());
    EXPECT_FALSE(check("chkWindow_1")->isChecked());
    EXPECT_TRUE(check("chkWindow_2")->isChecked());
    EXPECT_TRUE(check("chkWindow_3")->isChecked());
    EXPECT_EQ(edit("txtInterval")->text(), QStringLiteral("7"));
    EXPECT_TRUE(option("optSize_1")->isChecked());
    EXPECT_FALSE(check("chkPos")->isChecked());
    EXPECT_FALSE(child<QWidget>("fraPosX")->isEnabled());
    EXPECT_TRUE(option("optPosX_3")->isChecked());
    EXPECT_TRUE(option("optPosY_3")->isChecked());
    EXPECT_EQ(edit("txtPosX")->text(), QStringLiteral("100"));
    EXPECT_EQ(edit("txtPosY")->text(), QStringLiteral("200"));
    EXPECT_EQ(fromQColor(child<QLabel>("lblFont_0")->palette().color(QPalette::WindowText)),
              0x00FF00u);
    EXPECT_EQ(fromQColor(child<QLabel>("lblFont_1")->palette().color(QPalette::WindowText)),
              0x0000FFu);
    EXPECT_EQ(fromQColor(child<QWidget>("picFont_1")->palette().color(QPalette::Window)),
              0x332211u);
    EXPECT_EQ(child<QLabel>("lblFont_0")->font().family(), m_board.font.family());
    EXPECT_FALSE(d.optionsChanged());
    EXPECT_FALSE(button("cmdOK")->isEnabled());
    EXPECT_FALSE(button("cmdApply")->isEnabled());
}

TEST_F(OptionsDialogTest, LoadCorrectsOutOfRangeValuesAndBoardPosition) {
    m_state->settings.update([&](Settings& s) { s.preAlarmMinute = 0; });
    m_board.rect.moveTo(-50, screen().height() + 10); // partly off the screen
    open();
    EXPECT_EQ(edit("txtMin_0")->text(), QStringLiteral("1"));
    EXPECT_EQ(edit("txtPosX")->text(), QStringLiteral("0"));
    EXPECT_EQ(m_board.rect.topLeft(), QPoint(0, screen().height() - m_board.rect.height()));
    EXPECT_FALSE(m_dialog->optionsChanged());
}

TEST_F(OptionsDialogTest, TopMostClearsAndDisablesBringToFront) {
    m_state->settings.update([&](Settings& s) {
        s.topMost = true;
        s.activeDisplay = true;
    });
    open();
    EXPECT_TRUE(check("chkWindow_1")->isChecked());
    EXPECT_TRUE(check("chkWindow_3")->isChecked()) << "a stored ActiveDisplay still shows";
    EXPECT_FALSE(check("chkWindow_3")->isEnabled());

    check("chkWindow_1")->setChecked(false);
    EXPECT_TRUE(check("chkWindow_3")->isEnabled());
    check("chkWindow_3")->setChecked(true);
    check("chkWindow_1")->setChecked(true);
    EXPECT_FALSE(check("chkWindow_3")->isChecked());
    EXPECT_FALSE(check("chkWindow_3")->isEnabled());
    check("chkWindow_1")->setChecked(false);
    EXPECT_TRUE(check("chkWindow_3")->isEnabled());
    EXPECT_FALSE(check("chkWindow_3")->isChecked());
    EXPECT_TRUE(m_dialog->optionsChanged());
}

TEST_F(OptionsDialogTest, NumericBoxesClampAsTyped) {
    open();
    edit("txtMin_0")->setText(QString());
    EXPECT_EQ(edit("txtMin_0")->text(), QStringLiteral("1"));
    edit("txtMin_1")->setText(QStringLiteral("75"));
    EXPECT_EQ(edit("txtMin_1")->text(), QStringLiteral("60"));
    edit("txtInterval")->setText(QStringLiteral("250"));
    EXPECT_EQ(edit("txtInterval")->text(), QStringLiteral("100"));
    edit("txtInterval")->setText(QString());
    EXPECT_EQ(edit("txtInterval")->text(), QString());
    EXPECT_FALSE(button("cmdTest")->isEnabled());
}

TEST_F(OptionsDialogTest, ClickingIntoABoxSelectsItsWholeText) {
    // The mouse press that gives the focus would otherwise put the cursor
    // in the text, and a typed digit would be added instead of replacing.
    open();
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog));
    for (const char* name : {"txtMin_0", "txtInterval", "txtPath"}) {
        QLineEdit* box = edit(name);
        button("cmdCancel")->setFocus();
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(box->width() - 3, 5));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(box->hasFocus()) << name;
        EXPECT_EQ(box->selectedText(), box->text()) << name;
    }
}

TEST_F(OptionsDialogTest, TabVisitsTheControlsInTheirOrder) {
    open();
    QStringList expected{"optFont_0",   "optFont_1",   "cmdColorC",  "cmdColorB",   "cmdFont",
                         "chkAlarm_0",  "txtMin_0",    "chkAlarm_1", "txtMin_1",    "chkAlarm_2",
                         "txtPath",     "cmdBrowse",   "cmdPlay",    "chkWindow_0", "chkWindow_1",
                         "chkWindow_2", "chkWindow_3", "chkLogin",   "txtInterval", "cmdTest",
                         "optSize_0",   "optSize_1",   "optSize_2",  "chkPos"};
    for (const char* axis : {"optPosX_", "optPosY_"}) {
        for (int i = 0; i < 4; ++i)
            expected << QLatin1String(axis) + QString::number(i);
        expected << (axis[6] == 'X' ? "txtPosX" : "txtPosY");
    }
    expected << "cmdOK"
             << "cmdCancel"
             << "cmdApply";
    QStringList visited;
    QWidget* w = child<QRadioButton>("optFont_0");
    for (int steps = 0; steps < 300 && visited.size() < expected.size(); ++steps) {
        if (expected.contains(w->objectName()))
            visited << w->objectName();
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(OptionsDialogTest, TabEntersTheSizesAtTheCheckedOne) {
    OptionsDialog& dialog = open();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(option("optSize_2")->isChecked()); // 小, the stored size
    for (const char* checked : {"optSize_2", "optSize_1"}) {
        option(checked)->setChecked(true);
        button("cmdTest")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button("cmdTest"), Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), option(checked));
        // and on out of the group with the next Tab
        QTest::keyClick(option(checked), Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), check("chkPos"));
    }
}

TEST_F(OptionsDialogTest, NumericBoxRefusesLettersWithABeep) {
    open();
    QLineEdit* box = edit("txtInterval");
    box->setText(QStringLiteral("1"));
    box->end(false);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(box, &letter);
    EXPECT_EQ(m_prompts.beeps, 1);
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    QApplication::sendEvent(box, &digit);
    EXPECT_EQ(box->text(), QStringLiteral("15"));
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier, QStringLiteral("7"));
    QApplication::sendEvent(box, &keypad);
    EXPECT_EQ(box->text(), QStringLiteral("100")) << "157 is held to 100";
    box->setText(QStringLiteral("15"));
    box->end(false);
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    QApplication::sendEvent(box, &paste);
    EXPECT_EQ(m_prompts.beeps, 2);
    EXPECT_EQ(box->text(), QStringLiteral("15"));
}

TEST_F(OptionsDialogTest, ApplyWritesEverySettingAndLaysTheBoardOut) {
    m_board.font = QFont(QStringLiteral("IPAGothic"), 9);
    open();
    check("chkAlarm_0")->setChecked(false);
    edit("txtMin_1")->setText(QStringLiteral("15"));
    check("chkWindow_0")->setChecked(true);
    check("chkWindow_1")->setChecked(true);
    edit("txtInterval")->setText(QStringLiteral("33"));
    option("optSize_0")->setChecked(true);
    m_pickers.setNextColorAnswer(0x123456);
    button("cmdColorB")->click();
    m_pickers.setNextFontAnswer(options::FontChoice{QStringLiteral("IPAGothic"), true, false, 12});
    button("cmdFont")->click();
    check("chkPos")->setChecked(true);
    edit("txtPosX")->setText(QStringLiteral("40"));
    edit("txtPosY")->setText(QStringLiteral("50"));
    ASSERT_TRUE(button("cmdApply")->isEnabled());

    button("cmdApply")->click();
    ASSERT_TRUE(m_prompts.boxes.empty()) << m_prompts.boxes.front().text.toStdString();

    const Settings s = storedSettings();
    EXPECT_FALSE(s.preAlarm);
    EXPECT_EQ(s.alarmSkipMinute, 15);
    EXPECT_TRUE(s.showTask);
    EXPECT_TRUE(s.topMost);
    EXPECT_EQ(m_board.staysOnTop, std::vector<bool>{true}) << "on top at once";
    EXPECT_NE(m_presence->taskBarProxy(), nullptr) << "a task-bar button at once";
    EXPECT_EQ(s.interval, 33);
    EXPECT_EQ(s.windowSize, Big);
    EXPECT_EQ(s.backColor, 0x123456u);
    EXPECT_TRUE(s.fontBold);
    EXPECT_EQ(s.fontSize, 12);
    EXPECT_EQ(s.lastPositionX, 40);
    EXPECT_EQ(s.lastPositionY, 50);
    EXPECT_EQ(s.soundPath(), m_wav);
    EXPECT_TRUE(s.saveLastPosition) << "the apply writes the position with the flag forced";
    EXPECT_FALSE(m_state->settings.values().saveLastPosition)
        << "the user's choice stays in memory";
    EXPECT_EQ(m_state->settings.values().interval, 33);

    EXPECT_EQ(storedWidth("WindowSize"), 2);
    EXPECT_EQ(storedWidth("FontSize"), 2);
    EXPECT_EQ(storedWidth("LastPositionX"), 2);
    EXPECT_EQ(storedWidth("BackColor"), 4);
    EXPECT_EQ(storedWidth("ForeColor2"), 4);
    EXPECT_EQ(storedWidth("Interval"), 2);

    ASSERT_EQ(m_board.layouts.size(), 1u);
    EXPECT_EQ(m_board.layouts.back(), Big);
    EXPECT_FALSE(m_dialog->optionsChanged());
    EXPECT_FALSE(button("cmdApply")->isEnabled());
    EXPECT_TRUE(m_dialog->isVisible() || !m_dialog.isNull());
}

// The login box against the autostart entry as the user and the desktop
// leave it: what the box shows, what OK does to the file, what is stored.
TEST_F(OptionsDialogTest, StartAtLoginFollowsAndKeepsTheUsersAutostartEntry) {
    enum class Then { TickLogin, UntickLogin, OtherOption };
    struct Case {
        const char* what;
        const char* entry; // the file before, or none
        bool readOnlyFolder;
        bool shownTicked;
        Then then;
        const char* after; // the file after: "=" unchanged, or lines it holds, or none
        const char* lacks; // a line the file no longer holds
        bool stored;
        const char* message; // part of the message shown, or none
    };
    const QByteArray userEntry = "[Desktop Entry]\nType=Application\nName=Tanzo\n"
                                 "Exec=/opt/tanzo/tanzo\nX-User-Key=kept\n";
    const Case cases[] = {
        {"no entry: ticking writes the launcher", nullptr, false, false, Then::TickLogin,
         "\nExec=@APP@\nTryExec=@APP@\n", nullptr, true, nullptr},
        {"switched off in the desktop's settings", "X-GNOME-Autostart-enabled=false\n", false,
         false, Then::OtherOption, "=", nullptr, false, nullptr},
        {"hidden, with spaces: ticking keeps the user's lines", "Hidden = true\n", false, false,
         Then::TickLogin, "\nExec=/opt/tanzo/tanzo\nX-User-Key=kept\n", "Hidden = true", true,
         nullptr},
        {"the user's keys across an unrelated OK", "X-GNOME-Autostart-enabled = true\n", false,
         true, Then::OtherOption, "=", nullptr, true, nullptr},
        {"unticking removes the entry", "", false, true, Then::UntickLogin, nullptr, nullptr, false,
         nullptr},
        {"read-only folder: the file and reason shown, nothing stored", nullptr, true, false,
         Then::TickLogin, nullptr, nullptr, false, "/autostart"},
    };
    const QString app = QCoreApplication::applicationFilePath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.filePath(QStringLiteral("config"))));
        const QString folder = config.filePath(QStringLiteral("config/autostart"));
        const QString entry = folder + QStringLiteral("/tanzo.desktop");
        ASSERT_TRUE(QDir().mkpath(folder));
        QByteArray before;
        if (c.entry) {
            before = userEntry + c.entry;
            QFile f(entry);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        if (c.readOnlyFolder) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            // Permissions do not hold for root; a file where the folder
            // should be stops the write all the same.
            if (QFileInfo(folder).isWritable()) {
                ASSERT_TRUE(QDir(folder).removeRecursively() &&
                            QFile(folder).open(QIODevice::WriteOnly));
            }
        }
        m_prompts.boxes.clear();
        const bool setting = !c.shownTicked; // the entry, not the setting, is shown
        m_state->settings.update([&](Settings& s) { s.startAtLogin = setting; });
        QFile::remove(m_store->filePath());
        open();
        EXPECT_EQ(check("chkLogin")->isChecked(), c.shownTicked);
        if (c.then == Then::OtherOption)
            check("chkWindow_0")->toggle();
        else
            check("chkLogin")->setChecked(c.then == Then::TickLogin);
        button("cmdOK")->click();

        QFile after(entry);
        const bool exists = after.open(QIODevice::ReadOnly);
        const QByteArray text = exists ? after.readAll() : QByteArray();
        if (!c.after) {
            EXPECT_FALSE(exists) << text.toStdString();
        } else if (QByteArray(c.after) == "=") {
            EXPECT_EQ(text, before);
        } else {
            EXPECT_TRUE(text.contains(QByteArray(c.after).replace("@APP@", app.toUtf8())))
                << text.toStdString();
        }
        if (c.lacks) {
            EXPECT_FALSE(text.contains(c.lacks)) << text.toStdString();
        }
        EXPECT_EQ(storedSettings().startAtLogin, c.stored);
        if (c.message) {
            ASSERT_EQ(m_prompts.boxes.size(), 1u);
            EXPECT_TRUE(m_prompts.boxes[0].text.startsWith(OptionsDialog::kWriteFailedMessage));
            EXPECT_TRUE(m_prompts.boxes[0].text.contains(QString::fromUtf8(c.message)))
                << m_prompts.boxes[0].text.toStdString();
            EXPECT_EQ(m_state->settings.values().startAtLogin, setting);
        } else {
            EXPECT_TRUE(m_prompts.boxes.empty()) << m_prompts.boxes.front().text.toStdString();
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        delete m_dialog.data();
    }
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(OptionsDialogTest, ApplyKeepsOldColoursForTheBoard) {
    m_state->settings.update([&](Settings& s) {
        s.foreColor1 = 0xFFFFFF;
        s.foreColor2 = 0xFFFF00;
    });
    open();
    m_pickers.setNextColorAnswer(0x00FF00);
    button("cmdColorC")->click(); // the first preview is selected
    option("optFont_1")->setChecked(true);
    m_pickers.setNextColorAnswer(0x0000FF);
    button("cmdColorC")->click();
    button("cmdApply")->click();
    EXPECT_EQ(m_state->settings.values().foreColor1, 0x00FF00u);
    EXPECT_EQ(m_state->settings.values().foreColor2, 0x0000FFu);
}

TEST_F(OptionsDialogTest, SameColourOrCancelledPickerLeavesDialogUnchanged) {
    open();
    m_pickers.setNextColorAnswer(m_state->settings.values().backColor);
    button("cmdColorB")->click();
    m_pickers.setNextColorAnswer(std::nullopt);
    button("cmdColorC")->click();
    m_pickers.setNextFontAnswer(std::nullopt);
    button("cmdFont")->click();
    EXPECT_FALSE(m_dialog->optionsChanged());
}

TEST_F(OptionsDialogTest, FontPickerAndSizeOptionsHoldTheBoardCaps) {
    m_state->settings.update([&](Settings& s) { s.windowSize = Big; });
    open();
    m_pickers.setNextFontAnswer(options::FontChoice{QStringLiteral("IPAGothic"), false, false, 12});
    button("cmdFont")->click();
    EXPECT_EQ(child<QLabel>("lblFont_1")->font().pointSize(), 12) << "both previews share it";
    option("optSize_1")->setChecked(true);
    EXPECT_EQ(child<QLabel>("lblFont_0")->font().pointSize(), 11);
    option("optSize_0")->setChecked(true);
    EXPECT_EQ(child<QLabel>("lblFont_0")->font().pointSize(), 11) << "大 does not restore 12";
    option("optSize_2")->setChecked(true);
    m_pickers.setNextFontAnswer(options::FontChoice{QStringLiteral("IPAGothic"), false, false, 14});
    button("cmdFont")->click();
    EXPECT_EQ(child<QLabel>("lblFont_0")->font().pointSize(), 9);
}

TEST_F(OptionsDialogTest, SoundPathMustExistBeforeAnythingIsWritten) {
    open();
    edit("txtPath")->setText(m_dir.filePath(QStringLiteral("gone.wav")));
    button("cmdOK")->click();
    ASSERT_EQ(m_prompts.boxes.size(), 1u);
    EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Exclamation);
    EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("ヨルカ設定"));
    EXPECT_EQ(m_prompts.boxes[0].text, QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽを正しく指定してください。"));
    EXPECT_FALSE(QFile::exists(m_store->filePath()));
    EXPECT_FALSE(m_dialog.isNull()) << "the dialog stays open";
    EXPECT_TRUE(m_dialog->optionsChanged());

    // Existing files whose path the settings store would keep as something
    // else, or not at all.
    // Short enough for the box, too long in bytes: two bytes a character.
    const QString kanji(80, QChar(u'日'));
    const QString deep = m_dir.filePath(kanji + QLatin1Char('/') + kanji);
    ASSERT_TRUE(QDir().mkpath(deep));
    const struct {
        QString path;
        QString message;
    } unstorable[] = {
        {m_dir.filePath(QStringLiteral("bell€.wav")),
         QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽに保存できない文字が含まれています。")},
        {m_dir.filePath(QStringLiteral("köln😀.wav")),
         QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽに保存できない文字が含まれています。")},
        {deep + QStringLiteral("/f.wav"),
         QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙのﾊﾟｽが長すぎます。255ﾊﾞｲﾄ以内で指定してください。")},
    };
    for (const auto& u : unstorable) {
        SCOPED_TRACE(u.path.toStdString());
        QFile wav(u.path);
        ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
        wav.close();
        m_prompts.boxes.clear();
        edit("txtPath")->setText(u.path);
        button("cmdApply")->click();
        ASSERT_EQ(m_prompts.boxes.size(), 1u);
        EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Exclamation);
        EXPECT_EQ(m_prompts.boxes[0].text, u.message);
        EXPECT_FALSE(QFile::exists(m_store->filePath()));
        EXPECT_TRUE(m_dialog->optionsChanged());
    }
    m_prompts.boxes.clear();

    // With the sound off the path is not checked and the stored path is emptied.
    check("chkAlarm_2")->setChecked(false);
    button("cmdApply")->click();
    EXPECT_TRUE(m_prompts.boxes.empty());
    EXPECT_TRUE(storedSettings().soundFileName.isEmpty());
}

TEST_F(OptionsDialogTest, UnreadableNumbersAreRefusedAndNothingIsStored) {
    const Settings before = m_state->settings.values();
    struct Case {
        const char* box;
        QString text;
        bool checkPos;
    };
    const Case cases[] = {
        {"txtInterval", QString(), false},
        {"txtMin_0", QStringLiteral("a"), false}, // pasted past the key filter
        {"txtPosX", QString(), true},
        {"txtPosY", QStringLiteral("x1"), true},
    };
    for (const Case& c : cases) {
        m_prompts.boxes.clear();
        open();
        check("chkPos")->setChecked(c.checkPos);
        edit(c.box)->setText(c.text);
        check("chkWindow_0")->setChecked(true); // clearing a position box alone changes nothing
        button("cmdApply")->click();
        ASSERT_EQ(m_prompts.boxes.size(), 1u) << c.box;
        EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Exclamation);
        EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("ヨルカ設定"));
        EXPECT_FALSE(m_prompts.boxes[0].text.isEmpty());
        EXPECT_FALSE(QFile::exists(m_store->filePath())) << c.box;
        EXPECT_EQ(m_state->settings.values(), before) << c.box;
        EXPECT_TRUE(m_board.layouts.empty());
        delete m_dialog.data();
    }
}

TEST_F(OptionsDialogTest, FailedWriteIsReportedAndKeepsTheDialogChanged) {
    open();
    edit("txtInterval")->setText(QStringLiteral("20"));
    m_failures.failAfterWrites = 0;
    button("cmdOK")->click();
    ASSERT_EQ(m_prompts.boxes.size(), 1u);
    EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Critical);
    EXPECT_EQ(m_prompts.boxes[0].text, QStringLiteral("設定内容の更新に失敗しました。"));
    EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("ヨルカ設定"));
    EXPECT_FALSE(m_dialog.isNull());
    EXPECT_TRUE(m_dialog->optionsChanged());
    EXPECT_TRUE(m_board.layouts.empty());
    EXPECT_EQ(m_state->settings.values().interval, 10) << "what was not stored is not in use";
}

TEST_F(OptionsDialogTest, PositionOptionsMoveTheBoardLiveAndCancelPutsItBack) {
    m_state->settings.update([&](Settings& s) {
        s.lastPositionX = 30;
        s.lastPositionY = 40;
    });
    open();
    check("chkPos")->setChecked(true);
    option("optPosX_2")->setChecked(true);
    const int right = screen().width() - m_board.rect.width();
    EXPECT_EQ(m_board.rect.left(), right);
    EXPECT_EQ(edit("txtPosX")->text(), QString::number(right));
    EXPECT_FALSE(edit("txtPosX")->isEnabled());
    option("optPosY_2")->setChecked(true);
    EXPECT_EQ(m_board.rect.top(), screen().height() - m_board.rect.height());
    EXPECT_TRUE(m_dialog->optionsChanged());

    option("optPosX_3")->setChecked(true);
    EXPECT_TRUE(edit("txtPosX")->isEnabled());
    edit("txtPosX")->setText(QStringLiteral("1"));
    edit("txtPosX")->setText(QStringLiteral("12"));
    EXPECT_EQ(m_board.rect.left(), 12);
    edit("txtPosX")->setText(QStringLiteral("9999"));
    EXPECT_EQ(edit("txtPosX")->text(), QString::number(right)) << "held to the maximum";

    button("cmdCancel")->click();
    ASSERT_EQ(m_board.placements.size(), 1u);
    EXPECT_EQ(m_board.placements[0].focus, Focus::Take);
    EXPECT_EQ(m_board.placements[0].rect, QRect(30, 40, 410, 94));
    flushDeletes();
    EXPECT_TRUE(m_dialog.isNull()) << "deleted on close";
    EXPECT_FALSE(QFile::exists(m_store->filePath()));
}

TEST_F(OptionsDialogTest, EscapeCancelsButCloseBoxLeavesTheBoard) {
    open();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_dialog.data(), &escape);
    EXPECT_EQ(m_board.placements.size(), 1u);
    flushDeletes();
    EXPECT_TRUE(m_dialog.isNull());

    open();
    m_dialog->close();
    EXPECT_EQ(m_board.placements.size(), 1u) << "the close box does not move the board back";

    // Enter presses the focused button; OK is the default only elsewhere.
    const auto enterOn = [&](QWidget* focus) {
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog));
        focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };
    open();
    check("chkWindow_0")->setChecked(true);
    enterOn(button("cmdCancel"));
    flushDeletes();
    EXPECT_TRUE(m_dialog.isNull());
    EXPECT_FALSE(QFile::exists(m_store->filePath())) << "Enter on ｷｬﾝｾﾙ stored the options";
    open();
    check("chkWindow_0")->setChecked(true);
    enterOn(edit("txtInterval"));
    EXPECT_TRUE(storedSettings().showTask);
}

TEST_F(OptionsDialogTest, ClearingAPositionBoxLeavesTheBoard) {
    open();
    const size_t moves = m_board.moves.size();
    edit("txtPosY")->setText(QString());
    EXPECT_EQ(m_board.moves.size(), moves);
    EXPECT_FALSE(m_dialog->optionsChanged());
}

TEST_F(OptionsDialogTest, BoardLargerThanScreenSettlesOnZero) {
    m_board.rect = QRect(5, 5, screen().width() + 200, screen().height() + 100);
    open(); // would never return if the two corrections replaced each other
    EXPECT_EQ(edit("txtPosX")->text(), QStringLiteral("0"));
    EXPECT_EQ(edit("txtPosY")->text(), QStringLiteral("0"));
    option("optPosX_2")->setChecked(true);
    EXPECT_EQ(edit("txtPosX")->text(), QStringLiteral("0"));
    EXPECT_EQ(m_board.rect.left(), 0);
}

TEST_F(OptionsDialogTest, TrayModeLeavesPositionAlone) {
    m_board.inTray = true;
    open();
    EXPECT_TRUE(edit("txtPosX")->text().isEmpty());
    EXPECT_FALSE(check("chkPos")->isEnabled());
    EXPECT_TRUE(m_board.moves.empty());
    button("cmdCancel")->click();
    EXPECT_TRUE(m_board.placements.empty());
}

TEST_F(OptionsDialogTest, DraggingTheBoardSelectsExplicitPositions) {
    open();
    option("optPosX_0")->setChecked(true);
    m_board.rect.moveTo(222, 111); // where the drag has put the board
    m_dialog->followBoardDrag(222, 111);
    EXPECT_TRUE(option("optPosX_3")->isChecked());
    EXPECT_TRUE(option("optPosY_3")->isChecked());
    EXPECT_EQ(edit("txtPosX")->text(), QStringLiteral("222"));
    EXPECT_EQ(edit("txtPosY")->text(), QStringLiteral("111"));
    EXPECT_EQ(m_board.rect.topLeft(), QPoint(222, 111));
    EXPECT_TRUE(button("cmdOK")->isEnabled());
}

TEST_F(OptionsDialogTest, ChangesFromTheBoardMenuWhileOpenAreShownNotUndone) {
    open();
    edit("txtInterval")->setText(QStringLiteral("20"));
    m_state->settings.update([](Settings& s) {
        s.topMost = true;
        s.windowSize = Middle;
    });
    EXPECT_TRUE(check("chkWindow_1")->isChecked());
    EXPECT_TRUE(option("optSize_1")->isChecked());
    button("cmdOK")->click();
    const Settings stored = storedSettings();
    EXPECT_TRUE(stored.topMost) << "OK put back what the dialog showed at its opening";
    EXPECT_EQ(stored.windowSize, Middle);
    EXPECT_EQ(stored.interval, 20);

    open();
    m_state->settings.update([](Settings& s) { s.showTask = true; });
    EXPECT_TRUE(check("chkWindow_0")->isChecked());
    EXPECT_FALSE(button("cmdOK")->isEnabled()) << "the settings already hold it";
}

TEST_F(OptionsDialogTest, OkWithoutChangesJustCloses) {
    open();
    m_dialog->saveAndClose();
    flushDeletes();
    EXPECT_TRUE(m_dialog.isNull());
    EXPECT_FALSE(QFile::exists(m_store->filePath()));
    EXPECT_TRUE(m_board.placements.empty());
}

TEST_F(OptionsDialogTest, SpeedTestFlickersThenRestoresEachPreview) {
    m_state->settings.update([&](Settings& s) {
        s.interval = 1;
        s.foreColor1 = 0x00FF00;
        s.foreColor2 = 0x0000FF;
    });
    open();
    QLabel* first = child<QLabel>("lblFont_0");
    QLabel* second = child<QLabel>("lblFont_1");
    const QString caption0 = first->text();
    const QString caption1 = second->text();
    button("cmdTest")->click();
    ASSERT_TRUE(speedTest().isRunning());
    EXPECT_TRUE(child<QTimer>("tmrSpeedTest")->isActive()) << "paced by its timer";
    // An apply in the middle of the test stores the preview's colour, not the
    // white of the placeholder frames.
    speedTest().showNextFrame();
    ASSERT_EQ(first->text(), QStringLiteral("－－－－－－－－－"));
    check("chkWindow_0")->setChecked(true);
    button("cmdApply")->click();
    EXPECT_EQ(m_state->settings.values().foreColor1, 0x00FF00u);
    int placeholders = 1;
    while (first->text() != caption0) {
        speedTest().showNextFrame();
        if (first->text() == QStringLiteral("－－－－－－－－－")) {
            ++placeholders;
            EXPECT_EQ(fromQColor(first->palette().color(QPalette::WindowText)), 0xFFFFFFu);
        }
        ASSERT_LT(placeholders, 100);
    }
    EXPECT_EQ(placeholders, board::pace::PlaceholderFrames);
    EXPECT_EQ(fromQColor(first->palette().color(QPalette::WindowText)), 0x00FF00u);
    speedTest().showNextFrame(); // end of the first preview
    speedTest().showNextFrame();
    EXPECT_EQ(second->text(), QStringLiteral("－－－－－－－－－"));

    // Emptying the box ends the test and gives the preview its text back.
    edit("txtInterval")->setText(QString());
    speedTest().showNextFrame();
    EXPECT_FALSE(speedTest().isRunning());
    EXPECT_EQ(second->text(), caption1);
    EXPECT_EQ(fromQColor(second->palette().color(QPalette::WindowText)), 0x0000FFu);
}

TEST_F(OptionsDialogTest, BrowseAndPlayUseTheSoundPath) {
    open();
    const QString other = m_dir.filePath(QStringLiteral("other.wav"));
    m_pickers.setNextSoundFileAnswer(other);
    button("cmdBrowse")->click();
    EXPECT_EQ(edit("txtPath")->text(), other);
    EXPECT_TRUE(m_dialog->optionsChanged());
    m_pickers.setNextSoundFileAnswer(QString()); // cancelled
    button("cmdBrowse")->click();
    EXPECT_EQ(edit("txtPath")->text(), other);
    button("cmdPlay")->click();
    EXPECT_EQ(m_sound.played, QStringList{other});
    QCoreApplication::processEvents();
    EXPECT_TRUE(child<QLabel>("lblNoSound")->isHidden()) << "sound plays: nothing to say";
}

// Without an audio device the dialog says so beside the sound controls, also
// to a screen reader on the play button.
TEST_F(OptionsDialogTest, SaysWhenNoSoundCanBePlayed) {
    m_sound.playable = false;
    open().show();
    QCoreApplication::processEvents();
    QLabel* said = child<QLabel>("lblNoSound");
    EXPECT_FALSE(said->isHidden());
    EXPECT_EQ(said->text(), kNoSoundDeviceMessage);
    EXPECT_EQ(button("cmdPlay")->accessibleDescription(), kNoSoundDeviceMessage);
}

TEST_F(OptionsDialogTest, ColourPickerGetsTheStandardCustomColours) {
    open();
    m_pickers.setNextColorAnswer(std::nullopt);
    button("cmdColorB")->click();
    const auto& table = options::standardCustomColors();
    EXPECT_EQ(table[1], 0x00800000u);
    EXPECT_EQ(table[15], 0x00FFFFFFu);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(fromQColor(QColorDialog::customColor(i)), table[static_cast<size_t>(i)]) << i;
}

TEST_F(OptionsDialogTest, OpeningTwiceGivesOneDialog) {
    QPointer<OptionsDialog> slot;
    OptionsDialog* first = openOptionsDialog(slot, *m_state, m_board, *m_repo, m_sound, m_pickers);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(openOptionsDialog(slot, *m_state, m_board, *m_repo, m_sound, m_pickers), nullptr);
    first->close();
    flushDeletes();
    EXPECT_TRUE(slot.isNull());
}

TEST(FontChooser, OffersOnlyTheSizesOfTheBoardSize) {
    const std::pair<int, QStringList> cases[] = {
        {0, {"8", "9", "10", "11", "12", "13", "14"}},
        {1, {"8", "9", "10", "11"}},
        {2, {"8", "9"}},
    };
    for (const auto& [size, expected] : cases) {
        options::FontChooser chooser(QFont(QStringLiteral("IPAGothic"), 12),
                                     options::fontSizeRange(size));
        auto* list = chooser.findChild<QListWidget*>(QStringLiteral("lstSize"));
        ASSERT_NE(list, nullptr);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        EXPECT_EQ(shown, expected) << size;
        // A preview font above the range starts at the largest size offered.
        EXPECT_EQ(chooser.choice().pointSize, std::min(12, expected.last().toInt())) << size;
    }
}

// The subscriptions window's part for the own calendar: nothing set at
// first; an address that is no server is refused with its reason, and
// nothing is written beside the data file.
TEST_F(OptionsDialogTest, OwnCalendarSectionRefusesWhatIsNoServer) {
    ScheduleStore& store = m_state->schedule;
    MemoryPasswords passwords;
    OwnCalendar own(store, m_clock, passwords, [] { return 5; });
    ASSERT_TRUE(own.load());
    OwnCalendarSection section(own);
    section.show();
    auto* status = section.findChild<QLabel*>(QStringLiteral("lblOwnStatus"));
    auto* result = section.findChild<QLabel*>(QStringLiteral("lblOwnResult"));
    auto* url = section.findChild<QLineEdit*>(QStringLiteral("txtOwnUrl"));
    auto* clear = section.findChild<QPushButton*>(QStringLiteral("cmdOwnClear"));
    ASSERT_TRUE(status && result && url && clear);
    EXPECT_EQ(status->text(), QStringLiteral("設定されていません"));
    EXPECT_FALSE(clear->isEnabled());

    url->setText(QStringLiteral("http://calendar.example.org/dav/"));
    section.setCalendar();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return result->text().contains(QStringLiteral("https://")); }, 3000))
        << result->text().toStdString();
    EXPECT_EQ(status->text(), QStringLiteral("設定されていません"));
    EXPECT_FALSE(QFile::exists(paths::ownCalendarStatePath(store.path())));
}

// カレンダー購読... opens the subscriptions' window, where an address is
// checked, a local calendar added after its first sync, and removed again
// once the user agrees; in between its name and interval are changed. A
// connection test that hangs can be stopped.
TEST_F(OptionsDialogTest, SubscriptionsAreAddedAfterATestAndRemoved) {
    open();
    int requested = 0;
    QObject::connect(m_dialog, &OptionsDialog::subscriptionsRequested, [&] { ++requested; });
    QTest::mouseClick(button("cmdSubscriptions"), Qt::LeftButton);
    EXPECT_EQ(requested, 1);

    const QString ics = m_dir.filePath(QStringLiteral("team.ics"));
    QFile f(ics);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VEVENT\r\nUID:u\r\n"
            "DTSTAMP:20270301T000000Z\r\nDTSTART:20270316T100000\r\nSUMMARY:朝会\r\n"
            "END:VEVENT\r\nEND:VCALENDAR\r\n");
    f.close();
    NetworkSyncMachinery subscriptionsNetwork;
    CalendarSubscriptions subscriptions(m_dir.filePath(QStringLiteral("subscriptions.json")),
                                        m_dir.filePath(QStringLiteral("cache")), m_clock);
    subscriptions.setMachinery([&] { return &subscriptionsNetwork; });
    SubscriptionsDialog window(subscriptions);
    window.show();
    auto* url = window.findChild<QLineEdit*>(QStringLiteral("txtUrl"));
    auto* result = window.findChild<QLabel*>(QStringLiteral("lblResult"));
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("lstSubscriptions"));
    ASSERT_TRUE(url && result && list);

    url->setText(QStringLiteral("http://calendar.example.org/team.ics"));
    window.addSubscription();
    EXPECT_TRUE(result->text().contains(QStringLiteral("https://")))
        << result->text().toStdString();
    EXPECT_EQ(list->topLevelItemCount(), 0);

    // A server that takes the connection and never answers: the test is
    // stopped by hand, and nothing is added.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    url->setText(QStringLiteral("http://127.0.0.1:%1/dav/").arg(silent.serverPort()));
    window.addSubscription();
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    EXPECT_TRUE(cancel->isEnabled());
    QTest::qWait(200);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return result->text().contains(QStringLiteral("中止")); }, 3000))
        << result->text().toStdString();
    EXPECT_FALSE(cancel->isEnabled());
    QTest::qWait(200);
    EXPECT_EQ(list->topLevelItemCount(), 0);

    url->setText(ics);
    window.findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(QStringLiteral("チーム"));
    window.addSubscription();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 1; }, 5000))
        << result->text().toStdString();
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("チーム"));
    EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("正常"));
    EXPECT_EQ(list->topLevelItem(0)->text(4), QStringLiteral("1"));
    EXPECT_TRUE(url->text().isEmpty());

    // Changed in place: the selected one takes the form's name and interval.
    list->setCurrentItem(list->topLevelItem(0));
    auto* name = window.findChild<QLineEdit*>(QStringLiteral("txtName"));
    EXPECT_EQ(name->text(), QStringLiteral("チーム"));
    name->setText(QStringLiteral("朝会"));
    window.findChild<QSpinBox*>(QStringLiteral("numInterval"))->setValue(30);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdChange")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return list->topLevelItem(0)->text(0) == QStringLiteral("朝会"); }, 5000))
        << result->text().toStdString();
    EXPECT_EQ(subscriptions.subscriptions().front().refreshMinutes, 30);
    EXPECT_EQ(subscriptions.copyOf(QStringLiteral("朝会")).entryCount(), 1);

    // Removing asks first; "No" keeps it.
    const auto answerRemoval = [&](QMessageBox::StandardButton answer) {
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdRemove")),
                          Qt::LeftButton);
        QMessageBox* ask = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            ask = window.findChild<QMessageBox*>(QStringLiteral("msgConfirmRemove"));
            return ask && ask->isVisible();
        }));
        ASSERT_TRUE(ask);
        EXPECT_TRUE(ask->text().contains(QStringLiteral("朝会")));
        QTest::mouseClick(ask->button(answer), Qt::LeftButton);
        QTest::qWait(0);
    };
    answerRemoval(QMessageBox::No);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(subscriptions.subscriptions().size(), 1u);
    answerRemoval(QMessageBox::Yes);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(subscriptions.subscriptions().empty());
}

// A server's address lists its calendars with check boxes (the answers
// Radicale gave for a calendar home, served for every request); the one
// ticked is added under its display name.
TEST_F(OptionsDialogTest, AServersCalendarsAreListedAndTheChosenAdded) {
    QFile home(QStringLiteral(TANZO_DAV_ANSWERS "/radicale-home.xml"));
    ASSERT_TRUE(home.open(QIODevice::ReadOnly));
    const QByteArray body = home.readAll();
    const QByteArray answer = "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\n"
                              "Content-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
                socket->setProperty("head",
                                    socket->property("head").toByteArray() + socket->readAll());
                const QByteArray head = socket->property("head").toByteArray();
                const qsizetype end = head.indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                // The whole request, body too, before the answer.
                const qsizetype at = head.toLower().indexOf("content-length:");
                const qsizetype length = at < 0
                                             ? 0
                                             : head.mid(at + 15, head.indexOf("\r\n", at) - at - 15)
                                                   .trimmed()
                                                   .toLongLong();
                if (head.size() < end + 4 + length)
                    return;
                socket->setProperty("head", QByteArray());
                socket->write(answer);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    NetworkSyncMachinery subscriptionsNetwork;
    CalendarSubscriptions subscriptions(m_dir.filePath(QStringLiteral("subscriptions.json")),
                                        m_dir.filePath(QStringLiteral("cache")), m_clock);
    subscriptions.setMachinery([&] { return &subscriptionsNetwork; });
    SubscriptionsDialog window(subscriptions);
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("txtUrl"))
        ->setText(QStringLiteral("http://127.0.0.1:%1/tanzo/").arg(server.serverPort()));
    window.addSubscription();
    auto* found = window.findChild<QListWidget*>(QStringLiteral("lstFound"));
    auto* result = window.findChild<QLabel*>(QStringLiteral("lblResult"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return found->count() == 2; }, 5000))
        << result->text().toStdString();
    EXPECT_TRUE(found->item(0)->text().startsWith(QStringLiteral("仕事")));
    EXPECT_TRUE(found->item(1)->text().startsWith(QStringLiteral("家族 & 友人")));
    found->item(0)->setCheckState(Qt::Checked);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdAddChosen")),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return subscriptions.subscriptions().size() == 1; }, 5000))
        << result->text().toStdString();
    EXPECT_EQ(subscriptions.subscriptions().front().name, QStringLiteral("仕事"));
    EXPECT_EQ(subscriptions.subscriptions().front().url.path(), QStringLiteral("/tanzo/work/"));
}

} // namespace
