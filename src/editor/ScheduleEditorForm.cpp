// Places and sizes are in twips, converted for the primary screen.
#include "ScheduleEditorForm.h"

#include "ComboBoxName.h"
#include "CommandStates.h"
#include "EntryText.h"
#include "ImportButton.h"
#include "TimeBoxStyle.h"
#include "platform/Twips.h"
#include "schedule/ScheduleEntry.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tanzo {
namespace {

const QColor kBackground(0, 64, 0);
const QColor kCaption(0, 255, 255);

struct Place {
    Twips twips;
    void operator()(QWidget* w, int left, int top, int width, int height) const {
        w->setGeometry(twips.toPixels(left), twips.toPixels(top), twips.toPixels(width),
                       twips.toPixels(height));
    }
};

QFont listFont() {
    return QFont(QStringLiteral("ＭＳ ゴシック"), 9);
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    QPalette pal = box->palette();
    pal.setColor(QPalette::WindowText, kCaption);
    box->setPalette(pal);
    return box;
}

QLabel* unitLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kCaption);
    label->setPalette(pal);
    return label;
}

QComboBox* combo(QWidget* parent, const char* name, bool editable, QStyle* style = nullptr) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    keepAccessibleName(box); // read as 年 or ステータス, not as what it holds
    box->setMaxVisibleItems(12);
    if (editable) {
        box->setStyle(style);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // Typed digits must stay as typed until the box is left; completion
        // would turn "1" into "15" behind the user's back.
        box->setCompleter(nullptr);
        box->setInputMethodHints(Qt::ImhDigitsOnly);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->lineEdit()->setInputMethodHints(Qt::ImhDigitsOnly);
        box->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    // Only the enabling rule decides which button answers Enter.
    b->setAutoDefault(false);
    return b;
}

QLineEdit* textBox(QWidget* parent, const char* name, Prompts& prompts) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(QLatin1String(name));
    t->setFont(listFont());
    guardEntryText(t, prompts);
    return t;
}

} // namespace

ScheduleEditorForm::ScheduleEditorForm(QDialog* dialog, Prompts& prompts) {
    const Twips twips = Twips::fromPrimaryScreen();

    dialog->setObjectName(QStringLiteral("frmSchedule"));
    dialog->setWindowTitle(kEditorCaption);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    dialog->setFixedSize(twips.toPixels(6945), twips.toPixels(4815));
    QPalette pal = dialog->palette();
    pal.setColor(QPalette::Window, kBackground);
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);

    buildEntryFrames(dialog, twips, prompts);
    buildList(twips, dialog);
    const Place at{twips};
    okButton = button(dialog, "cmdOk", QStringLiteral("OK"));
    at(okButton, 2985, 4335, 1155, 405);
    cancelButton = button(dialog, "cmdCancel", QStringLiteral("ｷｬﾝｾﾙ"));
    at(cancelButton, 4335, 4335, 1155, 405);
    applyButton = button(dialog, "cmdApply", QStringLiteral("適用"));
    at(applyButton, 5700, 4335, 1155, 405);

    nameControls();
    applyTabOrder(dialog);
    // Not in the tab order: Tab reaches it after every other control.
    importButton = calendarimport::createButton(listFrame);
    // On the dialog itself, where it stays in the same place: the list's
    // frame is disabled while the list is empty, and an empty list is when a
    // calendar is most wanted.
    const QPoint importAt = importButton->mapTo(dialog, QPoint(0, 0));
    importButton->setParent(dialog);
    importButton->move(importAt);
}

