// Unmerge and column widths on the Workbook stream of legacy .xls workbooks
// written by xlwt and LibreOffice: only MERGEDCELLS or COLINFO records change,
// as a record-by-record comparison shows, and xlrd reads the result as the
// job meant it and everything else as it was.
#include "xls/xls_book.h"
#include "xls_check.h"

#include "file_bytes.h"
#include "python_check.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using engine::CellArea;
using engine::XlsBook;

namespace
{

constexpr size_t kData = 0;
constexpr size_t kSecond = 1;
constexpr size_t kEmpty = 2;

XlsBook Loaded(const QString &streamPath)
{
    XlsBook book;
    engine::Error error;
    if (!book.Load(testsupport::FileBytes(streamPath).toStdString(), error))
        qFatal("not loaded: %s", error.message.c_str());
    return book;
}

QString Saved(const XlsBook &book, const QString &path)
{
    std::string stream;
    engine::Error error;
    if (!book.EditedStream(stream, error))
        qFatal("not edited: %s", error.message.c_str());
    testsupport::WriteFileBytes(path, QByteArray::fromStdString(stream));
    return path;
}

QJsonObject Without(QJsonObject view, const QString &sheet, const QString &key)
{
    QJsonObject part = view[sheet].toObject();
    part.remove(key);
    view[sheet] = part;
    return view;
}

QJsonArray Merges(const QJsonObject &view, const QString &sheet)
{
    return view[sheet].toObject()["merges"].toArray();
}

QJsonArray Column(const QJsonObject &view, const QString &sheet, int column)
{
    return view[sheet].toObject()["columns"].toObject()[QString::number(column)].toArray();
}

QJsonArray Array(std::initializer_list<int> values)
{
    QJsonArray array;
    for (int value : values)
        array.append(value);
    return array;
}

QString Area(const CellArea &area)
{
    return QString("%1,%2:%3,%4")
        .arg(area.firstRow)
        .arg(area.firstColumn)
        .arg(area.lastRow)
        .arg(area.lastColumn);
}

} // namespace

