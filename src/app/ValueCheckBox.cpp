#include "app/ValueCheckBox.h"

ValueCheckBox::ValueCheckBox(QWidget* parent)
    : QCheckBox(parent)
{
    connect(this, &QCheckBox::stateChanged, this, [this] { Q_EMIT ValueChanged(Value()); });
}

ValueCheckBox::~ValueCheckBox() = default;

int ValueCheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void ValueCheckBox::SetValue(int intValue)
{
    if (intValue == 2) {
        setCheckState(Qt::PartiallyChecked);
        return;
    }
    setCheckState(intValue == 1 ? Qt::Checked : Qt::Unchecked);
    setTristate(false);
}

void ValueCheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    setTristate(false);
}
