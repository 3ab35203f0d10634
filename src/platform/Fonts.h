#pragma once

namespace tanzo {

// The board and the editor name the Windows Japanese faces "ＭＳ ゴシック"
// and "ＨＧｺﾞｼｯｸE-PRO". fontconfig knows no alias for them, so they are
// mapped to the IPA gothic faces (and any other Japanese gothic found).
// Call once after the QApplication exists.
void installJapaneseFontSubstitutions();

} // namespace tanzo
