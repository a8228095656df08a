// The instance rule against real processes: copies of a small program under
// the names looked for, started one after another.
//
// The name used is unique to this test run, so copies of the real program
// that other people run on the same machine are never counted or ended.

#include "app/instance_rule.h"
#include "app/process_list.h"

#include <QtTest>

#include <unistd.h>

#include <memory>
#include <vector>

class InstanceRuleTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();
    void countsOnlyTheExactName();
    void terminateEndsOnlyTheOldestCopy();
    void newCopyEndsTheOldestCopy();
    void copyNeverEndsItselfWhenItIsTheOldest();
    void singleCopyEndsNothing();
    void replacesOnlyACopyOfTheSameUserAndSession();
    void describesThisProcessAsItsOwnUser();

  private:
    QProcess *startCopy(const QString &program, const QStringList &arguments);
    QProcess *startSleeper() { return startCopy(sleeperPath, {"60"}); }
    QProcess *startWrongCaseSleeper() { return startCopy(wrongCasePath, {"60"}); }
    QProcess *startProbe() { return startCopy(probePath, {QString::fromLatin1(name)}); }
    static QByteArray applyRuleIn(QProcess *probe);
    static void verifyEndedBySignal(QProcess *process);
    static void verifyStillRunning(QProcess *process);
    static void verifyProbeEndsNormally(QProcess *probe);

    QTemporaryDir folder;
    QByteArray name;
    QByteArray wrongCaseName;
    QString sleeperPath;
    QString wrongCasePath;
    QString probePath;
    std::vector<std::unique_ptr<QProcess>> started;
};

