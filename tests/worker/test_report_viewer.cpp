// Which program shows the run report: never a terminal editor that the
// desktop's default for plain text would start without a terminal.

#include "worker/report_viewer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// An executable shell script that prints `output`.
void WriteProgram(const QString &path, const QByteArray &output = QByteArray())
{
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho '" + output + "'\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void WriteDesktopEntry(const QString &path, bool terminal)
{
    QFile entry(path);
    QVERIFY(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\nTerminal=" +
                QByteArray(terminal ? "true" : "false") + "\n[Desktop Action New]\nTerminal=false\n");
}

} // namespace

class ReportViewerTest : public QObject
{
    Q_OBJECT

  private slots:
    void choosesAGraphicalViewer();
};

void ReportViewerTest::choosesAGraphicalViewer()
{
    QTemporaryDir root;
    const QString bin = root.filePath("bin");
    const QString applications = root.filePath("data/applications");
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(applications));
    qputenv("PATH", bin.toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
    qputenv("XDG_DATA_DIRS", root.filePath("none").toUtf8());
    const QString report = root.filePath("report.txt");

    // Nothing to show it with: no command, rather than a guess.
    QCOMPARE(GraphicalTextViewerCommand(report), QStringList());

    // The desktop's default runs in a terminal: a graphical editor instead.
    WriteProgram(bin + "/xdg-open");
    WriteProgram(bin + "/xdg-mime", "vim.desktop");
    WriteDesktopEntry(applications + "/vim.desktop", true);
    QCOMPARE(GraphicalTextViewerCommand(report), QStringList());
    WriteProgram(bin + "/mousepad");
    QCOMPARE(GraphicalTextViewerCommand(report), QStringList({bin + "/mousepad", report}));

    // A graphical default is the user's choice, through xdg-open.
    WriteDesktopEntry(applications + "/vim.desktop", false);
    QCOMPARE(GraphicalTextViewerCommand(report), QStringList({bin + "/xdg-open", report}));

    // A default whose entry cannot be found is not trusted.
    WriteProgram(bin + "/xdg-mime", "gone.desktop");
    QCOMPARE(GraphicalTextViewerCommand(report), QStringList({bin + "/mousepad", report}));
}

QTEST_GUILESS_MAIN(ReportViewerTest)
#include "test_report_viewer.moc"
