#pragma once

#include "FontSizeLimits.h"
#include "Pickers.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;

namespace tanzo::options {

// A small font chooser: face, bold, italic and a size list limited to the
// sizes the board can show. The toolkit's own font dialog cannot limit sizes.
class FontChooser : public QDialog {
    Q_OBJECT
public:
    FontChooser(const QFont& initial, FontSizeRange sizes, QWidget* parent = nullptr);

    FontChoice choice() const;

private:
    void updateSample();

    FontSizeRange m_sizes;
    QListWidget* m_faces = nullptr;
    QListWidget* m_sizeList = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QLabel* m_sample = nullptr;
};

} // namespace tanzo::options
