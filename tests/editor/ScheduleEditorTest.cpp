#include "editor/ScheduleEditor.h"
#include "../support/TestEntries.h"
#include "QtPrinters.h"
#include "calendarmodule/CalendarImport.h"
#include "core/AppContext.h"
#include "editor/ListLine.h"
#include "platform/Twips.h"
#include "services/CalendarServices.h"
#include "subscriptions/NetworkSyncMachinery.h"
#include "support/FailingWriters.h"
#include "support/ManualClock.h"
#include "support/RecordingPrompts.h"
#include "support/StoredEntries.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

namespace tanzo {
namespace {

const QString kSp = QStringLiteral("\u3000");
QString ideo(int n) {
    return QString(n, QChar(u'\u3000'));
}

QString shownLine(const ScheduleEntry& e) {
    return shownListLine(fieldsFromEntry(e));
}

ScheduleEntry stored(QDate date, int hour, int minute, int16_t status, const QString& place,
                     const QString& comment, bool flags = false) {
    return test::makeEntry(date, hour, minute, status, place, comment, flags, flags);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The editor opens on 2000-09-06 at 14:05.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        EXPECT_TRUE(test::storeEntries(m_state.schedule, placeholderDayList()));
    }
    void TearDown() override { delete m_editor.data(); }

    void open() {
        QObject::connect(&m_state.schedule, &ScheduleStore::changed, &m_state.schedule,
                         [this] { ++m_announced; });
        m_editor = new ScheduleEditor(m_state);
        m_editor->show();
        m_editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_editor));
    }
    template <typename T> T* find(const char* name) {
        T* w = m_editor->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* combo(const char* name) { return find<QComboBox>(name); }
    QPushButton* button(const char* name) { return find<QPushButton>(name); }
    QLineEdit* text(const char* name) { return find<QLineEdit>(name); }
    QListWidget* list() { return find<QListWidget>("lstSchedule"); }

    // What the toolkit does when the user picks an item from a list.
    void choose(const char* name, const QString& item) {
        QComboBox* box = combo(name);
        const int index = box->findText(item);
        ASSERT_GE(index, 0) << name << " has no " << item.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void selectRow(int row) {
        list()->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        emit list()->itemClicked(list()->item(row));
    }
    void typeInto(QWidget* w, const QString& keys) {
        w->setFocus();
        for (QChar c : keys) {
            // Characters beyond ASCII arrive as a key the keyboard cannot name.
            if (c.unicode() < 0x80)
                QTest::keyClick(w, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    // Composes 2000-09-<day> hh:mm through the controls, with typed time.
    void compose(const QString& day, const QString& hour, const QString& minute,
                 const QString& place, const QString& comment) {
        choose("cboYear", "2000");
        choose("cboMonth", "09");
        choose("cboDay", day);
        choose("cboStatus", QStringLiteral("重要"));
        typeInto(text("txtPlace"), place);
        typeInto(combo("cboHour"), hour);
        QTest::keyClick(combo("cboHour"), Qt::Key_Tab);
        typeInto(combo("cboMin"), minute);
        QTest::keyClick(combo("cboMin"), Qt::Key_Tab);
        typeInto(text("txtComment"), comment);
    }
    QStringList lines() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }
    void closeAndFlush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir m_dir;
    test::ManualClock m_clock{QDateTime(QDate(2000, 9, 6), QTime(14, 5, 0))};
    test::RecordingPrompts m_prompts;
    test::WriteFailures m_failures;
    AppContext m_state{m_clock, m_dir.path() + QLatin1Char('/'), m_prompts, m_failures.factory()};
    QPointer<ScheduleEditor> m_editor;
    int m_announced = 0; // changes the store announced since the editor opened
};

TEST_F(EditorTest, FormHasItsNamesCaptionsPlacesAndColours) {
    open();
    EXPECT_EQ(m_editor->objectName(), "frmSchedule");
    EXPECT_EQ(m_editor->windowTitle(), QStringLiteral("スケジュール登録"));
    EXPECT_TRUE(m_editor->testAttribute(Qt::WA_DeleteOnClose));
    const Twips t = Twips::fromPrimaryScreen();
    EXPECT_EQ(m_editor->size(), QSize(t.toPixels(6945), t.toPixels(4815)));
    EXPECT_EQ(button("cmdOk")->geometry(),
              QRect(t.toPixels(2985), t.toPixels(4335), t.toPixels(1155), t.toPixels(405)));
    EXPECT_EQ(button("cmdDel")->parentWidget()->objectName(), "fraSchedule");
    EXPECT_EQ(button("cmdCancel")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(find<QGroupBox>("fraSchedule")->title(), QStringLiteral("登録されている予定"));
    EXPECT_EQ(m_editor->palette().color(QPalette::Window), QColor(0, 64, 0));
    EXPECT_EQ(find<QGroupBox>("fraTime")->palette().color(QPalette::WindowText),
              QColor(0, 255, 255));
    EXPECT_EQ(list()->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(text("txtPlace")->maxLength(), 7);
    EXPECT_FALSE(combo("cboYear")->isEditable());
    EXPECT_TRUE(combo("cboHour")->isEditable());
    EXPECT_FALSE(combo("cboHour")->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(EditorTest, TimeBoxesShowTwoDigitsWhole) {
    // At the form's narrow width the drop-down arrow must leave room for
    // "00".."59"; otherwise the box scrolls and the first digit is cut off.
    open();
    for (const char* name : {"cboHour", "cboMin"}) {
        QLineEdit* edit = combo(name)->lineEdit();
        ASSERT_NE(edit, nullptr) << name;
        const QMargins margins = edit->textMargins();
        // QLineEdit keeps two pixels on either side and one for the cursor.
        const int room = edit->contentsRect().width() - margins.left() - margins.right() - 5;
        EXPECT_GE(room, edit->fontMetrics().horizontalAdvance(QStringLiteral("88")))
            << name << " is " << combo(name)->width() << " px wide";
    }
}

TEST_F(EditorTest, TabVisitsTheControlsInTheirOrder) {
    open();
    const QStringList expected{"cboYear",   "cboMonth",    "cboDay",     "cboStatus", "txtPlace",
                               "cboHour",   "cboMin",      "txtComment", "cmdAdd",    "cmdUpdate",
                               "cmdClear",  "lstSchedule", "cmdChange",  "cmdDel",    "cmdOk",
                               "cmdCancel", "cmdApply",    "cmdCopy"};
    // The focus chain, with an editable box's own text field counted as the
    // box, from the year onwards.
    QStringList visited;
    QWidget* w = combo("cboYear");
    for (int steps = 0; steps < 200 && visited.size() < expected.size(); ++steps) {
        QWidget* named = w;
        if (named->objectName().isEmpty() && qobject_cast<QComboBox*>(named->parentWidget()))
            named = named->parentWidget();
        const QString name = named->objectName();
        if (expected.contains(name) && (visited.isEmpty() || visited.last() != name))
            visited << name;
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(EditorTest, OpensWithTheDayListReversedAndOnlyTheYearInUse) {
    const ScheduleEntry e1 = stored(QDate(2000, 9, 5), 10, 0, 1, "A", "a");
    const ScheduleEntry e2 = stored(QDate(2000, 9, 8), 9, 30, 3, "B", "b");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {e1, e2}));
    open();
    EXPECT_EQ(lines(), QStringList({shownLine(e2), shownLine(e1)}));
    EXPECT_EQ(combo("cboYear")->count(), 1);
    EXPECT_EQ(combo("cboYear")->currentIndex(), -1);
    EXPECT_EQ(combo("cboStatus")->count(), 3);
    EXPECT_FALSE(combo("cboMonth")->isEnabled());
    EXPECT_FALSE(find<QGroupBox>("fraStatus")->isEnabled());
    for (const char* name :
         {"cmdAdd", "cmdUpdate", "cmdClear", "cmdCopy", "cmdChange", "cmdDel", "cmdOk", "cmdApply"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    EXPECT_TRUE(button("cmdCancel")->isEnabled());
    EXPECT_TRUE(button("cmdOk")->isDefault());
    EXPECT_TRUE(find<QGroupBox>("fraSchedule")->isEnabled());
}

TEST_F(EditorTest, PlaceholderOnlyGivesAnEmptyListOutOfUse) {
    open();
    EXPECT_EQ(list()->count(), 0);
    EXPECT_FALSE(find<QGroupBox>("fraSchedule")->isEnabled());
}

TEST_F(EditorTest, ComposeThroughTheControlsAndAddWithEnter) {
    open();
    choose("cboYear", "2000");
    choose("cboMonth", "09");
    choose("cboDay", "06");
    // The opening day offers nothing before 14:05.
    EXPECT_EQ(combo("cboHour")->itemText(0), "14");
    compose("06", "14", "05", QStringLiteral("会議室"), QStringLiteral("打合せ"));
    // Chosen, a box is still read by what it is for; the choice is its value.
    for (const auto& [name, spoken, value] :
         {std::tuple{"cboStatus", "ステータス", "重要"}, std::tuple{"cboDay", "日", "06"}}) {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(combo(name));
        EXPECT_EQ(box->text(QAccessible::Name), QString::fromUtf8(spoken));
        EXPECT_EQ(box->text(QAccessible::Value), QString::fromUtf8(value));
        EXPECT_EQ(box->role(), QAccessible::ComboBox);
    }
    EXPECT_TRUE(button("cmdAdd")->isEnabled());
    EXPECT_TRUE(button("cmdAdd")->isDefault());
    QTest::keyClick(text("txtComment"), Qt::Key_Return);
    const QString expected = QStringLiteral("2000/09/06 | 重要") + kSp +
                             QStringLiteral(" | 会議室") + ideo(4) +
                             QStringLiteral(" | 14:05 | 打合せ");
    EXPECT_EQ(lines(), QStringList({expected}));
    EXPECT_TRUE(m_editor->isDirty());
    EXPECT_TRUE(button("cmdOk")->isEnabled());
    EXPECT_TRUE(button("cmdOk")->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), list());
    EXPECT_EQ(combo("cboYear")->currentIndex(), -1);
    EXPECT_TRUE(text("txtPlace")->text().isEmpty());
}

TEST_F(EditorTest, TypedHourIsCheckedOnLeaving) {
    open();
    choose("cboYear", "2000");
    choose("cboMonth", "09");
    choose("cboDay", "06");
    for (const char* typed : {"24", "9"}) {
        m_prompts.boxes.clear();
        combo("cboHour")->clearEditText();
        typeInto(combo("cboHour"), typed);
        QTest::keyClick(combo("cboHour"), Qt::Key_Tab);
        ASSERT_EQ(m_prompts.boxes.size(), 1u) << typed;
        EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Exclamation);
        EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("スケジュール登録"));
        EXPECT_EQ(m_prompts.boxes[0].text, QStringLiteral("開始時刻（時）が正しくありません。"));
        EXPECT_EQ(QApplication::focusWidget(), combo("cboHour")) << typed;
        EXPECT_EQ(combo("cboHour")->currentText(), typed);
    }
    // On another day "7" finds "07" and fills the minutes.
    choose("cboDay", "07");
    typeInto(combo("cboHour"), "7");
    QTest::keyClick(combo("cboHour"), Qt::Key_Tab);
    EXPECT_EQ(combo("cboHour")->currentText(), "07");
    EXPECT_EQ(combo("cboMin")->count(), 60);
    typeInto(combo("cboMin"), "60");
    QTest::keyClick(combo("cboMin"), Qt::Key_Tab);
    EXPECT_EQ(m_prompts.boxes.back().text, QStringLiteral("開始時刻（分）が正しくありません。"));
}

TEST_F(EditorTest, EnterInTheMinuteBoxPressesTheDefaultButton) {
    open();
    compose("07", "10", "00", "X", "");
    combo("cboMin")->setFocus();
    QTest::keyClick(combo("cboMin"), Qt::Key_Return);
    EXPECT_EQ(list()->count(), 1);
    EXPECT_EQ(m_prompts.beeps, 0);
    EXPECT_TRUE(m_editor->isVisible());
}

TEST_F(EditorTest, TimeBoxesTakeDigitsOnly) {
    open();
    choose("cboYear", "2000");
    choose("cboMonth", "09");
    choose("cboDay", "07");
    QComboBox* hour = combo("cboHour");
    hour->setFocus();
    QTest::keyClick(hour, Qt::Key_1, Qt::ShiftModifier);
    QTest::keyClick(hour, Qt::Key_A);
    EXPECT_EQ(m_prompts.beeps, 2);
    QTest::keyClick(hour, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(hour, Qt::Key_2);
    EXPECT_EQ(hour->currentText(), "12");
    EXPECT_EQ(m_prompts.beeps, 2);
}

TEST_F(EditorTest, ChangeLoadsALineAndUpdateReplacesItInPlace) {
    const ScheduleEntry first =
        stored(QDate(2000, 9, 7), 10, 30, 1, QStringLiteral("会議室"), QStringLiteral("資料"));
    const ScheduleEntry second = stored(QDate(2000, 9, 8), 9, 0, 3, "B", "b");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {first, second}));
    open();
    selectRow(1);
    EXPECT_TRUE(button("cmdChange")->isEnabled());
    QTest::mouseClick(button("cmdChange"), Qt::LeftButton);
    EXPECT_EQ(combo("cboYear")->currentText(), "2000");
    EXPECT_EQ(combo("cboMonth")->currentText(), "09");
    EXPECT_EQ(combo("cboDay")->currentText(), "07");
    EXPECT_EQ(combo("cboStatus")->currentText(), QStringLiteral("最重要"));
    EXPECT_EQ(text("txtPlace")->text(), QStringLiteral("会議室"));
    EXPECT_EQ(combo("cboHour")->currentText(), "10");
    EXPECT_EQ(combo("cboMin")->currentText(), "30");
    EXPECT_EQ(text("txtComment")->text(), QStringLiteral("資料"));
    EXPECT_FALSE(button("cmdAdd")->isEnabled());
    EXPECT_FALSE(button("cmdUpdate")->isEnabled());
    EXPECT_FALSE(button("cmdChange")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), combo("cboYear"));

    typeInto(text("txtComment"), QStringLiteral("持参"));
    EXPECT_TRUE(button("cmdUpdate")->isEnabled());
    EXPECT_TRUE(button("cmdAdd")->isEnabled());
    EXPECT_FALSE(button("cmdAdd")->isDefault());
    QTest::mouseClick(button("cmdUpdate"), Qt::LeftButton);
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(lines()[0], shownLine(second));
    EXPECT_EQ(lines()[1], QStringLiteral("2000/09/07 | 最重要 | 会議室") + ideo(4) +
                              QStringLiteral(" | 10:30 | 持参") + ideo(10));
    EXPECT_TRUE(m_editor->isDirty());
    EXPECT_EQ(list()->selectedItems().size(), 0);
}

TEST_F(EditorTest, ChangeBeyondTheBookingWindowLeavesTheDateUnchosen) {
    const ScheduleEntry far = stored(QDate(2000, 10, 20), 10, 0, 2, "F", "f");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {far}));
    open();
    selectRow(0);
    QTest::mouseClick(button("cmdChange"), Qt::LeftButton);
    EXPECT_EQ(combo("cboYear")->currentText(), "2000");
    EXPECT_EQ(combo("cboMonth")->currentIndex(), -1);
    EXPECT_EQ(text("txtPlace")->text(), "F");
    EXPECT_FALSE(button("cmdAdd")->isEnabled());
    EXPECT_FALSE(button("cmdUpdate")->isEnabled());
    EXPECT_TRUE(m_prompts.boxes.empty());
}

TEST_F(EditorTest, AddWhileALineIsSelectedKeepsThatLine) {
    const ScheduleEntry e = stored(QDate(2000, 9, 7), 10, 30, 2, "A", "a");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {e}));
    open();
    selectRow(0);
    QTest::mouseClick(button("cmdChange"), Qt::LeftButton);
    typeInto(text("txtPlace"), "B");
    ASSERT_TRUE(button("cmdAdd")->isEnabled());
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    ASSERT_EQ(list()->count(), 2);
    // "B" is half a column short of the seven: a half-width space fills it.
    EXPECT_TRUE(lines()[0].contains(QStringLiteral(" | B") + ideo(6) + "  | 10:30 | "));
    EXPECT_EQ(lines()[1], shownLine(e));
}

