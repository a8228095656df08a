#pragma once
// One JSON object on a line of its own, the form scripts read line by line
// (JSON Lines).

#include <QJsonObject>
#include <QString>

QString JsonLine(const QJsonObject &object);
