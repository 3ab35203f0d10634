#pragma once

#include "FontSizeLimits.h"
#include "core/Settings.h"

#include <QFont>
#include <QString>

#include <array>
#include <optional>

class QWidget;

namespace tanzo::options {

// The 16 colours the colour dialog offers as its custom colours. They are
// set again before every colour dialog, so colours defined there are not
// kept from one call to the next.
const std::array<BgrColor, 16>& standardCustomColors();

// A font chosen in the font chooser.
struct FontChoice {
    QString family;
    bool bold = false;
    bool italic = false;
    int pointSize = 9;
};

// The dialogs the options dialog asks the user's choices with. It is given
// them by whoever opens it, so that a test can answer in their place.
class Pickers {
public:
    virtual ~Pickers() = default;
    // The colour chosen, or none when the dialog is cancelled.
    virtual std::optional<BgrColor> chooseColor(QWidget* owner, BgrColor initial) = 0;
    // The font chosen, offering only the sizes in `sizes`; none on cancel.
    virtual std::optional<FontChoice> chooseFont(QWidget* owner, const QFont& font,
                                                 FontSizeRange sizes) = 0;
    // The full path of the WAV file chosen, or an empty string on cancel.
    virtual QString chooseSoundFile(QWidget* owner, const QString& currentPath) = 0;
};

// The toolkit's colour dialog, the font chooser and a file dialog.
class DesktopPickers final : public Pickers {
public:
    std::optional<BgrColor> chooseColor(QWidget* owner, BgrColor initial) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const QFont& font,
                                         FontSizeRange sizes) override;
    QString chooseSoundFile(QWidget* owner, const QString& currentPath) override;
};

// The colour chosen in the colour dialog, offered with the standard custom
// colours, or `initial` when it is cancelled.
BgrColor pickColor(Pickers& pickers, QWidget* owner, BgrColor initial);

// Opens the font chooser on `font`, offering only the sizes of the board size
// `boardSize`. On OK writes bold, italic, face and size into `font` and
// returns true; on cancel leaves it alone and returns false.
bool pickFont(Pickers& pickers, QWidget* owner, QFont& font, int boardSize);

// Puts a chosen font into a font object; the size is held to the range of
// the board size.
void applyFontChoice(QFont& font, const FontChoice& choice, int boardSize);

extern const QString kSoundFileTitle;
extern const QString kSoundFileFilter;

} // namespace tanzo::options
