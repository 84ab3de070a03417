#include "app/RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace prenso {

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent) : QGroupBox(caption, parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::itemIndexChanged);
}

void TRadioGroup::AddItem(const QString &text)
{
    auto *button = new QRadioButton(text, this);
    m_group->addButton(button, static_cast<int>(m_items.size()));
    m_items << text;
    button->show();
    relayout();
}

void TRadioGroup::ClearItems()
{
    for (QAbstractButton *b : m_group->buttons()) {
        m_group->removeButton(b);
        delete b;
    }
    m_items.clear();
}

int TRadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *b = m_group->button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

void TRadioGroup::SetColumns(int columns)
{
    m_columns = columns < 1 ? 1 : columns;
    relayout();
}

void TRadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    relayout();
}

void TRadioGroup::relayout()
{
    // Items fill the columns top to bottom, each row sharing the height.
    const auto buttons = m_group->buttons();
    if (buttons.isEmpty())
        return;
    const int count = static_cast<int>(buttons.size());
    const int rows = (count + m_columns - 1) / m_columns;
    const int top = 16, left = 8;
    const int innerW = width() - 2 * left;
    const int innerH = height() - top - 4;
    const int colW = innerW / m_columns;
    const int rowH = rows > 0 ? std::max(17, std::min(innerH / rows, 24)) : 17;
    for (int i = 0; i < count; ++i) {
        QAbstractButton *b = m_group->button(i);
        const int col = i / rows, row = i % rows;
        b->setGeometry(left + col * colW, top + row * rowH, colW - 4, 17);
    }
}

} // namespace prenso
