#include "SubscriptionsDialog.h"

#include "NamedWidget.h"

#include "subscriptions/CalendarDiscovery.h"
#include "subscriptions/CalendarSubscriptions.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tanzo {

SubscriptionsDialog::SubscriptionsDialog(CalendarSubscriptions& subscriptions, QWidget* parent)
    : QDialog(parent), m_subscriptions(subscriptions) {
    setObjectName(QStringLiteral("frmSubscriptions"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);

    createList();
    QFormLayout* form = createForm();
    m_add = named(new QPushButton(QStringLiteral("接続を確かめて追加"), this), "cmdAdd");
    m_remove = named(new QPushButton(QStringLiteral("削除"), this), "cmdRemove");
    m_change = named(new QPushButton(QStringLiteral("変更"), this), "cmdChange");
    m_cancel = named(new QPushButton(QStringLiteral("中止"), this), "cmdCancel");
    m_cancel->setEnabled(false);
    m_trust = named(new QPushButton(QStringLiteral("この証明書を信頼する"), this), "cmdTrust");
    m_trust->hide();
    m_found = named(new QListWidget(this), "lstFound");
    m_found->setAccessibleName(QStringLiteral("サーバーにあるカレンダー"));
    m_found->hide();
    m_addChosen =
        named(new QPushButton(QStringLiteral("選んだカレンダーを追加"), this), "cmdAddChosen");
    m_addChosen->hide();
    auto* sync = named(new QPushButton(QStringLiteral("今すぐ同期"), this), "cmdSync");
    auto* close = named(new QPushButton(QStringLiteral("閉じる"), this), "cmdClose");
    m_result = named(new QLabel(this), "lblResult");
    m_result->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_trust);
    buttons->addWidget(m_change);
    buttons->addWidget(m_remove);
    buttons->addWidget(sync);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(form);
    layout->addWidget(m_found);
    layout->addWidget(m_addChosen);
    layout->addWidget(m_result);
    layout->addLayout(buttons);

    connect(m_add, &QPushButton::clicked, this, &SubscriptionsDialog::addSubscription);
    connect(m_remove, &QPushButton::clicked, this, &SubscriptionsDialog::removeSelected);
    connect(m_cancel, &QPushButton::clicked, this, &SubscriptionsDialog::cancelTest);
    connect(m_trust, &QPushButton::clicked, this, &SubscriptionsDialog::trustCertificate);
    connect(m_addChosen, &QPushButton::clicked, this, &SubscriptionsDialog::addChosenCalendars);
    connect(sync, &QPushButton::clicked, this, &SubscriptionsDialog::syncNow);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_change, &QPushButton::clicked, this, &SubscriptionsDialog::changeSelected);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &SubscriptionsDialog::showSelected);
    followSubscriptions();
    showSubscriptions();
}

void SubscriptionsDialog::createList() {
    m_list = named(new QTreeWidget(this), "lstSubscriptions");
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("URL"),
                             QStringLiteral("最終同期"), QStringLiteral("状態"),
                             QStringLiteral("件数")});
    m_list->setRootIsDecorated(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setMinimumWidth(640);
    m_list->setAccessibleName(QStringLiteral("購読しているカレンダー"));
}

