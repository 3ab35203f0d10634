#pragma once

class QWidget;

namespace tanzo {

class DataFile;

// Tells the user, once, that the last read of the data file left entries
// out, and where the original is kept. Does nothing when the read took the
// whole file or the same loss was told already.
void showLoadNotice(QWidget* parent, DataFile& file);

} // namespace tanzo
