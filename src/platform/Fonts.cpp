#include "Fonts.h"

#include <QFont>
#include <QStringList>

namespace tanzo {

void installJapaneseFontSubstitutions() {
    const QStringList gothic = {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                                QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic")};
    const QStringList proportional = {
        QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), proportional);
    QFont::insertSubstitutions(QStringLiteral("ＨＧｺﾞｼｯｸE-PRO"), proportional);
    QFont::insertSubstitutions(QStringLiteral("HGGothicE"), proportional);
}

} // namespace tanzo
