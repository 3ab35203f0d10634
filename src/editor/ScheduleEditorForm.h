#pragma once

#include <QString>

class QComboBox;
class QDialog;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tanzo {

struct CommandStates;
class Prompts;
class Twips;

inline const QString kEditorCaption = QStringLiteral("スケジュール登録");

// The editor's controls as the user sees them: names, captions, places,
// colours and the order Tab visits them in. The dialog owns the widgets;
// the form keeps them by role, and what they do is up to the editor.
struct ScheduleEditorForm {
    // Refused text in the boxes is told through `prompts`.
    ScheduleEditorForm(QDialog* dialog, Prompts& prompts);

    // Enables the controls and sets the button that answers Enter.
    void applyCommandStates(const CommandStates& states);
    // Copy, change and delete act on the selected line only.
    void disableLineCommands();

    QGroupBox* dateFrame = nullptr;
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QComboBox* dayBox = nullptr;
    QGroupBox* statusFrame = nullptr;
    QComboBox* statusBox = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* updateButton = nullptr;
    QPushButton* clearButton = nullptr;
    QGroupBox* placeFrame = nullptr;
    QLineEdit* placeEdit = nullptr;
    QGroupBox* timeFrame = nullptr;
    QComboBox* hourBox = nullptr;
    QComboBox* minuteBox = nullptr;
    QGroupBox* commentFrame = nullptr;
    QLineEdit* commentEdit = nullptr;
    QGroupBox* listFrame = nullptr;
    QListWidget* list = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* changeButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* importButton = nullptr;

private:
    void buildEntryFrames(QDialog* dialog, const Twips& twips, Prompts& prompts);
    void buildList(const Twips& twips, QDialog* dialog);
    void nameControls();
    void applyTabOrder(QDialog* dialog);
};

} // namespace tanzo