// The boxes of one appointment, and the buttons that add or update it.
void ScheduleEditorForm::buildEntryFrames(QDialog* dialog, const Twips& twips, Prompts& prompts) {
    const Place at{twips};
    dateFrame = frame(dialog, "fraDate", QStringLiteral("日付"));
    at(dateFrame, 90, 105, 3300, 810);
    yearBox = combo(dateFrame, "cboYear", false);
    at(yearBox, 150, 300, 855, 300);
    at(unitLabel(dateFrame, "Label3", QStringLiteral("年")), 1065, 360, 180, 180);
    monthBox = combo(dateFrame, "cboMonth", false);
    at(monthBox, 1335, 300, 660, 300);
    at(unitLabel(dateFrame, "Label4", QStringLiteral("月")), 2040, 360, 180, 180);
    dayBox = combo(dateFrame, "cboDay", false);
    at(dayBox, 2295, 300, 660, 300);
    at(unitLabel(dateFrame, "Label5", QStringLiteral("日")), 3015, 360, 180, 180);

    statusFrame = frame(dialog, "fraStatus", QStringLiteral("ステータス"));
    at(statusFrame, 3480, 105, 1470, 810);
    statusBox = combo(statusFrame, "cboStatus", false);
    at(statusBox, 150, 300, 1170, 300);

    addButton = button(dialog, "cmdAdd", QStringLiteral("追加"));
    at(addButton, 5040, 180, 915, 375);
    updateButton = button(dialog, "cmdUpdate", QStringLiteral("更新"));
    at(updateButton, 5955, 180, 915, 375);
    clearButton = button(dialog, "cmdClear", QStringLiteral("クリア"));
    at(clearButton, 5040, 555, 1830, 375);

    placeFrame = frame(dialog, "fraPlace", QStringLiteral("行先"));
    at(placeFrame, 90, 990, 1650, 810);
    placeEdit = textBox(placeFrame, "txtPlace", prompts);
    placeEdit->setMaxLength(PlaceLength);
    at(placeEdit, 150, 300, 1350, 300);

    timeFrame = frame(dialog, "fraTime", QStringLiteral("開始時刻"));
    at(timeFrame, 1830, 990, 2010, 810);
    auto* timeStyle = new TimeBoxStyle;
    timeStyle->setParent(dialog);
    hourBox = combo(timeFrame, "cboHour", true, timeStyle);
    at(hourBox, 150, 300, 570, 300);
    at(unitLabel(timeFrame, "Label1", QStringLiteral("時")), 795, 360, 180, 180);
    minuteBox = combo(timeFrame, "cboMin", true, timeStyle);
    at(minuteBox, 1065, 300, 570, 300);
    at(unitLabel(timeFrame, "Label2", QStringLiteral("分")), 1710, 360, 180, 180);

    commentFrame = frame(dialog, "fraComment", QStringLiteral("備考"));
    at(commentFrame, 3930, 990, 2595, 810);
    commentEdit = textBox(commentFrame, "txtComment", prompts);
    at(commentEdit, 165, 300, 2265, 315);
}

void ScheduleEditorForm::buildList(const Twips& twips, QDialog* dialog) {
    const Place at{twips};
    listFrame = frame(dialog, "fraSchedule", QStringLiteral("登録されている予定"));
    at(listFrame, 90, 1875, 6750, 2355);
    list = new QListWidget(listFrame);
    list->setObjectName(QStringLiteral("lstSchedule"));
    list->setFont(listFont());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    at(list, 165, 300, 6405, 1500);
    copyButton = button(listFrame, "cmdCopy", QStringLiteral("コピー"));
    at(copyButton, 3840, 1890, 915, 375);
    changeButton = button(listFrame, "cmdChange", QStringLiteral("変更"));
    at(changeButton, 4755, 1890, 915, 375);
    deleteButton = button(listFrame, "cmdDel", QStringLiteral("削除"));
    at(deleteButton, 5670, 1890, 915, 375);
}

// Each box by its own name: the frame's caption alone would call the year,
// month and day boxes all 日付.
void ScheduleEditorForm::nameControls() {
    const std::pair<QWidget*, QString> names[] = {{yearBox, QStringLiteral("年")},
                                                  {monthBox, QStringLiteral("月")},
                                                  {dayBox, QStringLiteral("日")},
                                                  {statusBox, QStringLiteral("ステータス")},
                                                  {placeEdit, QStringLiteral("行先")},
                                                  {hourBox, QStringLiteral("時")},
                                                  {minuteBox, QStringLiteral("分")},
                                                  {commentEdit, QStringLiteral("備考")},
                                                  {list, QStringLiteral("登録されている予定")}};
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(name);
    for (QComboBox* box : {hourBox, minuteBox})
        box->lineEdit()->setAccessibleName(box->accessibleName());
}

void ScheduleEditorForm::applyTabOrder(QDialog* dialog) {
    QWidget* const order[] = {yearBox,      monthBox,    dayBox,       statusBox,    placeEdit,
                              hourBox,      minuteBox,   commentEdit,  addButton,    updateButton,
                              clearButton,  list,        changeButton, deleteButton, okButton,
                              cancelButton, applyButton, copyButton};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        dialog->setTabOrder(order[i], order[i + 1]);
}

void ScheduleEditorForm::applyCommandStates(const CommandStates& s) {
    dateFrame->setEnabled(true);
    yearBox->setEnabled(true);
    monthBox->setEnabled(s.month);
    dayBox->setEnabled(s.day);
    for (QGroupBox* frame : {statusFrame, placeFrame, timeFrame, commentFrame})
        frame->setEnabled(s.entryFrames);
    listFrame->setEnabled(s.scheduleFrame);
    clearButton->setEnabled(s.clear);
    addButton->setEnabled(s.add);
    addButton->setDefault(s.addDefault);
    if (s.okDefault)
        okButton->setDefault(true);
    updateButton->setEnabled(s.update);
    okButton->setEnabled(s.ok);
    applyButton->setEnabled(s.apply);
    cancelButton->setEnabled(true);
    if (s.disableLineCommands)
        disableLineCommands();
}

void ScheduleEditorForm::disableLineCommands() {
    copyButton->setEnabled(false);
    changeButton->setEnabled(false);
    deleteButton->setEnabled(false);
}

} // namespace tanzo
