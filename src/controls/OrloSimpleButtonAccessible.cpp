#include "controls/OrloSimpleButtonAccessible.h"

#include "controls/OrloSimpleButton.h"

#include <QKeySequence>

OrloSimpleButtonAccessible::OrloSimpleButtonAccessible(OrloSimpleButton* pButton)
    : QAccessibleWidget(pButton, QAccessible::Button)
{ }

OrloSimpleButton* OrloSimpleButtonAccessible::Button() const
{
    return static_cast<OrloSimpleButton*>(widget());
}

QString OrloSimpleButtonAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        const QString strName = widget()->accessibleName();
        return strName.isEmpty() ? Button()->Caption() : strName;
    }
    case QAccessible::Accelerator:
        return Button()->AccessKeySequence().toString(QKeySequence::NativeText);
    default:
        // The description is the tooltip, as for any widget.
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State OrloSimpleButtonAccessible::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.pressed = Button()->State() == OrloSimpleButton::StatePressed;
    st.defaultButton = Button()->IsDefault();
    return st;
}

QStringList OrloSimpleButtonAccessible::actionNames() const
{
    QStringList lstNames = QAccessibleWidget::actionNames();
    if (Button()->Enable())
        lstNames.prepend(pressAction());
    return lstNames;
}

void OrloSimpleButtonAccessible::doAction(const QString& strAction)
{
    if (strAction == pressAction())
        Button()->Click();
    else
        QAccessibleWidget::doAction(strAction);
}

QStringList OrloSimpleButtonAccessible::keyBindingsForAction(const QString& strAction) const
{
    if (strAction == pressAction() && !Button()->AccessKeySequence().isEmpty())
        return { Button()->AccessKeySequence().toString(QKeySequence::NativeText) };
    return QAccessibleWidget::keyBindingsForAction(strAction);
}

QAccessibleInterface* OrloSimpleButtonAccessible::Factory(const QString& strClassName, QObject* pObject)
{
    if (strClassName == QLatin1String("OrloSimpleButton") && pObject && pObject->isWidgetType())
        return new OrloSimpleButtonAccessible(static_cast<OrloSimpleButton*>(pObject));
    return nullptr;
}
