#include "backends/office/xls_sniff.h"
#include "xls_fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using office::XlsKind;

Q_DECLARE_METATYPE(XlsKind)

class XlsSniffTest : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(MakeXlsFixtures(dir_.path())); }

    void tellsEachKindOfFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<XlsKind>("kind");
        QTest::newRow("BIFF8, several sheets") << "merged.xls" << XlsKind::Biff8;
        QTest::newRow("BIFF8, one small sheet") << "template.xls" << XlsKind::Biff8;
        QTest::newRow("0 bytes") << "empty.xls" << XlsKind::Empty;
        QTest::newRow("text") << "junk.xls" << XlsKind::NotXls;
        QTest::newRow("FILEPASS after BOF") << "encrypted.xls" << XlsKind::Encrypted;
        QTest::newRow("Excel 5 stream name") << "excel5.xls" << XlsKind::OlderFormat;
        QTest::newRow("no such file") << "missing.xls" << XlsKind::Unreadable;
    }
    void tellsEachKindOfFile()
    {
        QFETCH(QString, name);
        QFETCH(XlsKind, kind);
        QCOMPARE(office::SniffXls(Local(name)), kind);
        QCOMPARE(office::RefusalOf(kind).empty(), kind == XlsKind::Biff8);
    }

    // Files that only look like compound files must end the walk, not hang or crash.
    void survivesDamagedCompoundFiles()
    {
        QFile original(dir_.filePath(QStringLiteral("merged.xls")));
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        const std::pair<int, QByteArray> damages[] = {
            {48, QByteArray("\x00\x00\x00\x00", 4)}, // directory chain starts at sector 0
            {76, QByteArray("\xff\xff\xff\x7f", 4)}, // a FAT sector far past the end
            {68, QByteArray("\x00\x00\x00\x00", 4)}, // a DIFAT chain into the FAT
        };
        for (const auto &[offset, patch] : damages) {
            QByteArray damaged = bytes;
            damaged.replace(offset, patch.size(), patch);
            QFile out(dir_.filePath(QStringLiteral("damaged.xls")));
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(damaged);
            out.close();
            QVERIFY(office::SniffXls(Local(QStringLiteral("damaged.xls"))) != XlsKind::Encrypted);
        }
        QFile out(dir_.filePath(QStringLiteral("truncated.xls")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(700));
        out.close();
        QCOMPARE(office::SniffXls(Local(QStringLiteral("truncated.xls"))), XlsKind::NotXls);
    }

  private:
    std::string Local(const QString &name) const
    {
        return QFile::encodeName(dir_.filePath(name)).toStdString();
    }

    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(XlsSniffTest)
#include "test_xls_sniff.moc"