class XlsJobsTest : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString xls_;
    QString stream_;
    QJsonObject original_;

    QString Path(const QString &name) const { return dir_.filePath(name); }
    QStringList Differing(const QString &after)
    {
        bool ok = false;
        const QStringList types = xlscheck::DifferingRecordTypes(stream_, after, ok);
        if (!ok)
            qWarning("the streams could not be compared");
        return ok ? types : QStringList{"not compared"};
    }

  private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        xls_ = Path("book.xls");
        stream_ = Path("book.stream");
        QVERIFY(xlscheck::WriteXlwtWorkbook(xls_, stream_));
        original_ = xlscheck::XlrdView(stream_);
        QCOMPARE(Merges(original_, "Data").size(), 3);
        QCOMPARE(Merges(original_, "第二").size(), 1);
    }

    void sheetsAreReadWithTheirNames()
    {
        const XlsBook book = Loaded(stream_);
        const auto &sheets = book.Stream().Sheets();
        QCOMPARE(sheets.size(), size_t(3));
        QCOMPARE(QString::fromStdString(sheets[kSecond].name), QString("第二"));
    }

    void unmergingEverythingChangesOnlyMergedCells()
    {
        XlsBook book = Loaded(stream_);
        engine::Error error;
        for (size_t sheet : {kData, kSecond, kEmpty})
            QVERIFY(book.UnMerge(sheet, std::nullopt, error));
        QVERIFY(book.Changed());
        const QString after = Saved(book, Path("unmerged.stream"));
        QCOMPARE(Differing(after), QStringList{"0x00e5"});
        QVERIFY(xlscheck::StreamPositionsHold(after));
        QJsonObject view = xlscheck::XlrdView(after);
        QCOMPARE(Merges(view, "Data"), QJsonArray());
        QCOMPARE(Merges(view, "第二"), QJsonArray());
        for (const char *sheet : {"Data", "第二"})
            view = Without(view, sheet, "merges");
        QJsonObject expected = original_;
        for (const char *sheet : {"Data", "第二"})
            expected = Without(expected, sheet, "merges");
        QCOMPARE(view, expected);
    }

    void unmergingAnAreaRewritesItsRecordWithTheOtherAreas()
    {
        XlsBook book = Loaded(stream_);
        engine::Error error;
        CellArea used;
        QVERIFY(book.UsedArea(kData, used, error));
        QCOMPARE(Area(used), QString("1,1:120,7"));
        // C35 lies inside C31:D41, which crosses the row blocks of rows 32 and 33.
        QVERIFY(book.UnMerge(kData, CellArea{35, 3, 35, 3}, error));
        const QString after = Saved(book, Path("area.stream"));
        QCOMPARE(Differing(after), QStringList{"0x00e5"});
        const QJsonObject view = xlscheck::XlrdView(after);
        QCOMPARE(Merges(view, "Data"), (QJsonArray{Array({1, 3, 0, 2}), Array({60, 61, 0, 5})}));
        QCOMPARE(Merges(view, "第二"), Merges(original_, "第二"));
    }

    void aWorkbookWithNothingToDoKeepsItsStream()
    {
        XlsBook book = Loaded(stream_);
        engine::Error error;
        QVERIFY(book.UnMerge(kEmpty, std::nullopt, error));
        QVERIFY(book.UnMerge(kData, CellArea{100, 10, 110, 12}, error));
        QVERIFY(!book.Changed());
        std::string stream;
        QVERIFY(book.EditedStream(stream, error));
        QCOMPARE(QByteArray::fromStdString(stream), testsupport::FileBytes(stream_));
        CellArea used;
        QVERIFY(book.UsedArea(kEmpty, used, error));
        QCOMPARE(Area(used), QString("1,1:1,1"));
    }

    void widthsSplitRangesAndKeepTheirOtherFields()
    {
        XlsBook book = Loaded(stream_);
        engine::Error error;
        // B:C over B (width 5000) and the hidden C, and F without a COLINFO.
        QVERIFY(book.SetColumnWidths(kData, {{2, 3, 3000}, {6, 6, 2560}}, error));
        QVERIFY(book.SetColumnWidths(kEmpty, {{1, 300, 4000}}, error));
        const QString after = Saved(book, Path("widths.stream"));
        QCOMPARE(Differing(after), QStringList{"0x007d"});
        QVERIFY(xlscheck::StreamPositionsHold(after));
        const QJsonObject view = xlscheck::XlrdView(after);
        QCOMPARE(Column(view, "Data", 1),
                 Array({3000, 0, Column(original_, "Data", 1)[2].toInt()}));
        QCOMPARE(Column(view, "Data", 2),
                 Array({3000, 1, Column(original_, "Data", 2)[2].toInt()}));
        QCOMPARE(Column(view, "Data", 5), Array({2560, 0, 15}));
        QCOMPARE(Column(view, "Data", 3), QJsonArray());
        QCOMPARE(Column(view, "Empty", 0), Array({4000, 0, 15}));
        QCOMPARE(Column(view, "Empty", 255), Array({4000, 0, 15}));
        QCOMPARE(view["Data"].toObject()["cells"], original_["Data"].toObject()["cells"]);
    }

    void widthsEqualToTheOldOnesChangeNothing()
    {
        XlsBook book = Loaded(stream_);
        engine::Error error;
        const int width = Column(original_, "Data", 1)[0].toInt();
        QVERIFY(book.SetColumnWidths(kData, {{2, 2, std::uint16_t(width)}}, error));
        QVERIFY(!book.Changed());
    }

    void aLibreOfficeWorkbookKeepsItsStringIndex()
    {
        const QString folder = Path("office");
        QDir().mkpath(folder);
        if (!xlscheck::ConvertWithLibreOffice(xls_, folder))
            QSKIP("LibreOffice is not installed");
        const QString converted = Path("office.stream");
        QVERIFY(
            testsupport::RunPython("import sys, olefile\n"
                                   "open(sys.argv[2], 'wb').write(olefile.OleFileIO(sys.argv[1])"
                                   ".openstream('Workbook').read())",
                                   {folder + "/book.xls", converted})
                .ok);
        stream_ = converted;
        original_ = xlscheck::XlrdView(converted);
        XlsBook book = Loaded(converted);
        engine::Error error;
        QVERIFY(book.UnMerge(kData, std::nullopt, error));
        QVERIFY(book.SetColumnWidths(kData, {{1, 1, 5120}}, error));
        const QString after = Saved(book, Path("office-edited.stream"));
        QCOMPARE(Differing(after), (QStringList{"0x007d", "0x00e5"}));
        QVERIFY(xlscheck::StreamPositionsHold(after));
        const QJsonObject view = xlscheck::XlrdView(after);
        QCOMPARE(Merges(view, "Data"), QJsonArray());
        QCOMPARE(view["第二"], original_["第二"]);
        QCOMPARE(view["Data"].toObject()["cells"], original_["Data"].toObject()["cells"]);
    }
};

QTEST_GUILESS_MAIN(XlsJobsTest)
#include "test_xls_jobs.moc"
