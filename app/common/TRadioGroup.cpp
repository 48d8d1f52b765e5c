#include "common/TRadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    auto *layout = new QGridLayout(this);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        layout->addWidget(button, i % rows, i / rows);
    }
}

int TRadioGroup::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton *button = group_->button(index)) button->setChecked(true);
}

QRadioButton *TRadioGroup::Button(int index) const {
    return static_cast<QRadioButton *>(group_->button(index));
}

int TRadioGroup::Count() const {
    return static_cast<int>(group_->buttons().size());
}
