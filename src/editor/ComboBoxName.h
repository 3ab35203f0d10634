#pragma once

class QComboBox;

namespace tanzo {

// On this platform the toolkit reads a combo box's current item as its name,
// so a screen reader hears 重要 where it should hear ステータス. After this
// the box is read by its accessible name, and its item is its value. Must
// be called before the box is first made known to assistive technology.
void keepAccessibleName(QComboBox* box);

} // namespace tanzo
