#include "FontPreviews.h"

#include "FontSizeLimits.h"
#include "OptionsForm.h"
#include "Pickers.h"
#include "core/Colors.h"
#include "platform/Twips.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace tanzo::options {

namespace {
constexpr BgrColor kWhite = 0xFFFFFF;

void paintText(QLabel* label, BgrColor colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, toQColor(colour));
    label->setPalette(pal);
}
} // namespace

FontPreviews::FontPreviews(const OptionsForm& form, Pickers& pickers, QWidget* owner)
    : QObject(owner), m_form(form), m_pickers(pickers), m_owner(owner) {
    for (int i = 0; i < 2; ++i) {
        m_form.previewBoxes[i]->installEventFilter(this);
        m_form.previewLabels[i]->installEventFilter(this);
    }
}

void FontPreviews::setFont(const QFont& font) {
    m_font = font;
    for (QLabel* label : m_form.previewLabels)
        label->setFont(font);
}

void FontPreviews::setTextColour(int index, BgrColor colour) {
    m_textColours[index] = colour;
    paintText(m_form.previewLabels[index], colour);
}

void FontPreviews::setBackColour(BgrColor colour) {
    m_backColour = colour;
    for (QFrame* box : m_form.previewBoxes) {
        QPalette pal = box->palette();
        pal.setColor(QPalette::Window, toQColor(colour));
        box->setPalette(pal);
    }
}

bool FontPreviews::chooseTextColour() {
    const int target = m_form.previewChoices[0]->isChecked() ? 0 : 1;
    const BgrColor old = m_textColours[target];
    const BgrColor chosen = pickColor(m_pickers, m_owner, old);
    if (chosen == old)
        return false;
    setTextColour(target, chosen);
    return true;
}

bool FontPreviews::chooseBackColour() {
    const BgrColor old = m_backColour;
    const BgrColor chosen = pickColor(m_pickers, m_owner, old);
    if (chosen == old)
        return false;
    setBackColour(chosen);
    return true;
}

bool FontPreviews::chooseFont(int boardSize) {
    QFont font = m_font;
    if (!pickFont(m_pickers, m_owner, font, boardSize))
        return false;
    setFont(font);
    centreLabels(0, 1);
    return true;
}

void FontPreviews::capFontSize(int boardSize) {
    const double capped = cappedFontSize(m_font.pointSizeF(), boardSize);
    if (capped == m_font.pointSizeF())
        return;
    QFont font = m_font;
    font.setPointSizeF(capped);
    setFont(font);
    centreLabels(0, 1);
}

QString FontPreviews::caption(int index) const {
    return m_form.previewLabels[index]->text();
}

void FontPreviews::showPlaceholder(int index, const QString& text) {
    QLabel* label = m_form.previewLabels[index];
    label->setText(text);
    paintText(label, kWhite);
    centreLabels(index, index);
}

void FontPreviews::showCaption(int index, const QString& caption) {
    m_form.previewLabels[index]->setText(caption);
    setTextColour(index, m_textColours[index]);
    centreLabels(index, index);
}

void FontPreviews::centreLabels(int first, int last) {
    for (int i = first; i <= last; ++i) {
        QLabel* label = m_form.previewLabels[i];
        const QRect inner = m_form.previewBoxes[i]->contentsRect();
        label->hide();
        label->adjustSize();
        const QSize size = label->size();
        const int left = roundHalfEven((inner.width() - size.width()) / 2.0);
        const int top = roundHalfEven((inner.height() - size.height()) / 2.0);
        // A text wider than the box is centred first and then cut to the box.
        label->setGeometry(inner.left() + left, inner.top() + top,
                           std::min(size.width(), inner.width()),
                           std::min(size.height(), inner.height()));
        label->show();
    }
}

bool FontPreviews::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 2; ++i)
            if (watched == m_form.previewBoxes[i] || watched == m_form.previewLabels[i])
                m_form.previewChoices[i]->setChecked(true);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tanzo::options
