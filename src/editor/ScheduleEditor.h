#pragma once

#include "CommandStates.h"
#include "ListLine.h"

#include <QDate>
#include <QDialog>
#include <QTime>

#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tanzo {

struct AppState;
class BoardHost;

inline const QString kEditorCaption = QStringLiteral("スケジュール登録");

// The schedule editor: its list holds the working copy of the schedule,
// which is written to the data file only by OK and Apply. It deletes itself
// when closed.
class ScheduleEditor : public QDialog {
    Q_OBJECT
public:
    ScheduleEditor(AppState& state, BoardHost& board, QWidget* parent = nullptr);
    ~ScheduleEditor() override;

    bool isDirty() const { return m_dirty; }
    bool isEntryEdited() const { return m_entryEdited; }
    QDate openDate() const { return m_openDate; }
    QTime openTime() const { return m_openTime; }

    // The records of the list from the top line down.
    std::vector<ListFields> listRecords() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Form
    void buildForm();
    void applyTabOrder();

    // Loading and the list
    void FillScheduleList();
    QListWidgetItem* selectedLine() const;
    void lstSchedule_Click();
    void lstSchedule_DblClick();

    // State and enabling
    CommandInputs currentInputs() const;
    void RefreshCommandStates();
    void ClearInputs();
    void disableLineCommands();
    void markEditedIfLineSelected();

    // Date and time entry
    QDate chosenDate() const;
    void fillDateList(char which);
    void fillTimeList(char which);
    void selectItem(QComboBox* box, int index);
    void cboYear_Click();
    void cboMonth_Click();
    void cboDay_Click();
    void cboHour_Click();
    void cboMin_Click();
    void cboStatus_Click();
    void timeBox_Change(QComboBox* box);
    bool timeBox_KeyPress(QComboBox* box, QKeyEvent* event);
    void timeBox_LostFocus(QComboBox* box);
    int& selectionOf(QComboBox* box);

    // Commands
    EntryInputs entryInputs() const;
    void loadRecordIntoInputs(const ListFields& fields, bool withDateAndTime);
    void focusListOrYear();
    void cmdAdd_Click();
    void cmdUpdate_Click();
    void cmdDel_Click();
    void cmdClear_Click();
    void cmdChange_Click();
    void cmdCopy_Click();
    void cmdOk_Click();
    void cmdApply_Click();
    void cmdCancel_Click();
    void textBox_Change();
    bool commit();
    // Adds the events of an iCalendar file to the list.
    void importCalendar();

    AppState& m_state;
    BoardHost& m_board;

    QDate m_openDate;
    QTime m_openTime;
    bool m_dirty = false;
    bool m_entryEdited = false;
    bool m_clearing = false;
    // The hour and minute boxes are editable: their typed text is kept apart
    // from the item that counts as chosen.
    int m_hourIndex = -1;
    int m_minIndex = -1;

    QGroupBox* m_fraDate = nullptr;
    QComboBox* m_cboYear = nullptr;
    QComboBox* m_cboMonth = nullptr;
    QComboBox* m_cboDay = nullptr;
    QGroupBox* m_fraStatus = nullptr;
    QComboBox* m_cboStatus = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdClear = nullptr;
    QGroupBox* m_fraPlace = nullptr;
    QLineEdit* m_txtPlace = nullptr;
    QGroupBox* m_fraTime = nullptr;
    QComboBox* m_cboHour = nullptr;
    QComboBox* m_cboMin = nullptr;
    QGroupBox* m_fraComment = nullptr;
    QLineEdit* m_txtComment = nullptr;
    QGroupBox* m_fraSchedule = nullptr;
    QListWidget* m_lstSchedule = nullptr;
    QPushButton* m_cmdCopy = nullptr;
    QPushButton* m_cmdChange = nullptr;
    QPushButton* m_cmdDel = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdApply = nullptr;
};

} // namespace tanzo
