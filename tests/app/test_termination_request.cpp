// A copy of the program asked to end (SIGTERM, as a newer copy does) must quit
// through its event loop and exit with code 0, not die from the signal.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// True once the process has a handler for SIGTERM (bit 15 of SigCgt), so the
// request cannot reach it before the program is ready for it.
bool CatchesTermination(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ull << 14);
    }
    return false;
}

} // namespace

class TerminationRequestTest : public QObject
{
    Q_OBJECT

  private slots:
    void endedCopyExitsNormallyWithCodeZero()
    {
        // A copy under another name, so the instance rule of this copy and of
        // any other running copy leave each other alone.
        QTemporaryDir folder;
        const QString program = folder.filePath(QStringLiteral("SheetwrightUnderTest"));
        QVERIFY(QFile::copy(QStringLiteral(SHEETWRIGHT_PROGRAM), program));

        QProcess copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        copy.setProcessEnvironment(environment);
        copy.setWorkingDirectory(folder.path());
        copy.start(program, QStringList());
        QVERIFY(copy.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(CatchesTermination(copy.processId()), 10000);

        copy.terminate();
        QVERIFY(copy.waitForFinished(20000));
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TerminationRequestTest)
#include "test_termination_request.moc"
