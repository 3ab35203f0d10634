// The controls of frmOption and their places, in twips of the window design.
#include "NumericBoxFilter.h"
#include "OptionsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace tanzo {

namespace {
constexpr QRgb kFormBackground = 0xE0E0E0;

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* base, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(index);
}
} // namespace

void OptionsDialog::buildControls() {
    // Places a control at a design rectangle; check boxes and option buttons
    // whose design height is smaller than the toolkit's indicator grow around
    // their design centre line so the indicator is not cut.
    auto place = [this](QWidget* w, int left, int top, int width, int height) {
        QRect r(m_twips.toPixels(left), m_twips.toPixels(top), m_twips.toPixels(width),
                m_twips.toPixels(height));
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            const int need = w->sizeHint().height();
            if (r.height() < need) {
                r.moveTop(r.top() - (need - r.height()) / 2);
                r.setHeight(need);
            }
        }
        w->setGeometry(r);
    };
    auto button = [](QWidget* parent, const QString& name, const QString& caption) {
        auto* b = named(new QPushButton(caption, parent), name);
        return b;
    };
    auto* numeric = new options::NumericBoxFilter(this);
    auto* selectAll = new options::SelectAllOnFocus(this);
    auto numberBox = [numeric](QWidget* parent, const QString& name, int maxLength) {
        auto* box = named(new QLineEdit(parent), name);
        box->setMaxLength(maxLength);
        numeric->attach(box);
        return box;
    };

    // フォントと色
    m_frame1 = named(new QGroupBox(QStringLiteral("フォントと色"), this), QStringLiteral("Frame1"));
    place(m_frame1, 105, 90, 3375, 1860);
    const std::array<int, 2> picTops{345, 900};
    const std::array<int, 2> picHeights{360, 375};
    const std::array<QString, 2> previews{QStringLiteral("今日の予定（未到来）"),
                                          QStringLiteral("到来済と明日以降")};
    for (int i = 0; i < 2; ++i) {
        auto* pic = named(new QFrame(m_frame1), indexed("picFont", i));
        pic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pic->setLineWidth(2);
        pic->setAutoFillBackground(true);
        place(pic, 330, picTops[i], 2955, picHeights[i]);
        pic->installEventFilter(this);
        m_picFont[i] = pic;

        auto* lbl = named(new QLabel(previews[i], pic), indexed("lblFont", i));
        lbl->setAutoFillBackground(false);
        lbl->installEventFilter(this);
        m_lblFont[i] = lbl;

        auto* opt = named(new QRadioButton(m_frame1), indexed("optFont", i));
        place(opt, 90, picTops[i] + 90, 345, 195);
        m_optFont[i] = opt;
    }
    m_cmdColorC = button(m_frame1, QStringLiteral("cmdColorC"), QStringLiteral("文字色"));
    m_cmdColorB = button(m_frame1, QStringLiteral("cmdColorB"), QStringLiteral("背景色"));
    m_cmdFont = button(m_frame1, QStringLiteral("cmdFont"), QStringLiteral("フォント"));
    place(m_cmdColorC, 315, 1365, 900, 375);
    place(m_cmdColorB, 1290, 1365, 900, 375);
    place(m_cmdFont, 2265, 1365, 900, 375);

    // 通知
    m_frame2 = named(new QGroupBox(QStringLiteral("通知"), this), QStringLiteral("Frame2"));
    place(m_frame2, 3615, 90, 3330, 1860);
    const std::array<QString, 3> alarms{QStringLiteral("事前に通知する"),
                                        QStringLiteral("すぎた予定は無視する"),
                                        QStringLiteral("音を鳴らす")};
    const std::array<QString, 2> units{QStringLiteral("分前"), QStringLiteral("分後")};
    for (int i = 0; i < 3; ++i) {
        m_chkAlarm[i] = named(new QCheckBox(alarms[i], m_frame2), indexed("chkAlarm", i));
        place(m_chkAlarm[i], 210, 300 + 405 * i, 2175, 255);
    }
    for (int i = 0; i < 2; ++i) {
        m_txtMin[i] = numberBox(m_frame2, indexed("txtMin", i), 2);
        place(m_txtMin[i], 2400, 285 + 405 * i, 375, 270);
        auto* unit = named(new QLabel(units[i], m_frame2),
                           i == 0 ? QStringLiteral("Label1") : QStringLiteral("Label2"));
        place(unit, 2835, 315 + 405 * i, 450, 225);
    }
    m_txtPath = named(new QLineEdit(m_frame2), QStringLiteral("txtPath"));
    m_txtPath->setMaxLength(255);
    m_txtPath->installEventFilter(selectAll);
    place(m_txtPath, 480, 1410, 2040, 270);
    m_cmdBrowse = button(m_frame2, QStringLiteral("cmdBrowse"), QStringLiteral("..."));
    place(m_cmdBrowse, 2520, 1380, 315, 315);
    m_cmdPlay = button(m_frame2, QStringLiteral("cmdPlay"), QString());
    m_cmdPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_cmdPlay->setToolTip(QStringLiteral("再生"));
    place(m_cmdPlay, 2850, 1380, 315, 315);

    // ウインドウ
    m_frame4 = named(new QGroupBox(QStringLiteral("ウインドウ"), this), QStringLiteral("Frame4"));
    place(m_frame4, 105, 2040, 6840, 2145);
    const std::array<QString, 4> windows{
        QStringLiteral("ﾀｽｸﾊﾞｰに表示"), QStringLiteral("常に手前に表示"),
        QStringLiteral("終了時の位置を保存"), QStringLiteral("内容更新時は前面表示")};
    for (int i = 0; i < 4; ++i) {
        m_chkWindow[i] = named(new QCheckBox(windows[i], m_frame4), indexed("chkWindow", i));
        place(m_chkWindow[i], 210, 450 + 375 * i, 2220, 255);
    }
    // In the frame's spare bottom row, below the other window options.
    m_chkLogin = named(new QCheckBox(QStringLiteral("ログイン時に起動"), m_frame4),
                       QStringLiteral("chkLogin"));
    place(m_chkLogin, 210, 1890, 2220, 225);

    m_frame3 = named(new QGroupBox(QStringLiteral("表示速度"), m_frame4), QStringLiteral("Frame3"));
    place(m_frame3, 2460, 465, 990, 1590);
    auto* range =
        named(new QLabel(QStringLiteral("( 1 - 100 )"), m_frame3), QStringLiteral("Label3"));
    QFont rangeFont = range->font();
    rangeFont.setPointSize(8);
    range->setFont(rangeFont);
    range->setAlignment(Qt::AlignCenter);
    place(range, 30, 330, 930, 225);
    m_txtInterval = numberBox(m_frame3, QStringLiteral("txtInterval"), 3);
    place(m_txtInterval, 225, 660, 540, 270);
    m_cmdTest = button(m_frame3, QStringLiteral("cmdTest"), QStringLiteral("ﾃｽﾄ"));
    place(m_cmdTest, 150, 1080, 690, 375);

    m_fraSize = named(new QGroupBox(QStringLiteral("サイズ"), m_frame4), QStringLiteral("fraSize"));
    place(m_fraSize, 3525, 465, 810, 1590);
    const std::array<QString, 3> sizes{QStringLiteral("大"), QStringLiteral("中"),
                                       QStringLiteral("小")};
    const std::array<int, 3> sizeTops{360, 742, 1125};
    for (int i = 0; i < 3; ++i) {
        m_optSize[i] = named(new QRadioButton(sizes[i], m_fraSize), indexed("optSize", i));
        place(m_optSize[i], 195, sizeTops[i], 540, 180);
    }

    m_chkPos =
        named(new QCheckBox(QStringLiteral("位置を設定"), m_frame4), QStringLiteral("chkPos"));
    place(m_chkPos, 4335, 195, 2010, 225);
    // It stands on the frame's top line, like a caption: it hides the line
    // behind itself, and only as far as its text reaches.
    m_chkPos->setAutoFillBackground(true);
    m_chkPos->resize(std::min(m_chkPos->width(), m_chkPos->sizeHint().width() + 2),
                     m_chkPos->height());

    const std::array<QString, 4> xCaptions{QStringLiteral("左端"), QStringLiteral("中央"),
                                           QStringLiteral("右端"), QStringLiteral("指定")};
    const std::array<QString, 4> yCaptions{QStringLiteral("上端"), QStringLiteral("中央"),
                                           QStringLiteral("下端"), QStringLiteral("指定")};
    const std::array<int, 4> posTops{255, 510, 765, 1035};
    m_fraPosX = named(new QGroupBox(QStringLiteral("横位置"), m_frame4), QStringLiteral("fraPosX"));
    place(m_fraPosX, 4410, 465, 1095, 1590);
    m_fraPosY = named(new QGroupBox(QStringLiteral("縦位置"), m_frame4), QStringLiteral("fraPosY"));
    place(m_fraPosY, 5580, 465, 1095, 1590);
    for (int i = 0; i < 4; ++i) {
        m_optPosX[i] = named(new QRadioButton(xCaptions[i], m_fraPosX), indexed("optPosX", i));
        place(m_optPosX[i], 150, posTops[i], 660, 180);
        m_optPosY[i] = named(new QRadioButton(yCaptions[i], m_fraPosY), indexed("optPosY", i));
        place(m_optPosY[i], 150, posTops[i], 660, 180);
    }
    m_txtPosX = numberBox(m_fraPosX, QStringLiteral("txtPosX"), 4);
    place(m_txtPosX, 405, 1245, 540, 270);
    m_txtPosY = numberBox(m_fraPosY, QStringLiteral("txtPosY"), 4);
    place(m_txtPosY, 405, 1245, 540, 270);

    m_cmdOK = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = button(this, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    m_cmdApply = button(this, QStringLiteral("cmdApply"), QStringLiteral("適用"));
    place(m_cmdOK, 3375, 4260, 1095, 420);
    place(m_cmdCancel, 4605, 4260, 1095, 420);
    place(m_cmdApply, 5835, 4260, 1095, 420);

    m_speedTimer = named(new QTimer(this), QStringLiteral("tmrSpeedTest"));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(kFormBackground));
    setPalette(pal);
    setAutoFillBackground(true);
}

void OptionsDialog::setTabOrder() {
    QList<QWidget*> order{m_optFont[0],  m_optFont[1], m_cmdColorC,   m_cmdColorB, m_cmdFont,
                          m_chkAlarm[0], m_txtMin[0],  m_chkAlarm[1], m_txtMin[1], m_chkAlarm[2],
                          m_txtPath,     m_cmdBrowse,  m_cmdPlay};
    for (QCheckBox* c : m_chkWindow)
        order << c;
    order << m_chkLogin;
    order << m_txtInterval << m_cmdTest;
    for (QRadioButton* o : m_optSize)
        order << o;
    order << m_chkPos;
    for (QRadioButton* o : m_optPosX)
        order << o;
    order << m_txtPosX;
    for (QRadioButton* o : m_optPosY)
        order << o;
    order << m_txtPosY << m_cmdOK << m_cmdCancel << m_cmdApply;
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

} // namespace tanzo
