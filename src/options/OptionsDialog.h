#pragma once

#include "DisplaySpeedTest.h"
#include "OptionValues.h"
#include "platform/Twips.h"

#include <QDialog>
#include <QFont>
#include <QPointer>

#include <array>
#include <optional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tanzo {

struct AppContext;
class BoardHost;
class SettingsRepository;
class SoundPlayer;

// frmOption: every user option in one modeless window, with live previews of
// the board font and colours and live moves of the board's position.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("ヨルカ設定");
    static inline const QString kWriteFailedMessage =
        QStringLiteral("設定内容の更新に失敗しました。");

    OptionsDialog(AppContext& state, BoardHost& board, SettingsRepository& repository,
                  SoundPlayer& sound, QWidget* parent = nullptr);

    bool optionsChanged() const { return m_optionsChanged; }

    // The controls' values as they stand.
    options::OptionValues snapshot() const;
    // Copies validated values into the settings, writes them all and lays
    // the board out; false when the write failed.
    bool ApplyOptions();
    void RefreshOptionControls();
    void CenterFontLabels(int first, int last);

    // One frame of a running display-speed test (driven by its timer).
    void speedTestFrame();
    bool speedTestRunning() const { return m_speedTest.has_value(); }

public slots:
    // The board calls this on every drag step while the dialog is open.
    void boardDragged(int left, int top);

    void cmdOK_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Axis { X, Y };

    void buildControls();
    void setTabOrder();
    void load();
    bool commit(bool closeAfter);
    void focusField(options::OptionField field);

    void setPreviewFont(const QFont& font);
    void setLabelColor(int index, BgrColor color);
    void setBackColor(BgrColor color);

    void chkWindow_Click(int index);
    void txtMin_Change(int index);
    void txtInterval_Change();
    void optSize_Click(int index);
    void optPos_Click(Axis axis, int index);
    void txtPos_Change(Axis axis);
    void cmdColorB_Click();
    void cmdColorC_Click();
    void cmdFont_Click();
    void cmdBrowse_Click();
    void cmdPlay_Click();
    void cmdTest_Click();
    void markChanged();

    int selectedSize() const;
    QLineEdit* positionBox(Axis axis) const;
    int screenExtent(Axis axis) const;
    int screenStart(Axis axis) const;
    int boardExtent(Axis axis) const;
    void moveBoardEdge(Axis axis, int edge);
    void startSpeedTest(int labelIndex);
    void finishSpeedTestLabel();

    AppContext& m_state;
    BoardHost& m_board;
    SettingsRepository& m_repository;
    SoundPlayer& m_sound;
    Twips m_twips;

    bool m_optionsChanged = false;
    // The previews' font and colours; the labels show them, but a running
    // speed test paints its own placeholder colour on them.
    QFont m_previewFont;
    std::array<BgrColor, 2> m_foreColor{};
    BgrColor m_backColor = 0;

    QGroupBox* m_frame1 = nullptr;
    QGroupBox* m_frame2 = nullptr;
    QGroupBox* m_frame3 = nullptr;
    QGroupBox* m_frame4 = nullptr;
    QGroupBox* m_fraSize = nullptr;
    QGroupBox* m_fraPosX = nullptr;
    QGroupBox* m_fraPosY = nullptr;
    std::array<QFrame*, 2> m_picFont{};
    std::array<QLabel*, 2> m_lblFont{};
    std::array<QRadioButton*, 2> m_optFont{};
    QPushButton* m_cmdColorC = nullptr;
    QPushButton* m_cmdColorB = nullptr;
    QPushButton* m_cmdFont = nullptr;
    std::array<QCheckBox*, 3> m_chkAlarm{};
    std::array<QLineEdit*, 2> m_txtMin{};
    QLineEdit* m_txtPath = nullptr;
    QPushButton* m_cmdBrowse = nullptr;
    QPushButton* m_cmdPlay = nullptr;
    std::array<QCheckBox*, 4> m_chkWindow{};
    QCheckBox* m_chkLogin = nullptr;
    QLineEdit* m_txtInterval = nullptr;
    QPushButton* m_cmdTest = nullptr;
    std::array<QRadioButton*, 3> m_optSize{};
    QCheckBox* m_chkPos = nullptr;
    std::array<QRadioButton*, 4> m_optPosX{};
    std::array<QRadioButton*, 4> m_optPosY{};
    QLineEdit* m_txtPosX = nullptr;
    QLineEdit* m_txtPosY = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdApply = nullptr;

    QTimer* m_speedTimer = nullptr;
    std::optional<options::DisplaySpeedTest> m_speedTest;
    int m_speedLabel = 0;
    QString m_speedCaption;
};

// Opens the options dialog unless one is open (`slot` holds it while it
// lives), centred on the primary screen and modeless. Returns the new
// dialog, or nullptr when one was already open.
OptionsDialog* openOptionsDialog(QPointer<OptionsDialog>& slot, AppContext& state, BoardHost& board,
                                 SettingsRepository& repository, SoundPlayer& sound);

} // namespace tanzo
