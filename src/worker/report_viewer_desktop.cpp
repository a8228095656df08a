#include "worker/report_viewer.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace
{

const char *const kGraphicalEditors[] = {"gnome-text-editor", "gedit", "mousepad", "kate",
                                         "xed",               "pluma", "featherpad"};

// The .desktop file id that xdg-mime names for plain text; empty without one.
QString DefaultTextApplication()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return QString();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("text/plain")});
    if (!query.waitForFinished(5000) || query.exitCode() != 0)
        return QString();
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// True when the desktop entry exists and does not ask for a terminal.
bool IsGraphicalEntry(const QString &desktopId)
{
    QFile entry(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId));
    if (desktopId.isEmpty() || !entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool mainGroup = false;
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            mainGroup = line == QLatin1String("[Desktop Entry]");
        else if (mainGroup && line.startsWith(QLatin1String("Terminal=")))
            return line.mid(9).trimmed() != QLatin1String("true");
    }
    return true;
}

} // namespace

QStringList GraphicalTextViewerCommand(const QString &filePath)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && IsGraphicalEntry(DefaultTextApplication()))
        return {xdgOpen, filePath};
    for (const char *editor : kGraphicalEditors) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(editor));
        if (!program.isEmpty())
            return {program, filePath};
    }
    return {};
}

bool ShowInTextViewer(const QString &filePath)
{
    const QStringList command = GraphicalTextViewerCommand(filePath);
    return !command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1));
}
