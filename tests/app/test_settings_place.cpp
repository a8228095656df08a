// Started by name from PATH, as after "cmake --install --prefix ~/.local",
// the program must read its settings beside its executable, not in the
// folder it was started from.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace
{

// Names of the files opened in the watched folders, by folder, as inotify reports them.
class OpenWatch
{
  public:
    OpenWatch() : fd_(inotify_init1(IN_NONBLOCK)) {}
    ~OpenWatch() { close(fd_); }
    bool Watch(const QString &folder)
    {
        const int id = inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN);
        folders_.insert(id, folder);
        return id >= 0;
    }
    // Every "folder/name" opened since the last call.
    QStringList Opened()
    {
        QStringList opened;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = read(fd_, buffer, sizeof buffer)) > 0) {
            for (char *at = buffer; at < buffer + length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0)
                    opened << folders_.value(event->wd) + '/' + QFile::decodeName(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return opened;
    }

  private:
    int fd_;
    QHash<int, QString> folders_;
};

} // namespace

class SettingsPlaceTest : public QObject
{
    Q_OBJECT

  private slots:
    void startedByNameReadsTheFileBesideTheExecutable()
    {
        QTemporaryDir root;
        const QString bin = root.filePath("bin"), work = root.filePath("work");
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(work));
        // Another name, so that no instance rule ends or is ended by this copy.
        QVERIFY(QFile::copy(QStringLiteral(SHEETWRIGHT_PROGRAM), bin + "/SheetwrightUnderTest"));
        for (const QString &folder : {bin, work}) {
            QFile settings(folder + "/Sheetwright.orv");
            QVERIFY(settings.open(QIODevice::WriteOnly) &&
                    settings.write("SourcePath=/x/\r\n") > 0);
        }
        OpenWatch watch;
        QVERIFY(watch.Watch(bin) && watch.Watch(work));

        QProcess copy;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("PATH", bin + ':' + environment.value("PATH"));
        copy.setProcessEnvironment(environment);
        copy.setWorkingDirectory(work);
        // Through the shell, so that argv[0] is the bare name PATH resolved.
        copy.start("/bin/sh", {"-c", "exec SheetwrightUnderTest"});
        QVERIFY(copy.waitForStarted());
        QStringList opened;
        QTRY_VERIFY_WITH_TIMEOUT((opened += watch.Opened()).contains(bin + "/Sheetwright.orv"),
                                 20000);
        QVERIFY2(!opened.contains(work + "/Sheetwright.orv"), qPrintable(opened.join('\n')));
        copy.terminate();
        QVERIFY(copy.waitForFinished(20000));
    }
};

QTEST_GUILESS_MAIN(SettingsPlaceTest)
#include "test_settings_place.moc"
