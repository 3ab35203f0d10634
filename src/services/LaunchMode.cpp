#include "LaunchMode.h"

#include <QString>
#include <QStringList>

namespace tanzo {
namespace {

// The toolkit's own single-dash options: these start the board. The first
// ones take a value in the next argument.
const QStringList kToolkitOptionsWithValue = {QStringLiteral("-platform"),
                                              QStringLiteral("-platformpluginpath"),
                                              QStringLiteral("-platformtheme"),
                                              QStringLiteral("-plugin"),
                                              QStringLiteral("-qwindowgeometry"),
                                              QStringLiteral("-qwindowicon"),
                                              QStringLiteral("-qwindowtitle"),
                                              QStringLiteral("-display"),
                                              QStringLiteral("-geometry"),
                                              QStringLiteral("-title"),
                                              QStringLiteral("-name"),
                                              QStringLiteral("-style"),
                                              QStringLiteral("-stylesheet"),
                                              QStringLiteral("-session"),
                                              QStringLiteral("-qmljsdebugger"),
                                              QStringLiteral("-visual"),
                                              QStringLiteral("-ncols"),
                                              QStringLiteral("-cmap"),
                                              QStringLiteral("-im"),
                                              QStringLiteral("-inputstyle"),
                                              QStringLiteral("-fn"),
                                              QStringLiteral("-font"),
                                              QStringLiteral("-bg"),
                                              QStringLiteral("-background"),
                                              QStringLiteral("-fg"),
                                              QStringLiteral("-foreground"),
                                              QStringLiteral("-btn"),
                                              QStringLiteral("-button")};
const QStringList kToolkitFlags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                   QStringLiteral("-nograb"),  QStringLiteral("-dograb"),
                                   QStringLiteral("-sync"),    QStringLiteral("-testability")};

} // namespace

bool wantsCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (kToolkitOptionsWithValue.contains(a))
            ++i;
        else if (!kToolkitFlags.contains(a))
            return true; // ours, a mistyped one (an error), or a bare word
    }
    return false;
}

} // namespace tanzo
