// The editor's controls: names, captions, positions (in twips) and colours.
#include "ScheduleEditor.h"

#include "EntryText.h"
#include "TimeBoxStyle.h"
#include "platform/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tanzo {
namespace {

const QColor kBackground(0, 64, 0);
const QColor kCaption(0, 255, 255);

struct Place {
    Twips twips;
    void operator()(QWidget* w, int left, int top, int width, int height) const {
        w->setGeometry(twips.toPixels(left), twips.toPixels(top), twips.toPixels(width),
                       twips.toPixels(height));
    }
};

QFont listFont() {
    return QFont(QStringLiteral("ＭＳ ゴシック"), 9);
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    QPalette pal = box->palette();
    pal.setColor(QPalette::WindowText, kCaption);
    box->setPalette(pal);
    return box;
}

QLabel* unitLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kCaption);
    label->setPalette(pal);
    return label;
}

QComboBox* combo(QWidget* parent, const char* name, bool editable, QStyle* style = nullptr) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxVisibleItems(12);
    if (editable) {
        box->setStyle(style);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // Typed digits must stay as typed until the box is left; completion
        // would turn "1" into "15" behind the user's back.
        box->setCompleter(nullptr);
        box->setInputMethodHints(Qt::ImhDigitsOnly);
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->lineEdit()->setInputMethodHints(Qt::ImhDigitsOnly);
        box->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    // Only the enabling rule decides which button answers Enter.
    b->setAutoDefault(false);
    return b;
}

QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(QLatin1String(name));
    t->setFont(listFont());
    guardEntryText(t);
    return t;
}

} // namespace

void ScheduleEditor::buildForm() {
    const Place at{Twips::fromPrimaryScreen()};
    const Twips twips = Twips::fromPrimaryScreen();

    setObjectName(QStringLiteral("frmSchedule"));
    setWindowTitle(kEditorCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(twips.toPixels(6945), twips.toPixels(4815));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);

    m_fraDate = frame(this, "fraDate", QStringLiteral("日付"));
    at(m_fraDate, 90, 105, 3300, 810);
    m_cboYear = combo(m_fraDate, "cboYear", false);
    at(m_cboYear, 150, 300, 855, 300);
    at(unitLabel(m_fraDate, "Label3", QStringLiteral("年")), 1065, 360, 180, 180);
    m_cboMonth = combo(m_fraDate, "cboMonth", false);
    at(m_cboMonth, 1335, 300, 660, 300);
    at(unitLabel(m_fraDate, "Label4", QStringLiteral("月")), 2040, 360, 180, 180);
    m_cboDay = combo(m_fraDate, "cboDay", false);
    at(m_cboDay, 2295, 300, 660, 300);
    at(unitLabel(m_fraDate, "Label5", QStringLiteral("日")), 3015, 360, 180, 180);

    m_fraStatus = frame(this, "fraStatus", QStringLiteral("ステータス"));
    at(m_fraStatus, 3480, 105, 1470, 810);
    m_cboStatus = combo(m_fraStatus, "cboStatus", false);
    at(m_cboStatus, 150, 300, 1170, 300);

    m_cmdAdd = button(this, "cmdAdd", QStringLiteral("追加"));
    at(m_cmdAdd, 5040, 180, 915, 375);
    m_cmdUpdate = button(this, "cmdUpdate", QStringLiteral("更新"));
    at(m_cmdUpdate, 5955, 180, 915, 375);
    m_cmdClear = button(this, "cmdClear", QStringLiteral("クリア"));
    at(m_cmdClear, 5040, 555, 1830, 375);

    m_fraPlace = frame(this, "fraPlace", QStringLiteral("行先"));
    at(m_fraPlace, 90, 990, 1650, 810);
    m_txtPlace = textBox(m_fraPlace, "txtPlace");
    m_txtPlace->setMaxLength(PlaceLength);
    at(m_txtPlace, 150, 300, 1350, 300);

    m_fraTime = frame(this, "fraTime", QStringLiteral("開始時刻"));
    at(m_fraTime, 1830, 990, 2010, 810);
    auto* timeStyle = new TimeBoxStyle;
    timeStyle->setParent(this);
    m_cboHour = combo(m_fraTime, "cboHour", true, timeStyle);
    at(m_cboHour, 150, 300, 570, 300);
    at(unitLabel(m_fraTime, "Label1", QStringLiteral("時")), 795, 360, 180, 180);
    m_cboMin = combo(m_fraTime, "cboMin", true, timeStyle);
    at(m_cboMin, 1065, 300, 570, 300);
    at(unitLabel(m_fraTime, "Label2", QStringLiteral("分")), 1710, 360, 180, 180);

    m_fraComment = frame(this, "fraComment", QStringLiteral("備考"));
    at(m_fraComment, 3930, 990, 2595, 810);
    m_txtComment = textBox(m_fraComment, "txtComment");
    at(m_txtComment, 165, 300, 2265, 315);

    m_fraSchedule = frame(this, "fraSchedule", QStringLiteral("登録されている予定"));
    at(m_fraSchedule, 90, 1875, 6750, 2355);
    m_lstSchedule = new QListWidget(m_fraSchedule);
    m_lstSchedule->setObjectName(QStringLiteral("lstSchedule"));
    m_lstSchedule->setFont(listFont());
    m_lstSchedule->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstSchedule->setUniformItemSizes(true);
    at(m_lstSchedule, 165, 300, 6405, 1500);
    m_cmdCopy = button(m_fraSchedule, "cmdCopy", QStringLiteral("コピー"));
    at(m_cmdCopy, 3840, 1890, 915, 375);
    m_cmdChange = button(m_fraSchedule, "cmdChange", QStringLiteral("変更"));
    at(m_cmdChange, 4755, 1890, 915, 375);
    m_cmdDel = button(m_fraSchedule, "cmdDel", QStringLiteral("削除"));
    at(m_cmdDel, 5670, 1890, 915, 375);

    m_cmdOk = button(this, "cmdOk", QStringLiteral("OK"));
    at(m_cmdOk, 2985, 4335, 1155, 405);
    m_cmdCancel = button(this, "cmdCancel", QStringLiteral("ｷｬﾝｾﾙ"));
    at(m_cmdCancel, 4335, 4335, 1155, 405);
    m_cmdApply = button(this, "cmdApply", QStringLiteral("適用"));
    at(m_cmdApply, 5700, 4335, 1155, 405);
}

void ScheduleEditor::applyTabOrder() {
    QWidget* const order[] = {m_cboYear,   m_cboMonth,    m_cboDay,     m_cboStatus, m_txtPlace,
                              m_cboHour,   m_cboMin,      m_txtComment, m_cmdAdd,    m_cmdUpdate,
                              m_cmdClear,  m_lstSchedule, m_cmdChange,  m_cmdDel,    m_cmdOk,
                              m_cmdCancel, m_cmdApply,    m_cmdCopy};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

} // namespace tanzo
