#include "worker/range_check.h"

#include "engine/cell_area.h"

#include <QStringList>

QString FirstInvalidRangeEntry(const QString &rangeText)
{
    for (const QString &entry : rangeText.split(QLatin1Char(','))) {
        if (!entry.isEmpty() && !engine::ParseA1Area(entry.toStdString()))
            return entry;
    }
    return QString();
}
