#pragma once
// A captioned group of radio buttons with a list of item texts and the index of
// the selected one (-1 for none), laid out in one or more columns.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace prenso {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString &caption, QWidget *parent = nullptr);

    QStringList Items() const { return FItems; }
    void AddItem(const QString &text);
    void ClearItems();
    int ItemIndex() const;
    void SetItemIndex(int index);
    void SetColumns(int columns);

signals:
    void itemIndexChanged(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    QStringList FItems;
    QButtonGroup *FGroup;
    int FColumns = 1;
};

} // namespace prenso
