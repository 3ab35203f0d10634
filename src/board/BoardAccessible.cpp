#include "BoardAccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace tanzo {
namespace {

constexpr char kPartsProperty[] = "tanzoAccessibleParts";

class PartsWindow : public QAccessibleWidget {
public:
    PartsWindow(QWidget* window, const AccessibleParts& parts)
        : QAccessibleWidget(window, QAccessible::Window), m_parts(parts) {}

    int childCount() const override { return static_cast<int>(m_parts.accessibleParts().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> parts = m_parts.accessibleParts();
        if (index < 0 || index >= parts.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(parts[index]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        return static_cast<int>(
            m_parts.accessibleParts().indexOf(qobject_cast<QWidget*>(child->object())));
    }

private:
    const AccessibleParts& m_parts;
};

QAccessibleInterface* partsInterface(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kPartsProperty).toBool())
        return nullptr;
    auto* window = static_cast<QWidget*>(object);
    const auto* parts = dynamic_cast<const AccessibleParts*>(window);
    return parts ? new PartsWindow(window, *parts) : nullptr;
}

} // namespace

void exposeAccessibleParts(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(&partsInterface);
        return true;
    }();
    Q_UNUSED(installed);
    window->setProperty(kPartsProperty, true);
}

} // namespace tanzo