TEST_F(EditorTest, EscapeLeavesWithoutCheckingTheTypedHour) {
    open();
    compose("07", "10", "00", "X", "");
    combo("cboHour")->clearEditText();
    typeInto(combo("cboHour"), "99");
    QTest::keyClick(combo("cboHour"), Qt::Key_Escape);
    closeAndFlush();
    EXPECT_TRUE(m_prompts.boxes.empty());
    EXPECT_TRUE(m_editor.isNull());
}

TEST_F(EditorTest, PastLineIsCopiedNotChanged) {
    const ScheduleEntry past = stored(QDate(2000, 9, 6), 14, 4, 2, "P", QStringLiteral("済"));
    const ScheduleEntry future = stored(QDate(2000, 9, 6), 14, 5, 2, "F", "f");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {past, future}));
    open();
    selectRow(0);
    EXPECT_TRUE(button("cmdChange")->isEnabled());
    selectRow(1);
    EXPECT_FALSE(button("cmdChange")->isEnabled());
    EXPECT_TRUE(button("cmdCopy")->isEnabled());
    // Space on a past line copies it.
    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_EQ(combo("cboYear")->currentIndex(), -1);
    EXPECT_EQ(combo("cboHour")->currentText(), "");
    EXPECT_EQ(combo("cboStatus")->currentText(), QStringLiteral("重要"));
    EXPECT_EQ(text("txtPlace")->text(), "P");
    EXPECT_EQ(text("txtComment")->text(), QStringLiteral("済"));
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_FALSE(button("cmdCopy")->isEnabled());

    // Add then puts the copy at the top.
    compose("07", "08", "00", "", "");
    EXPECT_TRUE(button("cmdAdd")->isEnabled());
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    EXPECT_EQ(list()->count(), 3);
    EXPECT_TRUE(lines()[0].startsWith(QStringLiteral("2000/09/07 | 重要")));
}

