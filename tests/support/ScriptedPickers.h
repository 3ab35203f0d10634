#pragma once

#include "options/Pickers.h"

#include <QString>

#include <optional>
#include <utility>

namespace tanzo::test {

// Answers the options dialog's pickers in the user's place: a test sets the
// next answer before the click that opens one. An empty optional, an empty
// path, or no answer set, answers as a cancelled dialog.
class ScriptedPickers : public options::Pickers {
public:
    void setNextColorAnswer(std::optional<BgrColor> answer) { m_color = answer; }
    void setNextFontAnswer(std::optional<options::FontChoice> answer) { m_font = answer; }
    void setNextSoundFileAnswer(const QString& path) { m_soundFile = path; }

    std::optional<BgrColor> chooseColor(QWidget*, BgrColor) override {
        return std::exchange(m_color, std::nullopt);
    }
    std::optional<options::FontChoice> chooseFont(QWidget*, const QFont&,
                                                  options::FontSizeRange) override {
        return std::exchange(m_font, std::nullopt);
    }
    QString chooseSoundFile(QWidget*, const QString&) override {
        return std::exchange(m_soundFile, QString());
    }

private:
    std::optional<BgrColor> m_color;
    std::optional<options::FontChoice> m_font;
    QString m_soundFile;
};

} // namespace tanzo::test
