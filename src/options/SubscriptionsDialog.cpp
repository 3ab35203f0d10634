#include "SubscriptionsDialog.h"

#include "subscriptions/CalendarSubscriptions.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tanzo {
namespace {

template <typename T> T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

SubscriptionsDialog::SubscriptionsDialog(CalendarSubscriptions& subscriptions, QWidget* parent)
    : QDialog(parent), m_subscriptions(subscriptions) {
    setObjectName(QStringLiteral("frmSubscriptions"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = named(new QTreeWidget(this), "lstSubscriptions");
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("URL"),
                             QStringLiteral("最終同期"), QStringLiteral("状態"),
                             QStringLiteral("件数")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setMinimumWidth(640);
    m_list->setAccessibleName(QStringLiteral("購読しているカレンダー"));

    m_url = named(new QLineEdit(this), "txtUrl");
    m_url->setPlaceholderText(
        QStringLiteral("https://… / webcal://… / CalDAVのカレンダー / .icsファイル"));
    m_name = named(new QLineEdit(this), "txtName");
    m_user = named(new QLineEdit(this), "txtUser");
    m_password = named(new QLineEdit(this), "txtPassword");
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("URL"), m_url);
    form->addRow(QStringLiteral("名前"), m_name);
    form->addRow(QStringLiteral("利用者名"), m_user);
    form->addRow(QStringLiteral("パスワード"), m_password);

    m_add = named(new QPushButton(QStringLiteral("接続を確かめて追加"), this), "cmdAdd");
    m_remove = named(new QPushButton(QStringLiteral("削除"), this), "cmdRemove");
    auto* sync = named(new QPushButton(QStringLiteral("今すぐ同期"), this), "cmdSync");
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdClose");
    m_result = named(new QLabel(this), "lblResult");
    m_result->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addWidget(sync);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(form);
    layout->addWidget(m_result);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &SubscriptionsDialog::addSubscription);
    connect(m_remove, &QPushButton::clicked, this, &SubscriptionsDialog::removeSelected);
    connect(sync, &QPushButton::clicked, this, &SubscriptionsDialog::syncNow);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(&m_subscriptions, &CalendarSubscriptions::syncFinished, this,
            &SubscriptionsDialog::showSubscriptions);
    connect(&m_subscriptions, &CalendarSubscriptions::appointmentsChanged, this,
            &SubscriptionsDialog::showSubscriptions);
    connect(&m_subscriptions, &CalendarSubscriptions::statusChanged, this,
            &SubscriptionsDialog::showSubscriptions);
    showSubscriptions();
}

void SubscriptionsDialog::showSubscriptions() {
    const QString selected = m_list->currentItem() ? m_list->currentItem()->text(0) : QString();
    m_list->clear();
    for (const Subscription& s : m_subscriptions.subscriptions()) {
        const SubscriptionCopy copy = m_subscriptions.copyOf(s.name);
        auto* item = new QTreeWidgetItem(
            m_list,
            {s.name, maskedAddress(s.url),
             copy.lastSync.isValid() ? copy.lastSync.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                     : QStringLiteral("—"),
             m_subscriptions.isSyncing(s.name) ? QStringLiteral("同期中…")
                                               : m_subscriptions.statusOf(s.name),
             QString::number(copy.entryCount())});
        if (s.name == selected)
            m_list->setCurrentItem(item);
    }
    for (int c = 0; c < m_list->columnCount(); ++c)
        m_list->resizeColumnToContents(c);
    m_remove->setEnabled(!m_list->selectedItems().isEmpty());
}

void SubscriptionsDialog::showResult(const QString& text) {
    m_result->setText(text);
}

void SubscriptionsDialog::addSubscription() {
    QString error;
    auto s = subscriptionFromAddress(m_url->text(), &error);
    if (!s) {
        showResult(error);
        return;
    }
    const QString name = m_name->text().trimmed();
    s->name = name.isEmpty() ? defaultSubscriptionName(s->url) : name;
    if (!isUsableSubscriptionName(s->name)) {
        showResult(QStringLiteral("名前は1〜%1文字で、改行や / を含まないものにしてください。")
                       .arg(kMaxSubscriptionNameLength));
        return;
    }
    s->user = m_user->text().trimmed();
    if (const QString refusal = m_subscriptions.refusalOf(*s); !refusal.isEmpty()) {
        showResult(QStringLiteral("追加できませんでした: %1").arg(refusal));
        return;
    }
    m_add->setEnabled(false);
    showResult(QStringLiteral("%1 に接続しています…").arg(maskedAddress(s->url)));
    const QPointer<SubscriptionsDialog> self(this);
    m_subscriptions.add(
        *s, m_password->text(), [self, name = s->name](bool ok, const QString& message) {
            if (!self)
                return;
            self->m_add->setEnabled(true);
            if (ok) {
                self->m_url->clear();
                self->m_name->clear();
                self->m_password->clear();
            }
            self->showResult(
                ok ? QStringLiteral("追加しました: %1（%2件）%3")
                         .arg(name)
                         .arg(self->m_subscriptions.copyOf(name).entryCount())
                         .arg(message.isEmpty() ? QString() : QLatin1Char('\n') + message)
                   : QStringLiteral("追加できませんでした: %1").arg(message));
            self->showSubscriptions();
        });
}

void SubscriptionsDialog::removeSelected() {
    if (QTreeWidgetItem* item = m_list->currentItem()) {
        const QString name = item->text(0);
        QString error;
        if (m_subscriptions.remove(name, &error))
            showResult(QStringLiteral("購読をやめました: %1").arg(name));
        else
            showResult(QStringLiteral("購読をやめられませんでした: %1").arg(error));
        showSubscriptions();
    }
}

void SubscriptionsDialog::syncNow() {
    m_subscriptions.syncAll();
    showSubscriptions();
}

} // namespace tanzo
