#include "AccessibleRole.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace tanzo {
namespace {

constexpr char kRoleProperty[] = "tanzoAccessibleRole";

class PressableWidget : public QAccessibleWidget {
public:
    explicit PressableWidget(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }

    // What the button shows (a label's □ or ■) describes its state.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
            return widget()->property("text").toString();
        return QAccessibleWidget::text(t);
    }

    // Posted, not sent: the click may open a menu or a dialog, which must
    // not run inside the call from the accessibility bus.
    void doAction(const QString& name) override {
        QWidget* target = widget();
        if (name != pressAction() || !target->isEnabled())
            return;
        const QPointF local = QRectF(target->rect()).center();
        const QPointF global = target->mapToGlobal(local);
        QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                                            Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
        QCoreApplication::postEvent(target,
                                    new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
};

QAccessibleInterface* interfaceWithRole(const QString&, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    const QVariant role = object->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    const auto r = static_cast<QAccessible::Role>(role.toInt());
    if (r == QAccessible::Button)
        return new PressableWidget(widget);
    return new QAccessibleWidget(widget, r);
}

} // namespace

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    static const bool installed = [] {
        QAccessible::installFactory(&interfaceWithRole);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kRoleProperty, static_cast<int>(role));
}

} // namespace tanzo