TEST_F(EditorTest, DeletingTheLastLineMovesFocusToTheYear) {
    EXPECT_TRUE(
        test::storeEntries(m_state.schedule, {stored(QDate(2000, 9, 7), 10, 0, 2, "A", "a")}));
    open();
    selectRow(0);
    QTest::mouseClick(button("cmdDel"), Qt::LeftButton);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_FALSE(find<QGroupBox>("fraSchedule")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), combo("cboYear"));
    EXPECT_TRUE(button("cmdOk")->isEnabled());
}

TEST_F(EditorTest, ClearEmptiesACompleteEntry) {
    open();
    compose("07", "10", "00", "X", "");
    ASSERT_TRUE(button("cmdClear")->isEnabled());
    QTest::mouseClick(button("cmdClear"), Qt::LeftButton);
    EXPECT_EQ(combo("cboYear")->currentIndex(), -1);
    EXPECT_EQ(combo("cboHour")->currentText(), "");
    EXPECT_TRUE(text("txtPlace")->text().isEmpty());
    EXPECT_FALSE(button("cmdClear")->isEnabled());
    EXPECT_FALSE(m_editor->isDirty());
}

TEST_F(EditorTest, OkWritesBottomUpWithFlagsAndClosesLeavingSubscribedLinesOut) {
    const ScheduleEntry e1 = stored(QDate(2000, 9, 6), 15, 0, 1, "A", "a", true);
    const ScheduleEntry e2 = stored(QDate(2000, 9, 7), 9, 0, 3, "B", "b", false);
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {e1, e2}));
    m_state.schedule.setReadOnlyEntries(
        {{stored(QDate(2000, 9, 7), 10, 0, 3, "S", "s", false), QStringLiteral("仕事"), "k"}});
    open();
    // A subscribed appointment shows among the user's own, greyed, with its
    // subscription's name, and cannot be chosen to change or delete.
    ASSERT_EQ(list()->count(), 3);
    EXPECT_TRUE(list()->item(0)->text().endsWith(QStringLiteral("[仕事]")));
    EXPECT_EQ(list()->item(0)->flags(), Qt::NoItemFlags);
    EXPECT_TRUE(list()->item(1)->flags() & Qt::ItemIsSelectable);
    compose("08", "11", "00", "X", "x");
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    QTest::mouseClick(button("cmdOk"), Qt::LeftButton);

    ScheduleEntry x = stored(QDate(2000, 9, 8), 11, 0, 2, QStringLiteral("X") + ideo(6),
                             QStringLiteral("x") + ideo(11));
    EXPECT_EQ(readAll(m_state.schedule.path()),
              encodeEntryLine(e1) + encodeEntryLine(e2) + encodeEntryLine(x));
    EXPECT_EQ(m_announced, 1);
    EXPECT_TRUE(m_prompts.boxes.empty());
    closeAndFlush();
    EXPECT_TRUE(m_editor.isNull());
}

