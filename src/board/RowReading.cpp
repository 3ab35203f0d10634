#include "RowReading.h"

#include "board/BoardContent.h"
#include "platform/AccessibleRole.h"
#include "platform/Twips.h"

#include <QStringList>
#include <QWidget>

namespace tanzo {
namespace {

// "1 0" → 10, "0 9" → 9; -1 when the flap shows no number.
int flapNumber(const QString& caption) {
    bool ok = false;
    const int value = QString(caption).remove(QLatin1Char(' ')).toInt(&ok);
    return ok ? value : -1;
}

} // namespace

QString rowSentence(const RowCaptions& row) {
    const QString comment = row.comment.trimmed();
    if (comment == board::EndOfDayMessage && row.place.trimmed().isEmpty())
        return comment;
    QStringList parts;
    const auto add = [&parts](const QString& part) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    };
    add(row.seq);
    const int hour = flapNumber(row.hour);
    const int minute = flapNumber(row.minute);
    // 10時30分; on the hour just 10時.
    if (hour >= 0 && minute > 0)
        parts << QStringLiteral("%1時%2分").arg(hour).arg(minute);
    else if (hour >= 0 && minute == 0)
        parts << QStringLiteral("%1時").arg(hour);
    add(row.place);
    add(row.status);
    add(comment);
    return parts.join(QStringLiteral("、"));
}

RowReading::RowReading(QWidget& window) {
    m_list = new QWidget(&window);
    m_list->setObjectName(QStringLiteral("lstRows"));
    setAccessibleRole(m_list, QAccessible::List);
    m_list->setAccessibleName(QStringLiteral("予定"));
    m_list->setAttribute(Qt::WA_TransparentForMouseEvents);
    for (size_t i = 0; i < m_rows.size(); ++i) {
        QWidget* row = new QWidget(m_list);
        row->setObjectName(QStringLiteral("rowEntry_%1").arg(i));
        setAccessibleRole(row, QAccessible::ListItem);
        row->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_rows[i] = row;
    }
    // Drawn first, so every label lies in front.
    m_list->lower();
}

void RowReading::place(const layout::SizeGeometry& g, const Twips& twips) {
    const layout::TwipRect first = layout::cellRect(g, layout::Seq, 0);
    const layout::TwipRect last = layout::cellRect(g, layout::Comment, 2);
    const auto px = [&twips](double t) { return twips.toPixels(t); };
    const int left = px(first.left);
    const int top = px(first.top);
    m_list->setGeometry(left, top, px(last.left + last.width) - left,
                        px(last.top + last.height) - top);
    for (int r = 0; r < 3; ++r) {
        const layout::TwipRect cell = layout::cellRect(g, layout::Seq, r);
        m_rows[static_cast<size_t>(r)]->setGeometry(0, px(cell.top) - top, m_list->width(),
                                                    px(cell.height));
    }
}

void RowReading::setCaptions(int index, const RowCaptions& captions) {
    if (index < 0 || index > 2)
        return;
    QWidget* row = m_rows[static_cast<size_t>(index)];
    const QString sentence = rowSentence(captions);
    if (row->accessibleName() != sentence)
        row->setAccessibleName(sentence);
}

} // namespace tanzo
