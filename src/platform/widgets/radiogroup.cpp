#include "platform/widgets/radiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>

namespace prenso {

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent), FGroup(new QButtonGroup(this))
{
    FGroup->setExclusive(true);
    connect(FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::itemIndexChanged);
}

void TRadioGroup::AddItem(const QString &text)
{
    auto *button = new QRadioButton(text, this);
    FGroup->addButton(button, static_cast<int>(FItems.size()));
    FItems << text;
    button->show();
    relayout();
}

void TRadioGroup::ClearItems()
{
    for (QAbstractButton *b : FGroup->buttons()) {
        FGroup->removeButton(b);
        delete b;
    }
    FItems.clear();
}

int TRadioGroup::ItemIndex() const
{
    return FGroup->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *b = FGroup->button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = FGroup->checkedButton()) {
        FGroup->setExclusive(false);
        checked->setChecked(false);
        FGroup->setExclusive(true);
    }
}

void TRadioGroup::SetColumns(int columns)
{
    FColumns = columns < 1 ? 1 : columns;
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
    const auto buttons = FGroup->buttons();
    if (buttons.isEmpty())
        return;
    const int count = static_cast<int>(buttons.size());
    const int rows = (count + FColumns - 1) / FColumns;
    const int top = 16, left = 8;
    const int innerW = width() - 2 * left;
    const int innerH = height() - top - 4;
    const int colW = innerW / FColumns;
    const int rowH = rows > 0 ? std::max(17, std::min(innerH / rows, 24)) : 17;
    for (int i = 0; i < count; ++i) {
        QAbstractButton *b = FGroup->button(i);
        const int col = i / rows, row = i % rows;
        b->setGeometry(left + col * colW, top + row * rowH, colW - 4, 17);
    }
}

} // namespace prenso
