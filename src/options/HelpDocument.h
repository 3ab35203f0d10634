#pragma once

#include <QTextBrowser>

namespace tanzo {

// The help page as assistive technology reads it: a document with its text,
// its caret and its selection, in place of the toolkit's static label
// whose text a screen reader cannot walk through. Links are followed with
// Tab and Enter as in any text browser.
class HelpDocument : public QTextBrowser {
    Q_OBJECT
public:
    // The interface is chosen when the widget is first asked for it, so the
    // factory is in place before the first document is made.
    static HelpDocument* create(QWidget* parent);

private:
    explicit HelpDocument(QWidget* parent);
};

} // namespace tanzo
