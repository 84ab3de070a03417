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

    QStringList Items() const { return m_items; }
    void AddItem(const QString &text);
    void ClearItems();
    int ItemIndex() const;
    void SetItemIndex(int index);
    int Columns() const { return m_columns; }
    void SetColumns(int columns);

signals:
    void itemIndexChanged(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    QStringList m_items;
    QButtonGroup *m_group;
    int m_columns = 1;
};

} // namespace prenso
