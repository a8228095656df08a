#pragma once

#include <QObject>

// Carries the worker's Signal_SetButtonEnable() to the window. Named
// "Signal", it gives the form's connection by name a sender for the slot
// on_Signal_SetButtonEnable(), which would otherwise warn at every start.
class RunEndRelay : public QObject
{
    Q_OBJECT

  public:
    explicit RunEndRelay(QObject *parent) : QObject(parent)
    {
        setObjectName(QStringLiteral("Signal"));
    }

  signals:
    void SetButtonEnable();
};
