#pragma once

class QTranslator;

namespace tanzo {

// The program speaks Japanese whatever the locale; so do the toolkit's own
// texts: dialog buttons, colour and file choosers, context menus and the
// command line's standard options. `translator` must live as long as the
// application uses it. Without the toolkit's Japanese file nothing changes.
void installToolkitTranslation(QTranslator& translator);

} // namespace tanzo
