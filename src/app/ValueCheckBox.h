#pragma once

#include <QCheckBox>

// A check box that holds a value: 0 unchecked, 1 checked, 2 greyed. The greyed state can only be
// set by the program; a click always moves between unchecked and checked (a greyed box becomes
// checked).
class ValueCheckBox : public QCheckBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ValueCheckBox)

public:
    explicit ValueCheckBox(QWidget* parent = nullptr);
    ~ValueCheckBox() override;

    int Value() const;
    // Values outside 0 to 2 leave the box unchecked.
    void SetValue(int intValue);

Q_SIGNALS:
    // The value changed, through a click or through SetValue.
    void ValueChanged(int intValue);

protected:
    void nextCheckState() override;
};