// The fields of a subscription to add or change.
QFormLayout* SubscriptionsDialog::createForm() {
    m_url = named(new QLineEdit(this), "txtUrl");
    m_url->setPlaceholderText(
        QStringLiteral("https://… / webcal://… / CalDAVのカレンダー / .icsファイル"));
    m_name = named(new QLineEdit(this), "txtName");
    m_user = named(new QLineEdit(this), "txtUser");
    m_password = named(new QLineEdit(this), "txtPassword");
    m_password->setEchoMode(QLineEdit::Password);
    m_interval = named(new QSpinBox(this), "numInterval");
    m_interval->setRange(kMinRefreshMinutes, kMaxRefreshMinutes);
    m_interval->setValue(kDefaultRefreshMinutes);
    m_interval->setSuffix(QStringLiteral(" 分"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("URL"), m_url);
    form->addRow(QStringLiteral("名前"), m_name);
    form->addRow(QStringLiteral("利用者名"), m_user);
    form->addRow(QStringLiteral("パスワード"), m_password);
    form->addRow(QStringLiteral("同期の間隔"), m_interval);
    return form;
}

// The list shows the subscriptions as they change.
void SubscriptionsDialog::followSubscriptions() {
    connect(&m_subscriptions, &CalendarSubscriptions::syncFinished, this,
            &SubscriptionsDialog::showSubscriptions);
    connect(&m_subscriptions, &CalendarSubscriptions::appointmentsChanged, this,
            &SubscriptionsDialog::showSubscriptions);
    connect(&m_subscriptions, &CalendarSubscriptions::statusChanged, this,
            &SubscriptionsDialog::showSubscriptions);
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
    m_change->setEnabled(!m_list->selectedItems().isEmpty());
}

void SubscriptionsDialog::showSelected() {
    const bool any = !m_list->selectedItems().isEmpty();
    m_remove->setEnabled(any);
    m_change->setEnabled(any);
    if (!any)
        return;
    for (const Subscription& s : m_subscriptions.subscriptions()) {
        if (s.name == m_list->selectedItems().first()->text(0)) {
            m_name->setText(s.name);
            m_user->setText(s.user);
            m_interval->setValue(s.refreshMinutes);
        }
    }
}

void SubscriptionsDialog::changeSelected() {
    if (m_list->selectedItems().isEmpty())
        return;
    const QString name = m_list->selectedItems().first()->text(0);
    const auto& all = m_subscriptions.subscriptions();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Subscription& s) { return s.name == name; });
    if (found == all.end())
        return;
    Subscription changed = *found;
    if (!m_name->text().trimmed().isEmpty())
        changed.name = m_name->text().trimmed();
    if (!isUsableSubscriptionName(changed.name)) {
        showResult(QStringLiteral("名前は1〜%1文字で、改行や / を含まないものにしてください。")
                       .arg(kMaxSubscriptionNameLength));
        return;
    }
    changed.user = m_user->text().trimmed();
    changed.refreshMinutes = m_interval->value();
    const auto password =
        m_password->text().isEmpty() ? std::nullopt : std::optional(m_password->text());
    if (changed.user != found->user && !changed.user.isEmpty() && !password) {
        showResult(QStringLiteral("利用者名を変えるときはパスワードも入れてください。"));
        return;
    }
    setTesting(true);
    m_testing << name;
    const QPointer<SubscriptionsDialog> self(this);
    m_subscriptions.change(
        name, changed, password, [self, name, to = changed.name](bool ok, const QString& message) {
            if (!self)
                return;
            self->m_testing.removeAll(name);
            self->setTesting(false);
            if (ok)
                self->m_password->clear();
            self->showResult(
                ok ? QStringLiteral("変えました: %1%2")
                         .arg(to, message.isEmpty() ? QString() : QLatin1Char('\n') + message)
                   : QStringLiteral("変えられませんでした: %1").arg(message));
            self->showSubscriptions();
        });
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
    s->refreshMinutes = m_interval->value();
    if (m_trustedAddress == m_url->text().trimmed())
        s->trustedCertificate = m_trusted;
    m_trust->hide();
    if (const QString refusal = m_subscriptions.refusalOf(*s); !refusal.isEmpty()) {
        showResult(QStringLiteral("追加できませんでした: %1").arg(refusal));
        return;
    }
    m_found->clear();
    m_found->hide();
    m_addChosen->hide();
    // A published calendar or a file is what it is; a server's address may
    // hold several calendars, asked for first.
    if (s->kind == Subscription::Kind::Feed) {
        addTested(*s);
        return;
    }
    setTesting(true);
    m_cancelled = false;
    showResult(QStringLiteral("%1 に接続しています…").arg(maskedAddress(s->url)));
    auto* network = new QNetworkAccessManager;
    network->setAutoDeleteReplies(false);
    m_discovery = new CalendarDiscovery(s->url, s->user, m_password->text(), *network, this);
    network->setParent(m_discovery);
    m_discovery->setTrustedCertificate(s->trustedCertificate);
    connect(m_discovery, &CalendarDiscovery::finished, this,
            [this, typed = *s](const DiscoveryResult& result) { showFound(typed, result); });
    m_discovery->start();
}

void SubscriptionsDialog::showFound(const Subscription& typed, const DiscoveryResult& result) {
    m_discovery = nullptr; // it goes on its own
    setTesting(false);
    if (m_cancelled) {
        showResult(result.problem);
        return;
    }
    // Not a CalDAV server after all (a published calendar without ".ics"
    // in its name), or the address of one calendar: added as typed, and
    // its first sync says what it is.
    if (!result.ok && !result.untrustedCertificate.isEmpty()) {
        showResult(result.problem);
        offerTrust(result.untrustedCertificate);
        return;
    }
    if (!result.ok ||
        (result.calendars.size() == 1 && sameAddress(result.calendars.front().url, typed.url))) {
        addTested(typed);
        return;
    }
    m_foundUser = typed.user;
    m_foundPassword = m_password->text();
    for (const FoundCalendar& found : result.calendars) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1　%2").arg(found.name, maskedAddress(found.url)), m_found);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, found.url);
        item->setData(Qt::UserRole + 1, found.name);
    }
    m_found->show();
    m_addChosen->show();
    showResult(QStringLiteral("%1件のカレンダーが見つかりました。追加するものを選んでください。")
                   .arg(result.calendars.size()));
}