TEST_F(EditorTest, CancelWritesNothing) {
    EXPECT_TRUE(
        test::storeEntries(m_state.schedule, {stored(QDate(2000, 9, 7), 10, 0, 2, "A", "a")}));
    const auto fileBytes = [this] {
        QFile file(m_state.schedule.path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray asRead = fileBytes();
    ASSERT_FALSE(asRead.isEmpty());
    open();
    selectRow(0);
    QTest::mouseClick(button("cmdDel"), Qt::LeftButton);
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    closeAndFlush();
    EXPECT_TRUE(m_editor.isNull());
    EXPECT_EQ(fileBytes(), asRead);
    EXPECT_EQ(m_announced, 0);
}

TEST_F(EditorTest, ApplyKeepsTheEditorOpenAndClearsDirty) {
    open();
    compose("07", "10", "00", "X", "");
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    QTest::mouseClick(button("cmdApply"), Qt::LeftButton);
    EXPECT_FALSE(m_editor->isDirty());
    EXPECT_FALSE(button("cmdApply")->isEnabled());
    EXPECT_FALSE(button("cmdOk")->isEnabled());
    EXPECT_EQ(m_announced, 1);
    EXPECT_TRUE(m_editor->isVisible());
}

TEST_F(EditorTest, SeparatorInThePlaceKeepsEveryField) {
    open();
    compose("07", "10", "00", "A | B", QStringLiteral("c | d"));
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    selectRow(0);
    QTest::mouseClick(button("cmdChange"), Qt::LeftButton);
    EXPECT_TRUE(m_prompts.boxes.empty());
    EXPECT_EQ(text("txtPlace")->text(), "A | B");
    EXPECT_EQ(combo("cboHour")->currentText(), "10");
    EXPECT_EQ(text("txtComment")->text(), "c | d");
    QTest::mouseClick(button("cmdOk"), Qt::LeftButton);
    EXPECT_TRUE(m_prompts.boxes.empty());
    const ScheduleEntry written =
        stored(QDate(2000, 9, 7), 10, 0, 2, QStringLiteral("A | B") + ideo(2),
               QStringLiteral("c | d") + ideo(7));
    EXPECT_EQ(readAll(m_state.schedule.path()), encodeEntryLine(written));
}

TEST_F(EditorTest, QuotesAndLineBreaksCannotReachTheTexts) {
    open();
    choose("cboYear", "2000");
    choose("cboMonth", "09");
    choose("cboDay", "07");
    typeInto(text("txtPlace"), "a\"b");
    EXPECT_EQ(text("txtPlace")->text(), QStringLiteral("a＂b"));
    text("txtComment")->setFocus();
    text("txtComment")->insert(QStringLiteral("x\"y\r\nz")); // what a paste does
    EXPECT_EQ(text("txtComment")->text(), QStringLiteral("x＂y  z"));
}

TEST_F(EditorTest, TextTheFileCannotHoldIsRefusedWhereItIsTypedOrPasted) {
    open();
    compose("07", "10", "00", QStringLiteral("会議室"), QStringLiteral("資料"));
    QLineEdit* place = text("txtPlace");
    QLineEdit* comment = text("txtComment");
    struct Attempt {
        const char* what;
        QLineEdit* box;
        std::function<void()> act;
    };
    const Attempt attempts[] = {
        {"emoji typed as one key", place,
         [&] {
             place->setFocus();
             QTest::sendKeyEvent(QTest::Click, place, Qt::Key_unknown, QStringLiteral("😀"),
                                 Qt::NoModifier);
         }},
        {"euro sign pasted", comment, [&] { comment->insert(QStringLiteral("5€")); }},
        {"umlaut from the input method", comment,
         [&] {
             comment->setFocus();
             QInputMethodEvent commit;
             commit.setCommitString(QStringLiteral("ö"));
             QApplication::sendEvent(comment, &commit);
         }},
        // Cut at seven units, the pair would be split: refused, not halved.
        {"emoji pasted at the limit", place, [&] { place->insert(QStringLiteral("ABC😀")); }},
    };
    for (const Attempt& a : attempts) {
        SCOPED_TRACE(a.what);
        const QString before = a.box->text();
        m_prompts.boxes.clear();
        a.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(a.box->text(), before);
        ASSERT_EQ(m_prompts.boxes.size(), 1u);
        EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Exclamation);
        EXPECT_EQ(m_prompts.boxes[0].caption, QStringLiteral("スケジュール登録"));
        EXPECT_EQ(m_prompts.boxes[0].text,
                  QStringLiteral("保存できない文字（絵文字や一部の記号など）は入力できません。"));
    }
    // What the page holds is taken, up to seven whole characters.
    m_prompts.boxes.clear();
    place->insert(QStringLiteral("①ｶﾅ髙"));
    QCoreApplication::processEvents();
    EXPECT_EQ(place->text(), QStringLiteral("会議室①ｶﾅ髙"));
    EXPECT_TRUE(m_prompts.boxes.empty());
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    QTest::mouseClick(button("cmdOk"), Qt::LeftButton);
    const ScheduleEntry written = stored(QDate(2000, 9, 7), 10, 0, 2, QStringLiteral("会議室①ｶﾅ髙"),
                                         QStringLiteral("資料") + ideo(10));
    EXPECT_EQ(readAll(m_state.schedule.path()), encodeEntryLine(written));
}

TEST_F(EditorTest, FailedWriteKeepsTheFileAndTheEditor) {
    const ScheduleEntry e1 = stored(QDate(2000, 9, 7), 10, 0, 2, "A", "a");
    EXPECT_TRUE(test::storeEntries(m_state.schedule, {e1}));
    ASSERT_TRUE(m_state.schedule.save());
    const QByteArray previous = readAll(m_state.schedule.path());
    open();
    compose("08", "10", "00", "X", "");
    QTest::mouseClick(button("cmdAdd"), Qt::LeftButton);
    m_failures.failAfterWrites = 1;

    QTest::mouseClick(button("cmdApply"), Qt::LeftButton);
    ASSERT_EQ(m_prompts.boxes.size(), 1u);
    EXPECT_EQ(m_prompts.boxes[0].icon, msgbox::Icon::Critical);
    EXPECT_EQ(m_prompts.boxes[0].caption, kAppTitle);
    EXPECT_EQ(m_prompts.boxes[0].text,
              QStringLiteral("スケジュールデータの書き込みに失敗しました。"));
    EXPECT_TRUE(m_editor->isDirty());
    EXPECT_EQ(readAll(m_state.schedule.path()), previous);
    EXPECT_EQ(m_announced, 0);

    QTest::mouseClick(button("cmdOk"), Qt::LeftButton);
    closeAndFlush();
    ASSERT_FALSE(m_editor.isNull());
    EXPECT_TRUE(m_editor->isVisible());
    EXPECT_EQ(list()->count(), 2);
}

// Stands for the calendar module: its import hands over the given lines.
class ImportingServices : public CalendarServices {
public:
    std::vector<ListFields> lines;
    SyncMachinery& syncMachinery() override { return m_network; }
    void runCommand(const Command&, std::function<void(const CommandOutput&)>) override {}
    void syncOwnCalendar() override {}
    std::vector<ReadOnlyEntry> ownSeries() const override { return {}; }
    QWidget* subscriptionsWindow() override { return nullptr; }
    void importCalendar(QWidget*, std::vector<ListFields>, const QDate&, ImportDone done) override {
        done(lines);
    }

private:
    NetworkSyncMachinery m_network;
};

// The calendar is read in a worker thread: its lines arrive afterwards, with
// the box that says what came in; stopped at once, it adds nothing. The
// editor's button reaches it through the calendar module, and what comes
// back joins the list.
TEST_F(EditorTest, CalendarImportRunsBesideTheEditorAndCanBeStopped) {
    open();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("week.ics"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
               "UID:a@test\r\nDTSTAMP:20000901T000000Z\r\nDTSTART:20000907T100000\r\n"
               "LOCATION:本社\r\nSUMMARY:定例〜月次\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    file.close();
    ImportingServices services;
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop);
        m_prompts.boxes.clear();
        std::optional<std::vector<ListFields>> got;
        new calendarimport::CalendarImport(
            m_editor, m_prompts, path, {}, QDate(2000, 9, 6),
            [&got](const std::vector<ListFields>& lines) { got = lines; });
        if (stop)
            emit m_editor->findChild<QProgressDialog*>(QStringLiteral("importProgress"))
                ->canceled();
        ASSERT_TRUE(QTest::qWaitFor([&got] { return got.has_value(); }, 10000));
        ASSERT_EQ(m_prompts.boxes.size(), 1u);
        if (stop) {
            EXPECT_TRUE(got->empty());
            EXPECT_TRUE(m_prompts.boxes[0].text.contains(QStringLiteral("中止しました")));
        } else {
            ASSERT_EQ(got->size(), 1u);
            EXPECT_EQ(got->front().comment, QStringLiteral("定例～月次"));
            services.lines = *got;
            EXPECT_TRUE(
                m_prompts.boxes[0].text.contains(QStringLiteral("1件の予定を取り込みました")));
        }
    }
    m_editor->setCalendarServices([&services] { return &services; });
    const int before = list()->count();
    m_editor->findChild<QPushButton*>(QStringLiteral("cmdImport"))->click();
    EXPECT_EQ(list()->count(), before + 1);
    EXPECT_TRUE(m_editor->isDirty());
}

} // namespace
} // namespace tanzo
