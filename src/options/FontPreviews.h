#pragma once

#include "core/Settings.h"

#include <QFont>
#include <QObject>

#include <array>

class QWidget;

namespace tanzo::options {

struct OptionsForm;
class Pickers;

// The two previews of the board's text: the font both share, each one's
// text colour and the background behind them. They hold the values the
// options dialog will store; a click on a preview selects it as the one the
// text colour applies to.
class FontPreviews : public QObject {
    Q_OBJECT
public:
    // `owner` parents the pickers, which `pickers` shows.
    FontPreviews(const OptionsForm& form, Pickers& pickers, QWidget* owner);

    const QFont& font() const { return m_font; }
    BgrColor textColour(int index) const { return m_textColours[index]; }
    BgrColor backColour() const { return m_backColour; }

    void setFont(const QFont& font);
    void setTextColour(int index, BgrColor colour);
    void setBackColour(BgrColor colour);

    // Each opens its picker; true when the preview changed.
    bool chooseTextColour();
    bool chooseBackColour();
    bool chooseFont(int boardSize);
    // A board size smaller than the font allows lowers the font to its cap.
    void capFontSize(int boardSize);

    // The display-speed test paints its placeholder frames over a preview's
    // text without changing the colour the preview holds.
    QString caption(int index) const;
    void showPlaceholder(int index, const QString& text);
    void showCaption(int index, const QString& caption);

    // Centres the labels of the previews first..last in their boxes.
    void centreLabels(int first, int last);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const OptionsForm& m_form;
    Pickers& m_pickers;
    QWidget* const m_owner;
    QFont m_font;
    std::array<BgrColor, 2> m_textColours{};
    BgrColor m_backColour = 0;
};

} // namespace tanzo::options
