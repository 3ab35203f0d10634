
#include "core/AppContext.h"
#include "options/HelpViewer.h"
#include "options/VersionWindow.h"
#include "support/FakeBoard.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/RecordingSoundPlayer.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tanzo;

namespace {

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class VersionWindowTest : public ::testing::Test {
protected:
    void TearDown() override { delete m_slot.data(); }

    test::ManualClock m_clock;
    test::RecordingPrompts m_prompts;
    AppContext m_state{m_clock, QStringLiteral("/tmp/"), m_prompts};
    test::FakeBoard m_board;
    test::RecordingSoundPlayer m_sound;
    QPointer<VersionWindow> m_slot;
};

TEST_F(VersionWindowTest, ShowsVersionTextAndPlaysTheSound) {
    m_state.settings.update([&](Settings& s) {
        s.soundDirectory = QStringLiteral("/snd/");
        s.soundFileName = QStringLiteral("a.wav");
        s.alarmSound = false; // played all the same
    });
    VersionWindow* w = showVersionWindow(m_slot, m_state, m_board, m_sound);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QStringLiteral("frmVersion"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    const QString text = w->findChild<QLabel*>(QStringLiteral("lblComment"))->text();
    EXPECT_TRUE(text.startsWith(kAppTitle));
    EXPECT_TRUE(text.contains(QStringLiteral("1.7.1")));
    EXPECT_FALSE(w->findChild<QLabel*>(QStringLiteral("imgIcon"))->pixmap().isNull());
    EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("cmdOk"))->isDefault());
    EXPECT_EQ(m_sound.played, QStringList{QStringLiteral("/snd/a.wav")});
    EXPECT_EQ(m_prompts.beeps, 0);
    EXPECT_TRUE(w->isVisible());
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((w->geometry().center() - centre).manhattanLength(), 2)
        << "centred on the primary screen, wherever the board is";
}

TEST_F(VersionWindowTest, AtMostOneWindowAndNoSecondSound) {
    ASSERT_NE(showVersionWindow(m_slot, m_state, m_board, m_sound), nullptr);
    EXPECT_EQ(showVersionWindow(m_slot, m_state, m_board, m_sound), nullptr);
    EXPECT_EQ(m_sound.played.size(), 1);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_slot.data(), &escape);
    flushDeletes();
    EXPECT_TRUE(m_slot.isNull()) << "Escape closes the window";
    EXPECT_NE(showVersionWindow(m_slot, m_state, m_board, m_sound), nullptr);
}

TEST_F(VersionWindowTest, BeepsWithoutASoundFile) {
    m_state.settings.update([&](Settings& s) {
        s.soundDirectory.clear();
        s.soundFileName.clear();
    });
    ASSERT_NE(showVersionWindow(m_slot, m_state, m_board, m_sound), nullptr);
    EXPECT_TRUE(m_sound.played.isEmpty());
    EXPECT_EQ(m_prompts.beeps, 1);
}

TEST(HelpContents, MissingHelpSaysSo) {
    QTemporaryDir empty;
    test::RecordingPrompts prompts;
    EXPECT_FALSE(showHelpContentsFrom(prompts, nullptr, empty.path()));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 "
                             "このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。"));
    EXPECT_EQ(prompts.boxes[0].icon, msgbox::Icon::Information);
    EXPECT_TRUE(prompts.boxes[0].caption.isEmpty());
}

TEST(HelpContents, OpensOneViewerAtTheContents) {
    QTemporaryDir dir;
    const auto write = [&](const char* name, const char* html) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html><head><meta charset=\"utf-8\"><title>");
        file.write(name);
        file.write("</title></head><body>");
        file.write(html);
        file.write("</body></html>");
    };
    write("index.html", "<h1>目次</h1><p><a href=\"keys.html\">キー操作</a></p>");
    write("keys.html", "<h1>キー操作</h1><p>F1 ヘルプ</p>");

    test::RecordingPrompts prompts;
    ASSERT_TRUE(showHelpContentsFrom(prompts, nullptr, dir.path()));
    ASSERT_TRUE(showHelpContentsFrom(prompts, nullptr, dir.path()));
    int viewers = 0;
    QWidget* viewer = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("HelpViewer") && w->isVisible()) {
            ++viewers;
            viewer = w;
        }
    EXPECT_EQ(viewers, 1);
    ASSERT_NE(viewer, nullptr);
    auto* page = viewer->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("目次")));

    // A screen reader finds a document with the page's text, not a label.
    QAccessibleInterface* document = QAccessible::queryAccessibleInterface(page);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->role(), QAccessible::Document);
    QAccessibleTextInterface* text = document->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text(0, text->characterCount()).contains(QStringLiteral("キー操作")));
    EXPECT_EQ(document->childCount(), 0);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(viewer);
    EXPECT_EQ(window->role(), QAccessible::Window);

    // A link leads on; 戻る comes back and 目次 goes home.
    auto* back = viewer->findChild<QPushButton*>(QStringLiteral("cmdBack"));
    auto* home = viewer->findChild<QPushButton*>(QStringLiteral("cmdHome"));
    ASSERT_NE(back, nullptr);
    ASSERT_NE(home, nullptr);
    EXPECT_FALSE(back->isEnabled());
    page->setSource(QUrl(QStringLiteral("keys.html")));
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("F1 ヘルプ")));
    EXPECT_TRUE(back->isEnabled());
    back->click();
    EXPECT_FALSE(page->toPlainText().contains(QStringLiteral("F1 ヘルプ")));
    page->setSource(QUrl(QStringLiteral("keys.html")));
    home->click();
    EXPECT_TRUE(page->source().fileName() == QStringLiteral("index.html"));

    // Escape closes it, from the page that has the focus.
    QPointer<QWidget> alive(viewer);
    viewer->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer));
    QTest::keyClick(page, Qt::Key_Escape);
    flushDeletes();
    EXPECT_TRUE(alive.isNull());
}

TEST(HelpContents, ShippedContentsExist) {
    const QString dir = QStringLiteral(TANZO_HELP_SOURCE_DIR);
    for (const char* page :
         {"index.html", "board.html", "editor.html", "options.html", "notices.html", "keys.html"}) {
        QFile file(dir + QLatin1Char('/') + QLatin1String(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("charset=\"utf-8\""))) << page;
    }
}

} // namespace
