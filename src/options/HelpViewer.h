#pragma once

#include <QString>

class QWidget;

namespace tanzo {

inline const QString kHelpMissingMessage =
    QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。");

// Opens the help contents (index.html of the help directory) in the
// program's help viewer window, reusing the one that is open. When the
// contents are missing, says so in an information box and returns false.
bool showHelpContents(QWidget* parent);
bool showHelpContentsFrom(QWidget* parent, const QString& helpDirectory);

} // namespace tanzo
