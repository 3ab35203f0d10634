#include "HelpDocument.h"

#include <QAccessibleWidget>

#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace tanzo {
namespace {

class DocumentAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DocumentAccessible(HelpDocument* document)
        : QAccessibleWidget(document, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // Named by the page's title; the text is the page itself.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && browser()->accessibleName().isEmpty())
            return browser()->documentTitle();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    // The scroll bars and the viewport are no parts of the page.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    void selection(int index, int* startOffset, int* endOffset) const override {
        const QTextCursor cursor = browser()->textCursor();
        *startOffset = *endOffset = 0;
        if (index == 0 && cursor.hasSelection()) {
            *startOffset = cursor.selectionStart();
            *endOffset = cursor.selectionEnd();
        }
    }
    int selectionCount() const override { return browser()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int index) override {
        if (index != 0)
            return;
        QTextCursor cursor = browser()->textCursor();
        cursor.clearSelection();
        browser()->setTextCursor(cursor);
    }
    void setSelection(int index, int startOffset, int endOffset) override {
        if (index != 0)
            return;
        QTextCursor cursor = cursorAt(startOffset);
        cursor.setPosition(clamped(endOffset), QTextCursor::KeepAnchor);
        browser()->setTextCursor(cursor);
    }

    int cursorPosition() const override { return browser()->textCursor().position(); }
    void setCursorPosition(int position) override { browser()->setTextCursor(cursorAt(position)); }

    QString text(int startOffset, int endOffset) const override {
        if (startOffset < 0 || endOffset < startOffset)
            return QString();
        return plainText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(plainText().size()); }

    QRect characterRect(int offset) const override {
        QRect rect = browser()->cursorRect(cursorAt(offset));
        const QString character = text(offset, offset + 1);
        rect.setWidth(character.isEmpty() ? 1
                                          : browser()->fontMetrics().horizontalAdvance(character));
        return QRect(browser()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = browser()->viewport()->mapFromGlobal(point);
        if (!browser()->viewport()->rect().contains(local))
            return -1;
        return browser()->cursorForPosition(local).position();
    }
    void scrollToSubstring(int startIndex, int endIndex) override {
        QTextCursor cursor = cursorAt(startIndex);
        cursor.setPosition(clamped(endIndex), QTextCursor::KeepAnchor);
        browser()->setTextCursor(cursor);
        browser()->ensureCursorVisible();
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        Q_UNUSED(offset)
        return QString();
    }

private:
    HelpDocument* browser() const { return static_cast<HelpDocument*>(widget()); }
    // Offsets are those of the document's plain text: one character per
    // position, block ends included.
    QString plainText() const { return browser()->document()->toPlainText(); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
    QTextCursor cursorAt(int offset) const {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(clamped(offset));
        return cursor;
    }
};

QAccessibleInterface* documentInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(HelpDocument::staticMetaObject.className()) && object)
        return new DocumentAccessible(static_cast<HelpDocument*>(object));
    return nullptr;
}

} // namespace

HelpDocument* HelpDocument::create(QWidget* parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&documentInterface);
        return true;
    }();
    Q_UNUSED(installed);
    return new HelpDocument(parent);
}

HelpDocument::HelpDocument(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(true);
}

} // namespace tanzo
