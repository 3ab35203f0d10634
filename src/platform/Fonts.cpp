#include "Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
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
    // The board's title face takes the board's own gothic rather than its
    // proportional sibling: the glyphs are the same drawing, and a second
    // face file would add its 2 MB to the board's memory for one caption.
    QFont::insertSubstitutions(QStringLiteral("ＨＧｺﾞｼｯｸE-PRO"), gothic);
    QFont::insertSubstitutions(QStringLiteral("HGGothicE"), gothic);
}

QString installedFamily(const QString& family) {
    // The board asks on every relayout; the answer is kept for the run.
    static QHash<QString, QString> known;
    if (const auto found = known.constFind(family); found != known.cend())
        return *found;
    const QStringList installed = QFontDatabase::families();
    QString drawn = family;
    if (!installed.contains(family, Qt::CaseInsensitive)) {
        for (const QString& substitute : QFont::substitutes(family)) {
            if (installed.contains(substitute, Qt::CaseInsensitive)) {
                drawn = substitute;
                break;
            }
        }
    }
    known.insert(family, drawn);
    return drawn;
}

} // namespace tanzo
