#include "ImportButton.h"

#include "platform/Twips.h"

#include <QPushButton>

namespace tanzo::calendarimport {
namespace {
// Beside the copy button (3840, 1890) in the list's frame, in twips.
constexpr int kLeft = 165;
constexpr int kTop = 1890;
constexpr int kWidth = 1155;
constexpr int kHeight = 375;
} // namespace

QPushButton* createButton(QWidget* listFrame) {
    auto* button = new QPushButton(QStringLiteral("取込(&I)..."), listFrame);
    button->setObjectName(QStringLiteral("cmdImport"));
    button->setAutoDefault(false);
    const Twips twips = Twips::fromPrimaryScreen();
    button->setGeometry(twips.toPixels(kLeft), twips.toPixels(kTop), twips.toPixels(kWidth),
                        twips.toPixels(kHeight));
    return button;
}

} // namespace tanzo::calendarimport
