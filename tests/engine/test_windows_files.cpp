// The engine's file calls on Windows: wide names, a workbook another program
// holds open, the read-only attribute.

#include "engine_test_helpers.h"
#include "file_bytes.h"
#include "fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <windows.h>

class WindowsFilesTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void chineseNamesOpenAndSave();
    void workbookHeldOpenIsLeftAlone();
    void readOnlyAttributeRefusesTheSave();

  private:
    // Saves as the runs do: the workbook is closed before its replace
    // finishes (Windows replaces no file that is open, ours included).
    QString UnmergeAndReplace() const;
    // Only the workbook itself is in its folder: no temporary was left.
    void expectAloneInFolder() const;

    std::unique_ptr<QTemporaryDir> folder_;
    QString path_;
};

void WindowsFilesTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("表格 目录")));
    path_ = folder_->path() + QStringLiteral("/表格 目录/中文名称.xlsx");
    QVERIFY(testsupport::WriteMergedWorkbook(path_));
}

QString WindowsFilesTest::UnmergeAndReplace() const
{
    engine::PendingReplace replace;
    const QString message = UnmergeUntilReplace(path_, replace);
    engine::Error error;
    if (!message.isEmpty() || replace.Finish(error))
        return message;
    return QString::fromStdString(error.message);
}

void WindowsFilesTest::expectAloneInFolder() const
{
    const QStringList names =
        QDir(QFileInfo(path_).path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QVERIFY2(names == QStringList{QStringLiteral("中文名称.xlsx")}, qPrintable(names.join(' ')));
}

void WindowsFilesTest::chineseNamesOpenAndSave()
{
    const QByteArray before = testsupport::FileBytes(path_);
    QCOMPARE(UnmergeAndReplace(), QString());
    QVERIFY(testsupport::FileBytes(path_) != before);
    QCOMPARE(OpenError(path_), QString());
    expectAloneInFolder();
}

void WindowsFilesTest::workbookHeldOpenIsLeftAlone()
{
    const QByteArray before = testsupport::FileBytes(path_);
    // As Excel holds a workbook: others may read it, not replace it.
    const std::wstring wide = QDir::toNativeSeparators(path_).toStdWString();
    const HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    const QString message = UnmergeAndReplace();
    CloseHandle(held);
    QVERIFY2(message.contains(QStringLiteral("open in another program")), qPrintable(message));
    QCOMPARE(testsupport::FileBytes(path_), before);
    expectAloneInFolder();
}

void WindowsFilesTest::readOnlyAttributeRefusesTheSave()
{
    const QByteArray before = testsupport::FileBytes(path_);
    const std::wstring wide = QDir::toNativeSeparators(path_).toStdWString();
    QVERIFY(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
    const QString message = UnmergeAndReplace();
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    QVERIFY2(message.contains(QStringLiteral("read-only")), qPrintable(message));
    QCOMPARE(testsupport::FileBytes(path_), before);
    expectAloneInFolder();
}

QTEST_GUILESS_MAIN(WindowsFilesTest)
#include "test_windows_files.moc"