void SubscriptionsDialog::addChosenCalendars() {
    QStringList skipped;
    for (int i = 0; i < m_found->count(); ++i) {
        QListWidgetItem* item = m_found->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        Subscription s;
        s.url = item->data(Qt::UserRole).toUrl();
        s.kind = Subscription::Kind::CalDav;
        s.user = m_foundUser;
        s.trustedCertificate = m_trusted;
        s.name = item->data(Qt::UserRole + 1).toString().left(kMaxSubscriptionNameLength);
        if (!isUsableSubscriptionName(s.name))
            s.name = defaultSubscriptionName(s.url);
        if (const QString refusal = m_subscriptions.refusalOf(s); !refusal.isEmpty()) {
            skipped << refusal;
            continue;
        }
        m_password->setText(m_foundPassword);
        addTested(s);
    }
    m_found->clear();
    m_found->hide();
    m_addChosen->hide();
    if (!skipped.isEmpty())
        showResult(QStringLiteral("追加できませんでした: %1").arg(skipped.join(QLatin1Char('\n'))));
}

void SubscriptionsDialog::addTested(const Subscription& s) {
    setTesting(true);
    m_testing << s.name;
    showResult(QStringLiteral("%1 に接続しています…").arg(maskedAddress(s.url)));
    const QPointer<SubscriptionsDialog> self(this);
    m_subscriptions.add(
        s, m_password->text(), [self, name = s.name](bool ok, const QString& message) {
            if (!self)
                return;
            self->m_testing.removeAll(name);
            self->setTesting(false);
            if (ok) {
                self->m_url->clear();
                self->m_name->clear();
                self->m_password->clear();
            }
            if (!ok) {
                if (const QString fingerprint = self->m_subscriptions.untrustedCertificateOf(name);
                    !fingerprint.isEmpty())
                    self->offerTrust(fingerprint);
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

void SubscriptionsDialog::offerTrust(const QString& fingerprint) {
    m_refused = fingerprint;
    m_trust->show();
}

void SubscriptionsDialog::trustCertificate() {
    m_trusted = m_refused;
    m_trustedAddress = m_url->text().trimmed();
    addSubscription();
}

void SubscriptionsDialog::setTesting(bool testing) {
    const bool busy = testing || m_discovery || !m_testing.isEmpty();
    m_add->setEnabled(!busy);
    m_cancel->setEnabled(busy);
}

void SubscriptionsDialog::cancelTest() {
    m_cancelled = true;
    if (m_discovery)
        m_discovery->cancel();
    for (const QString& name : QStringList(m_testing))
        m_subscriptions.cancelAdding(name);
}

void SubscriptionsDialog::removeSelected() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const QString name = item->text(0);
    // Not waited on: the clock goes on while the question is open.
    auto* ask = new QMessageBox(QMessageBox::Question, kCaption,
                                QStringLiteral("「%1」の購読をやめますか？\n"
                                               "控えとパスワードも消します。")
                                    .arg(name),
                                QMessageBox::Yes | QMessageBox::No, this);
    ask->setObjectName(QStringLiteral("msgConfirmRemove"));
    ask->setDefaultButton(QMessageBox::No);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::finished, this, [this, ask, name](int) {
        if (ask->clickedButton() == ask->button(QMessageBox::Yes))
            removeNamed(name);
    });
    ask->open();
}

void SubscriptionsDialog::removeNamed(const QString& name) {
    QString error;
    const QPointer<SubscriptionsDialog> self(this);
    if (m_subscriptions.remove(name, &error, [self, name](const QString& problem) {
            if (self && !problem.isEmpty())
                self->showResult(QStringLiteral("購読をやめました: %1\n%2").arg(name, problem));
        }))
        showResult(QStringLiteral("購読をやめました: %1").arg(name));
    else
        showResult(QStringLiteral("購読をやめられませんでした: %1").arg(error));
    showSubscriptions();
}

void SubscriptionsDialog::syncNow() {
    m_subscriptions.syncAll();
    showSubscriptions();
}

} // namespace tanzo
