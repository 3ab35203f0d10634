#pragma once

#include <QProxyStyle>

namespace tanzo {

// The hour and minute boxes are only 38 pixels wide. The toolkit's usual
// drop-down arrow leaves too little of that for two digits, and the box then
// scrolls its first digit out of sight; this style gives them a slimmer
// arrow and the rest to the text.
class TimeBoxStyle : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr int kArrowWidth = 11;

    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
};

} // namespace tanzo
