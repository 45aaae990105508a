#pragma once

#include <QAccessibleWidget>

class OrloSimpleButton;

// What assistive technology sees of an OrloSimpleButton: a push button named by its caption and
// described by its tooltip, with a press action, its access key and the states of a push button
// (unavailable while disabled, focusable, focused, the default button).
class OrloSimpleButtonAccessible : public QAccessibleWidget
{
public:
    explicit OrloSimpleButtonAccessible(OrloSimpleButton* pButton);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& strAction) override;
    QStringList keyBindingsForAction(const QString& strAction) const override;

    // The factory that the button installs once: an interface for every OrloSimpleButton.
    static QAccessibleInterface* Factory(const QString& strClassName, QObject* pObject);

private:
    OrloSimpleButton* Button() const;
};
