#include "FontChooser.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace tanzo::options {
namespace {

// Only faces that can write the board's Japanese, each once: the toolkit
// lists a face that several foundries make as "Face [Foundry]" beside the
// plain name. The stored face may be a name the system only knows through
// a substitution; it stays choosable so OK without a change keeps it.
QStringList choosableFaces(const QString& stored) {
    QStringList families;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese)) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        const QString face = family.section(QStringLiteral(" ["), 0, 0);
        if (!families.contains(face))
            families.append(face);
    }
    if (!families.contains(stored))
        families.prepend(stored);
    return families;
}

} // namespace

FontChooser::FontChooser(const QFont& initial, FontSizeRange sizes, QWidget* parent)
    : QDialog(parent), m_sizes(sizes) {
    setObjectName(QStringLiteral("FontChooser"));
    setWindowTitle(QStringLiteral("フォント"));

    m_faces = new QListWidget(this);
    m_faces->setObjectName(QStringLiteral("lstFace"));
    m_faces->addItems(choosableFaces(initial.family()));
    const QList<QListWidgetItem*> current = m_faces->findItems(initial.family(), Qt::MatchExactly);
    if (!current.isEmpty())
        m_faces->setCurrentItem(current.first());

    m_sizeList = new QListWidget(this);
    m_sizeList->setObjectName(QStringLiteral("lstSize"));
    for (int size = sizes.smallest; size <= sizes.largest; ++size)
        m_sizeList->addItem(QString::number(size));
    const int initialSize = std::clamp(static_cast<int>(std::lround(initial.pointSizeF())),
                                       sizes.smallest, sizes.largest);
    m_sizeList->setCurrentRow(initialSize - sizes.smallest);

    m_bold = new QCheckBox(QStringLiteral("太字"), this);
    m_bold->setObjectName(QStringLiteral("chkBold"));
    m_bold->setChecked(initial.bold());
    m_italic = new QCheckBox(QStringLiteral("斜体"), this);
    m_italic->setObjectName(QStringLiteral("chkItalic"));
    m_italic->setChecked(initial.italic());

    m_sample = new QLabel(QStringLiteral("今日の予定 AaBb 123"), this);
    m_sample->setObjectName(QStringLiteral("lblSample"));
    m_sample->setMinimumHeight(48);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setFrameShape(QFrame::StyledPanel);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("フォント名"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("サイズ"), this), 0, 1);
    grid->addWidget(m_faces, 1, 0, 3, 1);
    grid->addWidget(m_sizeList, 1, 1);
    grid->addWidget(m_bold, 2, 1);
    grid->addWidget(m_italic, 3, 1);
    grid->addWidget(m_sample, 4, 0, 1, 2);
    grid->addWidget(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);

    connect(m_faces, &QListWidget::currentRowChanged, this, &FontChooser::updateSample);
    connect(m_sizeList, &QListWidget::currentRowChanged, this, &FontChooser::updateSample);
    connect(m_bold, &QCheckBox::toggled, this, &FontChooser::updateSample);
    connect(m_italic, &QCheckBox::toggled, this, &FontChooser::updateSample);
    updateSample();
    resize(420, 360);
}

FontChoice FontChooser::choice() const {
    FontChoice c;
    c.family = m_faces->currentItem() ? m_faces->currentItem()->text() : QString();
    c.bold = m_bold->isChecked();
    c.italic = m_italic->isChecked();
    c.pointSize = m_sizes.smallest + std::max(m_sizeList->currentRow(), 0);
    return c;
}

void FontChooser::updateSample() {
    const FontChoice c = choice();
    QFont font(c.family);
    font.setBold(c.bold);
    font.setItalic(c.italic);
    font.setPointSize(c.pointSize);
    m_sample->setFont(font);
}

} // namespace tanzo::options
