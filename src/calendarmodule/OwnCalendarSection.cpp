#include "OwnCalendarSection.h"

#include "NamedWidget.h"

#include "owncalendar/OwnCalendar.h"
#include "owncalendar/OwnCalendarSetup.h"
#include "subscriptions/Subscription.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tanzo {

OwnCalendarSection::OwnCalendarSection(OwnCalendar& own, QWidget* parent)
    : QGroupBox(QStringLiteral("自分のカレンダー（ボードの予定を双方向に同期）"), parent),
      m_own(own) {
    setObjectName(QStringLiteral("grpOwnCalendar"));
    m_url = named(new QLineEdit(this), "txtOwnUrl");
    m_url->setPlaceholderText(QStringLiteral("https://… （サーバー、またはCalDAVのカレンダー）"));
    m_calendar = named(new QLineEdit(this), "txtOwnCalendar");
    m_calendar->setPlaceholderText(QStringLiteral("サーバーのカレンダーが複数あるとき"));
    m_user = named(new QLineEdit(this), "txtOwnUser");
    m_password = named(new QLineEdit(this), "txtOwnPassword");
    m_password->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("URL"), m_url);
    form->addRow(QStringLiteral("表示名"), m_calendar);
    form->addRow(QStringLiteral("利用者名"), m_user);
    form->addRow(QStringLiteral("パスワード"), m_password);

    m_set = named(new QPushButton(QStringLiteral("設定"), this), "cmdOwnSet");
    m_clear = named(new QPushButton(QStringLiteral("解除"), this), "cmdOwnClear");
    m_sync = named(new QPushButton(QStringLiteral("今すぐ同期"), this), "cmdOwnSync");
    m_status = named(new QLabel(this), "lblOwnStatus");
    m_status->setWordWrap(true);
    m_result = named(new QLabel(this), "lblOwnResult");
    m_result->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_set);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_sync);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->addWidget(m_result);

    connect(m_set, &QPushButton::clicked, this, &OwnCalendarSection::setCalendar);
    connect(m_clear, &QPushButton::clicked, this, &OwnCalendarSection::clearCalendar);
    connect(m_sync, &QPushButton::clicked, this, &OwnCalendarSection::syncNow);
    connect(&m_own, &OwnCalendar::statusChanged, this, &OwnCalendarSection::showStatus);
    if (const auto config = m_own.config()) {
        m_url->setText(config->url.toString());
        m_user->setText(config->user);
    }
    showStatus();
}

void OwnCalendarSection::showStatus() {
    const auto config = m_own.config();
    m_status->setText(config
                          ? QStringLiteral("%1　%2").arg(maskedAddress(config->url), m_own.status())
                          : QStringLiteral("設定されていません"));
    m_clear->setEnabled(config.has_value());
    m_sync->setEnabled(config.has_value() && !m_own.isSyncing());
}

void OwnCalendarSection::setBusy(bool busy) {
    m_set->setEnabled(!busy);
    m_clear->setEnabled(!busy && m_own.isSet());
}

void OwnCalendarSection::setCalendar() {
    setBusy(true);
    m_result->setText(QStringLiteral("接続を確かめています…"));
    QPointer<OwnCalendarSection> guard(this);
    setUpOwnCalendar(m_own,
                     {m_url->text().trimmed(), m_calendar->text().trimmed(),
                      m_user->text().trimmed(), m_password->text(), QString()},
                     [guard](const OwnCalendarSetUp& setUp) {
                         if (!guard)
                             return;
                         guard->setBusy(false);
                         guard->m_password->clear();
                         const bool set = setUp.outcome == OwnCalendarSetUp::Outcome::Synced;
                         guard->m_result->setText(set ? QStringLiteral("設定して同期しました。") +
                                                            setUp.message
                                                      : setUp.message);
                         guard->showStatus();
                     });
}

void OwnCalendarSection::clearCalendar() {
    setBusy(true);
    QPointer<OwnCalendarSection> guard(this);
    m_own.clear([guard](bool ok, const QString& message) {
        if (!guard)
            return;
        guard->setBusy(false);
        guard->m_result->setText(
            ok ? QStringLiteral("自分のカレンダーの同期をやめました。") + message : message);
        guard->showStatus();
    });
}

void OwnCalendarSection::syncNow() {
    QPointer<OwnCalendarSection> guard(this);
    m_own.sync([guard](bool, const QString& message) {
        if (guard)
            guard->m_result->setText(message);
    });
}

void addOwnCalendarSection(QWidget* subscriptionsWindow, OwnCalendar& own) {
    if (QLayout* layout = subscriptionsWindow->layout())
        layout->addWidget(new OwnCalendarSection(own, subscriptionsWindow));
}

} // namespace tanzo
