#pragma once

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

// The colour chosen in the colour dialog, or `initial` when it is cancelled.
BgrColor pickColor(QWidget* owner, BgrColor initial);

// A font chosen in the font chooser.
struct FontChoice {
    QString family;
    bool bold = false;
    bool italic = false;
    int pointSize = 9;
};

// Opens the font chooser on `font`, offering only the sizes of the board size
// `boardSize`. On OK writes bold, italic, face and size into `font` and
// returns true; on cancel leaves it alone and returns false.
bool pickFont(QWidget* owner, QFont& font, int boardSize);

// Puts a chosen font into a font object; the size is held to the range of
// the board size.
void applyFontChoice(QFont& font, const FontChoice& choice, int boardSize);

// The full path of the WAV file chosen, or an empty string on cancel.
QString pickSoundFile(QWidget* owner, const QString& currentPath);

extern const QString kSoundFileTitle;
extern const QString kSoundFileFilter;

// Tests set the next answer of a picker before the click that opens it; the
// picker then returns it without showing a dialog. An empty optional (or an
// empty path) answers as a cancelled dialog.
void setNextColorAnswer(std::optional<BgrColor> answer);
void setNextFontAnswer(std::optional<FontChoice> answer);
void setNextSoundFileAnswer(const QString& path);
// Drops answers that were set and not used.
void clearNextAnswers();

} // namespace tanzo::options
