#pragma once

#include <QString>

namespace tanzo {

// The board and the editor name the Japanese faces "ＭＳ ゴシック" and
// "ＨＧｺﾞｼｯｸE-PRO", which are seldom installed here. fontconfig knows no
// alias for them, so they are mapped to the IPA gothic faces (and any other
// Japanese gothic found).
// Call once after the QApplication exists.
void installJapaneseFontSubstitutions();

// The family the toolkit draws `family` with: itself when installed, else
// its first installed substitute, else `family` unchanged. A font asked for
// by a name that is not installed costs a second fallback search for every
// script it draws (one for the name, one for the substitute); those searches
// are the largest part of the board's start-up.
QString installedFamily(const QString& family);

} // namespace tanzo
