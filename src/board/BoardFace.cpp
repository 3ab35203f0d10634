#include "BoardFace.h"

#include "board/BoardContent.h"
#include "core/Colors.h"
#include "platform/AccessibleRole.h"
#include "platform/Fonts.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace tanzo {

using layout::Column;

namespace {

void setTextColor(QLabel* label, BgrColor color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toQColor(color));
    label->setPalette(palette);
}

// Named for good: a label without a name of its own announces every text
// it shows, and the flap shows dozens a second. The rows are read through
// RowReading instead.
void keepQuiet(QLabel* label) {
    label->setAccessibleName(label->objectName());
}

BgrColor textColor(const QLabel* label) {
    return fromQColor(label->palette().color(QPalette::WindowText));
}

void setBackColor(QWidget* widget, BgrColor color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, toQColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

BoardFace::BoardFace(QWidget& window, const Settings& settings, QObject* inputFilter)
    : m_window(window), m_settings(settings), m_inputFilter(inputFilter),
      m_twips(Twips::fromPrimaryScreen()), m_reading(window),
      m_drawnForeColor1(settings.foreColor1), m_drawnForeColor2(settings.foreColor2) {
    setBackColor(&window, layout::WindowBackColor);
    createHeader();
    createTitleStrip();
    createRows();
}

QLabel* BoardFace::newLabel(const QString& name) {
    auto* label = new QLabel(&m_window);
    label->setObjectName(name);
    label->installEventFilter(m_inputFilter);
    return label;
}

void BoardFace::createHeader() {
    QFont font(layout::HeaderFontName);
    font.setPointSizeF(layout::HeaderFontPoints);
    font.setWeight(QFont::Normal);
    // The band first, so the four captions lie in front of it.
    m_headers[4] = newLabel(QStringLiteral("Label5"));
    for (int i = 0; i < 4; ++i) {
        m_headers[i] = newLabel(QStringLiteral("Label%1").arg(i + 1));
        m_headers[i]->setText(layout::HeaderCaptions[i]);
        m_headers[i]->setAlignment(Qt::AlignCenter);
        // 行先, not 行 and 先 four spaces apart. The first caption changes
        // with the size and is read as it is shown.
        if (i > 0)
            m_headers[i]->setAccessibleName(
                QString(layout::HeaderCaptions[i]).remove(QChar(u'\u3000')));
    }
    keepQuiet(m_headers[4]); // the band: the captions are read by their texts
    for (QLabel* header : m_headers) {
        header->setFont(font);
        setBackColor(header, layout::HeaderBackColor);
        setTextColor(header, layout::HeaderForeColor);
    }
}

void BoardFace::createTitleStrip() {
    QFont font(layout::TitleFontName);
    font.setPointSizeF(layout::TitleFontPoints);
    font.setWeight(static_cast<QFont::Weight>(layout::TitleFontWeight));
    const auto make = [&](const QString& name, const QString& caption, const QString& tip,
                          BgrColor back, Qt::Alignment alignment) {
        QLabel* label = newLabel(name);
        // The three with a tip are read out as the buttons they are, by what
        // they do (the role before the text: that makes the label known).
        if (!tip.isEmpty()) {
            setAccessibleRole(label, QAccessible::Button);
            label->setAccessibleName(tip);
        }
        label->setText(caption);
        label->setToolTip(tip);
        label->setFont(font);
        label->setAlignment(alignment);
        setBackColor(label, back);
        setTextColor(label, layout::TitleForeColor);
        return label;
    };
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    m_control = make(QStringLiteral("lblCntl"), QStringLiteral("□"), QStringLiteral("コマンド"),
                     layout::TitleButtonBackColor, left);
    m_title = make(QStringLiteral("lblTitle"), layout::TitleCaption, QString(),
                   layout::TitleBackColor, Qt::AlignCenter);
    m_title->setMouseTracking(true);
    m_minimise = make(QStringLiteral("lblMini"), QStringLiteral("－"), QStringLiteral("最小化"),
                      layout::TitleButtonBackColor, left);
    m_close = make(QStringLiteral("lblExit"), QStringLiteral("×"), QStringLiteral("閉じる"),
                   layout::TitleButtonBackColor, left);
    // The title is read by its words rather than its row of 〓.
    m_title->setAccessibleName(QString(layout::TitleCaption).remove(QChar(u'〓')).trimmed());
}

void BoardFace::makeButtonsFocusable() {
    for (QLabel* button : {m_control, m_minimise, m_close})
        button->setFocusPolicy(Qt::TabFocus);
}

void BoardFace::createRows() {
    // Cells before texts: later siblings are drawn in front.
    for (int member = 0; member < 6; ++member) {
        for (int c = 0; c < layout::ColumnCount; ++c) {
            const auto column = static_cast<Column>(c);
            QLabel* label =
                newLabel(QStringLiteral("%1_%2").arg(layout::columnName(column)).arg(member));
            if (member < 3) {
                label->setFrameStyle(QFrame::Box | QFrame::Plain);
                label->setLineWidth(1);
                label->setAlignment(column == layout::Comment ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
            }
            if (column == layout::Comment)
                label->setMouseTracking(true);
            keepQuiet(label);
            m_columns[c][member] = label;
        }
    }
    for (int c = 0; c < layout::ColumnCount; ++c) {
        for (int member = 3; member < 6; ++member)
            m_columns[c][member]->raise();
    }
}

void BoardFace::showInitialCaptions() {
    const Settings& settings = m_settings;
    for (auto& column : m_columns) {
        for (int member = 0; member < 3; ++member) {
            column[member]->setText(QString());
            setBackColor(column[member], settings.backColor);
        }
    }
    for (int r = 0; r < 3; ++r) {
        const auto text = [&](Column column) { return m_columns[column][r + 3]; };
        text(layout::Seq)->setText(board::SeqWords[r]);
        setTextColor(text(layout::Seq), layout::SeqDesignColor);
        text(layout::Status)->setText(QString());
        setTextColor(text(layout::Status), layout::SeqDesignColor);
        text(layout::Place)->setText(board::AdjustingPlace);
        text(layout::Dot)->setText(board::DotCaption);
        for (Column column :
             {layout::Place, layout::Hour, layout::Dot, layout::Min, layout::Comment})
            setTextColor(text(column), settings.foreColor1);
        for (Column column : {layout::Hour, layout::Min, layout::Comment})
            text(column)->setText(QString());
    }
}

void BoardFace::placeLabel(QLabel* label, double left, double top, double width, double height) {
    label->setGeometry(m_twips.toPixels(left), m_twips.toPixels(top), m_twips.toPixels(width),
                       m_twips.toPixels(height));
}

QSize BoardFace::layOut(int size) {
    const QSize outer = placeCells(size);
    alignTexts();
    return outer;
}

QSize BoardFace::placeCells(int size) {
    const layout::SizeGeometry& g = layout::geometry(size);
    placeLabel(m_control, layout::CntlLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);
    placeLabel(m_title, layout::TitleLeft, layout::TitleTop, g.titleWidth, layout::TitleHeight);
    placeLabel(m_minimise, g.miniLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);
    placeLabel(m_close, g.exitLeft, layout::TitleTop, layout::TitleButtonWidth,
               layout::TitleHeight);

    const Settings& settings = m_settings;
    const QFont font = boardFont();

    for (int c = 0; c < layout::ColumnCount; ++c) {
        const auto column = static_cast<Column>(c);
        for (int r = 0; r < 3; ++r) {
            QLabel* cell = m_columns[c][r];
            // A colour the options dialog applied shows at once.
            setBackColor(cell, settings.backColor);
            if (column == layout::Seq)
                cell->setFont(font);
            m_cellRects[c][r] = layout::cellRect(g, column, r);
            const layout::TwipRect& rect = m_cellRects[c][r];
            placeLabel(cell, rect.left, rect.top, rect.width, rect.height);
            cell->show();
            // Until alignTexts() fits it to its caption the text covers its
            // cell; a label without a size of its own would measure its
            // text as it is shown.
            placeLabel(m_columns[c][r + 3], rect.left, rect.top, rect.width, rect.height);
        }
    }

    m_reading.place(g, m_twips);

    m_headers[0]->setText(g.label1Caption);
    for (int i = 0; i < 5; ++i) {
        const bool band = i == 4;
        placeLabel(m_headers[i], g.headers[i].left,
                   band ? layout::HeaderBandTop : layout::HeaderTop, g.headers[i].width,
                   band ? layout::HeaderBandHeight : layout::HeaderHeight);
    }
    m_textsPending = true;
    return {m_twips.toPixels(g.outerWidth), m_twips.toPixels(g.outerHeight)};
}

void BoardFace::alignTexts() {
    drawWithInstalledFamilies();
    for (int c = 0; c < layout::ColumnCount; ++c)
        alignCellText(static_cast<Column>(c), 0, 2);
    // Labels still in the old colours have been carried over to the new ones.
    m_drawnForeColor1 = m_settings.foreColor1;
    m_drawnForeColor2 = m_settings.foreColor2;
    m_textsPending = false;
}

void BoardFace::drawWithInstalledFamilies() {
    // Looking the families up loads the font list, so it waits until the
    // texts are measured, after the board is on the screen.
    const auto install = [](QLabel* label) {
        QFont font = label->font();
        const QString family = installedFamily(font.family());
        if (family != font.family()) {
            font.setFamily(family);
            label->setFont(font);
        }
    };
    for (QLabel* label : m_headers)
        install(label);
    for (QLabel* label : {m_control, m_title, m_minimise, m_close})
        install(label);
    for (int r = 0; r < 3; ++r)
        install(m_columns[layout::Seq][r]);
}

void BoardFace::alignPendingTexts() {
    if (m_textsPending)
        alignTexts();
}

void BoardFace::alignCellText(Column column, int first, int last) {
    const Settings& settings = m_settings;
    for (int r = first; r <= last; ++r) {
        QLabel* text = m_columns[column][r + 3];
        text->setFont(m_columns[layout::Seq][r]->font());
        text->adjustSize();
        setTextColor(text, layout::carriedColor(textColor(text), m_drawnForeColor1,
                                                m_drawnForeColor2, settings));
        const QSizeF size(m_twips.fromPixels(text->width()), m_twips.fromPixels(text->height()));
        const QPointF pos = layout::alignedTextPos(column, m_cellRects[column][r], size);
        text->move(m_twips.toPixels(pos.x()), m_twips.toPixels(pos.y()));
    }
}

QLabel* BoardFace::cell(const QString& column, int index) const {
    const Column c = layout::columnFromName(column);
    if (c == layout::ColumnCount || index < 0 || index > 5)
        return nullptr;
    return m_columns[c][index];
}

int BoardFace::commentIndexOf(const QObject* label) const {
    for (int i = 0; i < 6; ++i)
        if (label == m_columns[layout::Comment][i])
            return i;
    return -1;
}

QList<QWidget*> BoardFace::accessibleParts() const {
    return {m_control,    m_title,      m_minimise,   m_close,         m_headers[0],
            m_headers[1], m_headers[2], m_headers[3], m_reading.list()};
}

void BoardFace::readRows() {
    for (int r = 0; r < 3; ++r) {
        const auto shown = [&](Column column) {
            const QLabel* label = text(column, r);
            return label->isHidden() ? QString() : label->text();
        };
        m_reading.setCaptions(r,
                              {shown(layout::Seq), shown(layout::Status), shown(layout::Hour),
                               shown(layout::Min), shown(layout::Place), shown(layout::Comment)});
    }
}

QFont BoardFace::boardFont() const {
    // Named as the settings name it: the options dialog stores this family.
    QFont font(m_settings.fontName);
    font.setPointSizeF(m_settings.fontSize > 0 ? m_settings.fontSize : 9);
    font.setBold(m_settings.fontBold);
    font.setItalic(m_settings.fontItalic);
    return font;
}

QString BoardFace::caption(Column column, int row) const {
    return text(column, row)->text();
}

void BoardFace::setCaption(Column column, int row, const QString& caption) {
    QLabel* label = text(column, row);
    label->setText(caption);
    label->adjustSize();
}

BgrColor BoardFace::color(Column column, int row) const {
    return textColor(text(column, row));
}

void BoardFace::setColor(Column column, int row, BgrColor color) {
    setTextColor(text(column, row), color);
}

void BoardFace::setVisible(Column column, int row, bool visible) {
    text(column, row)->setVisible(visible);
}

void BoardFace::align(Column column, int row) {
    alignCellText(column, row, row);
}

} // namespace tanzo
