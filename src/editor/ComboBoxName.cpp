#include "ComboBoxName.h"

#include <QAccessible>
#include <QComboBox>
#include <QVariant>

namespace tanzo {
namespace {

constexpr char kKeepNameProperty[] = "tanzoKeepAccessibleName";

// The toolkit's own combo box interface, with the name taken from the widget.
// Everything else (the value, the list, the open action) is the toolkit's.
class NamedComboBox : public QAccessibleInterface {
public:
    explicit NamedComboBox(QAccessibleInterface* original) : m_original(original) {}
    ~NamedComboBox() override {
        // The original is registered too; it goes with its wrapper.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(m_original));
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (auto* box = qobject_cast<QComboBox*>(object());
                box && !box->accessibleName().isEmpty())
                return box->accessibleName();
        }
        return m_original->text(t);
    }

    bool isValid() const override { return m_original->isValid(); }
    QObject* object() const override { return m_original->object(); }
    QWindow* window() const override { return m_original->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        return m_original->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return m_original->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return m_original->childAt(x, y); }
    QAccessibleInterface* parent() const override { return m_original->parent(); }
    QAccessibleInterface* child(int index) const override { return m_original->child(index); }
    int childCount() const override { return m_original->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return m_original->indexOfChild(child);
    }
    void setText(QAccessible::Text t, const QString& text) override {
        m_original->setText(t, text);
    }
    QRect rect() const override { return m_original->rect(); }
    QAccessible::Role role() const override { return m_original->role(); }
    QAccessible::State state() const override { return m_original->state(); }
    QColor foregroundColor() const override { return m_original->foregroundColor(); }
    QColor backgroundColor() const override { return m_original->backgroundColor(); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return m_original->interface_cast(type);
    }

private:
    QAccessibleInterface* m_original;
};

QAccessibleInterface* namedComboBox(const QString&, QObject* object) {
    // Asked again from inside, for the toolkit's own interface.
    static bool inside = false;
    if (inside || !object || !object->property(kKeepNameProperty).toBool())
        return nullptr;
    inside = true;
    QAccessibleInterface* original = QAccessible::queryAccessibleInterface(object);
    inside = false;
    return original ? new NamedComboBox(original) : nullptr;
}

} // namespace

void keepAccessibleName(QComboBox* box) {
    static const bool installed = [] {
        QAccessible::installFactory(&namedComboBox);
        return true;
    }();
    Q_UNUSED(installed);
    box->setProperty(kKeepNameProperty, true);
}

} // namespace tanzo