static void CopyExecutable(const QString &source, const QString &target)
{
    QVERIFY(QDir().mkpath(QFileInfo(target).path()));
    QVERIFY2(QFile::copy(source, target), qPrintable(source));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void InstanceRuleTest::initTestCase()
{
    QVERIFY(folder.isValid());
    name = "SheetwrightRule" + QByteArray::number(QCoreApplication::applicationPid());
    wrongCaseName = name.toLower();
    sleeperPath = folder.filePath("sleeper/" + QString::fromLatin1(name));
    wrongCasePath = folder.filePath("wrong-case/" + QString::fromLatin1(wrongCaseName));
    probePath = folder.filePath("probe/" + QString::fromLatin1(name));
    CopyExecutable(QStringLiteral("/bin/sleep"), sleeperPath);
    CopyExecutable(QStringLiteral("/bin/sleep"), wrongCasePath);
    CopyExecutable(QStringLiteral(INSTANCE_RULE_PROBE), probePath);
}

void InstanceRuleTest::cleanup()
{
    for (const auto &process : started) {
        process->kill();
        process->waitForFinished(5000);
    }
    started.clear();
}

QProcess *InstanceRuleTest::startCopy(const QString &program, const QStringList &arguments)
{
    // Start times are counted in clock ticks; a pause keeps the order sharp.
    QTest::qWait(30);
    started.push_back(std::make_unique<QProcess>());
    QProcess *process = started.back().get();
    process->start(program, arguments);
    if (!process->waitForStarted(5000))
        qWarning("could not start %s", qPrintable(program));
    return process;
}

QByteArray InstanceRuleTest::applyRuleIn(QProcess *probe)
{
    probe->write("go\n");
    while (!probe->canReadLine())
        if (!probe->waitForReadyRead(5000))
            return QByteArray();
    return probe->readLine().trimmed();
}

void InstanceRuleTest::verifyEndedBySignal(QProcess *process)
{
    QVERIFY(process->waitForFinished(5000));
    QCOMPARE(process->exitStatus(), QProcess::CrashExit);
}

void InstanceRuleTest::verifyStillRunning(QProcess *process)
{
    QVERIFY(!process->waitForFinished(300));
    QCOMPARE(process->state(), QProcess::Running);
}

void InstanceRuleTest::verifyProbeEndsNormally(QProcess *probe)
{
    verifyStillRunning(probe);
    probe->closeWriteChannel();
    QVERIFY(probe->waitForFinished(5000));
    QCOMPARE(probe->exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe->exitCode(), 0);
}

void InstanceRuleTest::countsOnlyTheExactName()
{
    QCOMPARE(CountProcessesNamed(name.constData()), 0);
    startSleeper();
    startSleeper();
    startWrongCaseSleeper();

    QCOMPARE(CountProcessesNamed(name.constData()), 2);
    QCOMPARE(CountProcessesNamed(wrongCaseName.constData()), 1);
    QCOMPARE(CountProcessesNamed(name.left(name.size() - 1).constData()), 0);
    QCOMPARE(CountProcessesNamed(""), 0);
    QCOMPARE(CountProcessesNamed(nullptr), 0);
}

void InstanceRuleTest::terminateEndsOnlyTheOldestCopy()
{
    QProcess *oldest = startSleeper();
    QProcess *younger = startSleeper();
    QProcess *wrongCase = startWrongCaseSleeper();

    QCOMPARE(TerminateProcessNamed(nullptr), 0);
    QCOMPARE(TerminateProcessNamed(name.constData()), 1);
    verifyEndedBySignal(oldest);
    verifyStillRunning(younger);
    verifyStillRunning(wrongCase);

    QCOMPARE(TerminateProcessNamed(name.constData()), 1);
    verifyEndedBySignal(younger);
    QCOMPARE(TerminateProcessNamed(name.constData()), 0);
    verifyStillRunning(wrongCase);
}

void InstanceRuleTest::newCopyEndsTheOldestCopy()
{
    QProcess *oldest = startSleeper();
    QProcess *younger = startSleeper();
    QProcess *wrongCase = startWrongCaseSleeper();
    QProcess *probe = startProbe();

    QCOMPARE(applyRuleIn(probe), QByteArray("ended=1"));
    verifyEndedBySignal(oldest);
    verifyStillRunning(younger);
    verifyStillRunning(wrongCase);
    verifyProbeEndsNormally(probe);
}

void InstanceRuleTest::copyNeverEndsItselfWhenItIsTheOldest()
{
    QProcess *probe = startProbe();
    QProcess *younger = startSleeper();

    QCOMPARE(applyRuleIn(probe), QByteArray("ended=0"));
    verifyStillRunning(younger);
    verifyProbeEndsNormally(probe);
}

void InstanceRuleTest::singleCopyEndsNothing()
{
    QProcess *wrongCase = startWrongCaseSleeper();
    QProcess *probe = startProbe();

    QCOMPARE(applyRuleIn(probe), QByteArray("ended=0"));
    verifyStillRunning(wrongCase);
    verifyProbeEndsNormally(probe);
}

// Listed oldest first, as the process list gives them.
void InstanceRuleTest::replacesOnlyACopyOfTheSameUserAndSession()
{
    using Copies = std::vector<RunningProcess>;
    const RunningProcess self{500, 900, "1000", "7"};
    const RunningProcess otherUser{100, 100, "0", "7"};
    const RunningProcess otherSession{200, 200, "1000", "8"};
    const RunningProcess ownOlder{300, 300, "1000", "7"};
    const RunningProcess ownYounger{600, 950, "1000", "7"};

    QVERIFY(!CopyToReplace(Copies{otherUser, otherSession, self}, self));
    const Copies withOwnCopies{otherUser, otherSession, ownOlder, self, ownYounger};
    const RunningProcess *replaced = CopyToReplace(withOwnCopies, self);
    QVERIFY(replaced);
    QCOMPARE(replaced->pid, 300L);
    // The oldest copy of its own user and session ends nothing.
    QVERIFY(!CopyToReplace(Copies{otherUser, self, ownYounger}, self));
    QVERIFY(!CopyToReplace(Copies{}, self));
}

void InstanceRuleTest::describesThisProcessAsItsOwnUser()
{
    const RunningProcess self = ThisProcess();
    QCOMPARE(self.pid, long(getpid()));
    QCOMPARE(QString::fromStdString(self.owner), QString::number(getuid()));
    QVERIFY(self.startTicks > 0);
}

QTEST_GUILESS_MAIN(InstanceRuleTest)
#include "test_instance_rule.moc"
