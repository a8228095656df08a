#include "cli/progress_text.h"

#include "cli/cli_texts.h"

#include <cmath>

QString DurationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(seconds / 60 % 60, hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds
                     : minutesAndSeconds;
}

QString ProgressText(int finished, int total, double elapsedSeconds)
{
    const QString count = QStringLiteral("%1 / %2").arg(finished).arg(total);
    if (finished <= 0 || elapsedSeconds <= 0)
        return count;
    const double pace = finished / elapsedSeconds;
    const auto left = static_cast<qint64>(std::ceil((total - finished) / pace));
    return Say("%1，%2 个/秒，剩余 %3", "%1, %2 workbooks/s, %3 left")
        .arg(count, QString::number(pace, 'f', 1), DurationText(left));
}
