#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A titled group of radio buttons in columns, one of them selected.
class TRadioGroup : public QGroupBox {
  public:
    TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;
    int Count() const;

  private:
    QButtonGroup *group_;
};
