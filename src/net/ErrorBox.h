#pragma once

#include <QString>
#include <functional>

// The message box through which the probes report an unexpected error: the caller passes the
// same interface that its run uses, so that the window, the command-line front end and the tests
// all see the box. An empty title stands for the application's title. An empty function shows
// nothing.
using ErrorBoxFn = std::function<void(const QString& strTitle, const QString& strText)>;

// Shows strText under strTitle through errorBox when there is one.
inline void ShowErrorBox(const ErrorBoxFn& errorBox, const QString& strTitle, const QString& strText)
{
    if (errorBox)
        errorBox(strTitle, strText);
}
