#include "Pickers.h"

#include "FontChooser.h"
#include "core/Colors.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace tanzo::options {

const QString kSoundFileTitle = QStringLiteral("ｻｳﾝﾄﾞﾌｧｲﾙの選択");
const QString kSoundFileFilter = QStringLiteral("Waveﾌｧｲﾙ (*.wav)");

const std::array<BgrColor, 16>& standardCustomColors() {
    static const std::array<BgrColor, 16> colors = {0x00000000, 0x00800000, 0x00008000, 0x00808000,
                                                    0x00000080, 0x00800080, 0x00008080, 0x00C0C0C0,
                                                    0x00808080, 0x00FF0000, 0x0000FF00, 0x00FFFF00,
                                                    0x000000FF, 0x00FF00FF, 0x0000FFFF, 0x00FFFFFF};
    return colors;
}

BgrColor pickColor(Pickers& pickers, QWidget* owner, BgrColor initial) {
    const auto& custom = standardCustomColors();
    for (int i = 0; i < static_cast<int>(custom.size()); ++i)
        QColorDialog::setCustomColor(i, toQColor(custom[static_cast<size_t>(i)]));
    return pickers.chooseColor(owner, initial).value_or(initial);
}

std::optional<BgrColor> DesktopPickers::chooseColor(QWidget* owner, BgrColor initial) {
    const QColor chosen = QColorDialog::getColor(toQColor(initial), owner);
    if (!chosen.isValid())
        return std::nullopt;
    return fromQColor(chosen);
}

void applyFontChoice(QFont& font, const FontChoice& choice, int boardSize) {
    const FontSizeRange range = fontSizeRange(boardSize);
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    font.setFamily(choice.family);
    font.setPointSize(std::clamp(choice.pointSize, range.smallest, range.largest));
}

bool pickFont(Pickers& pickers, QWidget* owner, QFont& font, int boardSize) {
    const std::optional<FontChoice> choice =
        pickers.chooseFont(owner, font, fontSizeRange(boardSize));
    if (!choice)
        return false;
    applyFontChoice(font, *choice, boardSize);
    return true;
}

std::optional<FontChoice> DesktopPickers::chooseFont(QWidget* owner, const QFont& font,
                                                     FontSizeRange sizes) {
    FontChooser chooser(font, sizes, owner);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    return chooser.choice();
}

QString DesktopPickers::chooseSoundFile(QWidget* owner, const QString& currentPath) {
    // Start at the current file (its directory, with the file chosen); when
    // it is gone, at its directory if that is still there.
    QString start;
    const QFileInfo current(currentPath.trimmed());
    if (!currentPath.trimmed().isEmpty()) {
        if (current.isFile())
            start = current.absoluteFilePath();
        else if (current.absoluteDir().exists())
            start = current.absolutePath();
    }
    QFileDialog dialog(owner, kSoundFileTitle, start, kSoundFileFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setViewMode(QFileDialog::Detail);
    // The size, type and date columns at the width of what they hold, the
    // name taking the rest: at the toolkit's default width they are cut.
    if (auto* view = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 440)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace tanzo::options
