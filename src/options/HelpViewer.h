#pragma once

#include <QString>

class QWidget;

namespace tanzo {

class Prompts;

inline const QString kHelpMissingMessage =
    QStringLiteral("ﾍﾙﾌﾟの目次を表示できません。 このﾌﾟﾛｼﾞｪｸﾄに関連付けられたﾍﾙﾌﾟが存在しません。");

// Opens the help contents (index.html of the help directory) in the
// program's help viewer window, reusing the one that is open. When the
// contents are missing, says so in an information box through `prompts`
// and returns false.
bool showHelpContents(Prompts& prompts, QWidget* parent);
bool showHelpContentsFrom(Prompts& prompts, QWidget* parent, const QString& helpDirectory);

} // namespace tanzo
