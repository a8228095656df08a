// Legacy .xls workbooks through the native backend, as the runs call it:
// unmerge and pasted widths saved in place with only their records changed,
// nothing written when nothing changes, and every job the engine cannot do
// there, or file it cannot read, failing with a reason and the file untouched.
#include "backends/native/native_backend.h"
#include "file_bytes.h"
#include "python_check.h"
#include "xls_check.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace testsupport;

namespace
{

const char kTemplateScript[] = R"(
import sys, openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet['A1'] = 'model'
sheet['A1'].font = openpyxl.styles.Font(bold=True)
sheet.column_dimensions['B'].width = 20.5
sheet.column_dimensions['C'].width = 3
book.save(sys.argv[1])
)";

const char kBoldA1Script[] = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
s = b.sheet_by_index(0)
assert b.font_list[b.xf_list[s.cell_xf_index(0, 0)].font_index].bold
)";

const char kStreamScript[] = R"(
import sys, olefile
open(sys.argv[2], 'wb').write(olefile.OleFileIO(sys.argv[1]).openstream('Workbook').read())
)";

QJsonArray Merges(const QJsonObject &view, const QString &sheet)
{
    return view[sheet].toObject()["merges"].toArray();
}

} // namespace

class XlsNativeTest : public QObject
{
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString xls_;
    QString stream_;
    std::unique_ptr<automation::SpreadsheetApp> app_;

    QString Path(const QString &name) const { return dir_.filePath(name); }
    QString StreamOf(const QString &xls)
    {
        const QString stream = xls + ".stream";
        return RunPython(kStreamScript, {xls, stream}).ok ? stream : QString();
    }
    // Saves as the runs do; returns the reason, or "" when saved.
    QString SaveAndClose(automation::Workbook &book, bool &unchanged)
    {
        QString reason = "not finished";
        book.SaveAndClose([&reason](bool ok, const QString &why) { reason = ok ? "" : why; });
        app_->Quit(); // waits for the save's last step
        unchanged = book.SavedWithoutChange();
        return reason;
    }

