#include "TimeBoxStyle.h"

#include <QStyleOptionComplex>

namespace tanzo {

QRect TimeBoxStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                   SubControl sub, const QWidget* widget) const {
    const QRect base = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control != CC_ComboBox || !option)
        return base;
    const QRect arrow = QProxyStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
    const int slim = std::min(arrow.width(), kArrowWidth);
    const QRect slimArrow(arrow.right() - slim + 1, arrow.top(), slim, arrow.height());
    switch (sub) {
    case SC_ComboBoxArrow:
        return slimArrow;
    case SC_ComboBoxEditField: {
        const int frame = 2;
        QRect edit = base;
        edit.setLeft(option->rect.left() + frame);
        edit.setRight(slimArrow.left() - 1);
        return edit;
    }
    default:
        return base;
    }
}

} // namespace tanzo
