#pragma once
// Shared by the tests that check the form's texts fit, in either language.

#include <QStringList>
#include <QWidget>

// The visible widgets of `window` given less room than they need to show
// their texts whole; empty when everything fits.
inline QStringList CutOffWidgets(const QWidget &window)
{
    QStringList cut;
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->objectName().startsWith("qt_"))
            continue;
        const QSize needed = widget->minimumSizeHint();
        if (widget->width() < needed.width() || widget->height() < needed.height())
            cut << widget->objectName();
    }
    return cut;
}