  private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        xls_ = Path("book.xls");
        stream_ = Path("original.stream");
        QFile::remove(xls_);
        QVERIFY(xlscheck::WriteXlwtWorkbook(xls_, stream_));
        app_ = CreateNativeApp();
    }

    void unmergeOfEveryUsedRangeChangesOnlyMergedCells()
    {
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        QVERIFY2(book, qPrintable(app_->WorkBooks()->LastOpenError()));
        automation::SheetCollection *sheets = book->Sheets();
        QCOMPARE(sheets->Count(), 3);
        QCOMPARE(sheets->Item(2)->Name(), QString("第二"));
        for (int i = 1; i <= sheets->Count(); ++i)
            sheets->Item(i)->UsedRange()->UnMerge();
        bool unchanged = true;
        QCOMPARE(SaveAndClose(*book, unchanged), QString());
        QVERIFY(!unchanged);
        const QString after = StreamOf(xls_);
        bool compared = false;
        QCOMPARE(xlscheck::DifferingRecordTypes(stream_, after, compared), QStringList{"0x00e5"});
        QVERIFY(compared);
        const QJsonObject view = xlscheck::XlrdView(xls_);
        QCOMPARE(Merges(view, "Data"), QJsonArray());
        QCOMPARE(view["Data"].toObject()["cells"],
                 xlscheck::XlrdView(stream_)["Data"].toObject()["cells"]);
    }

    void aWorkbookWithNothingToDoIsNotWritten()
    {
        const QByteArray before = FileBytes(xls_);
        const QDateTime modified = QFileInfo(xls_).lastModified();
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        QVERIFY(book);
        book->Sheets()->Item(3)->UsedRange()->UnMerge(); // "Empty" has no merges
        book->Sheets()->Item(1)->Range("H100:J110")->UnMerge();
        bool unchanged = false;
        QCOMPARE(SaveAndClose(*book, unchanged), QString());
        QVERIFY(unchanged);
        QCOMPARE(FileBytes(xls_), before);
        QCOMPARE(QFileInfo(xls_).lastModified(), modified);
    }

    void widthsPastedFromAnXlsxTemplate()
    {
        const QString model = Path("model.xlsx");
        QVERIFY(RunPython(kTemplateScript, {model}).ok);
        automation::Workbook *source = app_->WorkBooks()->Open(model);
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        QVERIFY(source && book);
        source->Sheets()->Item(1)->Range("A1:C3")->Copy();
        automation::CellRange *target = book->Sheets()->Item(1)->Range("D1:F3");
        target->PasteSpecial(automation::PasteColumnWidths);
        QCOMPARE(target->LastError(), QString());
        bool unchanged = true;
        QCOMPARE(SaveAndClose(*book, unchanged), QString());
        bool compared = false;
        QCOMPARE(xlscheck::DifferingRecordTypes(stream_, StreamOf(xls_), compared),
                 QStringList{"0x007d"});
        const QJsonObject columns =
            xlscheck::XlrdView(xls_)["Data"].toObject()["columns"].toObject();
        // D gets the template's default width, E 20.5 and F 3 characters.
        QCOMPARE(columns["4"].toArray()[0].toInt(), int(std::lround(20.5 * 256)));
        QCOMPARE(columns["5"].toArray()[0].toInt(), 3 * 256);
        QVERIFY(columns["3"].toArray()[0].toInt() > 0);
        QCOMPARE(columns["1"],
                 xlscheck::XlrdView(stream_)["Data"].toObject()["columns"].toObject()["1"]);
    }

    void formatsArePastedNatively()
    {
        const QString model = Path("model.xlsx");
        QVERIFY(RunPython(kTemplateScript, {model}).ok);
        automation::Workbook *source = app_->WorkBooks()->Open(model);
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        source->Sheets()->Item(1)->Range("A1:C3")->Copy();
        automation::CellRange *target = book->Sheets()->Item(1)->Range("A1:C3");
        target->PasteSpecial(automation::PasteFormats);
        QCOMPARE(target->LastError(), QString());
        bool unchanged = true;
        QCOMPARE(SaveAndClose(*book, unchanged), QString());
        QVERIFY(!unchanged);
        const auto bold = RunPython(kBoldA1Script, {xls_});
        QVERIFY2(bold.ok, qPrintable(bold.errors));
    }

    // Values need LibreOffice; whole rows are refused with their reason.
    void pastesTheEngineDoesNotMakeOnXlsFailTheSave_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<int>("pasteType");
        QTest::addColumn<QString>("reason");
        QTest::newRow("values") << "A1:C3" << int(automation::PasteValues) << "LibreOffice";
        QTest::newRow("whole rows") << "1:2" << int(automation::PasteFormats) << "whole rows";
    }

    void pastesTheEngineDoesNotMakeOnXlsFailTheSave()
    {
        QFETCH(QString, area);
        QFETCH(int, pasteType);
        QFETCH(QString, reason);
        const QString model = Path("model.xlsx");
        QVERIFY(RunPython(kTemplateScript, {model}).ok);
        const QByteArray before = FileBytes(xls_);
        automation::Workbook *source = app_->WorkBooks()->Open(model);
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        source->Sheets()->Item(1)->Range(area)->Copy();
        automation::CellRange *target = book->Sheets()->Item(1)->Range(area);
        target->PasteSpecial(automation::PasteColumnWidths);
        target->PasteSpecial(pasteType);
        QVERIFY2(target->LastError().contains(reason), qPrintable(target->LastError()));
        bool unchanged = false;
        QVERIFY(SaveAndClose(*book, unchanged).contains(reason));
        QCOMPARE(FileBytes(xls_), before);
    }

    void rangesStayOnTheXlsSheet()
    {
        automation::Workbook *book = app_->WorkBooks()->Open(xls_);
        automation::Sheet *sheet = book->Sheets()->Item(1);
        QVERIFY(sheet->Range("A1:IV65536"));
        QVERIFY(sheet->Range("1:100")); // whole rows, cut at column IV
        QVERIFY(!sheet->Range("IW1"));
        QVERIFY(!sheet->Range("A65537"));
        QVERIFY(!sheet->Range("nonsense"));
    }

    void filesTheEngineCannotReadAreRefusedUntouched_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray good = FileBytes(xls_);
        QTest::newRow("cut in half") << good.left(good.size() / 2) << "";
        QTest::newRow("not a compound file") << QByteArray("just some text") << "";
        QByteArray stream = FileBytes(stream_);
        // The Workbook stream's first record claims more than the stream holds.
        QByteArray hostile = good;
        const int at = hostile.indexOf(stream.left(24));
        QVERIFY(at > 0);
        hostile[at + 2] = char(0xFF);
        hostile[at + 3] = char(0x7F);
        QTest::newRow("record past the end") << hostile << "past the end";
    }

    void filesTheEngineCannotReadAreRefusedUntouched()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString path = Path("hostile.xls");
        QVERIFY(WriteFileBytes(path, bytes));
        QVERIFY(!app_->WorkBooks()->Open(path));
        const QString error = app_->WorkBooks()->LastOpenError();
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(FileBytes(path), bytes);
    }
};

QTEST_GUILESS_MAIN(XlsNativeTest)
#include "test_xls_native.moc"
