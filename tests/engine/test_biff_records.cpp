// The BIFF8 record layer: substreams found from BOUNDSHEET8, hostile streams
// refused with a reason, and edits that keep every position the stream holds
// of its own records pointing at the same records.
#include "biff/biff_bytes.h"
#include "biff/stream_edit.h"
#include "biff/workbook_stream.h"
#include "biff_stream_builder.h"

#include <QtTest>

using engine::BiffRecord;
using engine::ReadU16;
using engine::ReadU32;
using engine::StreamEdit;
using engine::WorkbookStream;

namespace
{

std::string RowBody(std::uint16_t row)
{
    return U16(row) + std::string(14, '\0');
}

// NUMBER: row, column, format, a double.
std::string CellBody(std::uint16_t row, std::uint16_t column)
{
    return U16(row) + U16(column) + U16(15) + std::string(8, '\x11');
}

// Globals with two shared strings (the second in a CONTINUE) indexed by
// EXTSST; a worksheet with INDEX, two row blocks and a merge; a chart sheet.
BiffStreamBuilder SampleStream()
{
    BiffStreamBuilder b;
    b.Bof(0x0005);
    b.Add(0x00E0, std::string(20, '\0'), "xf");
    b.Add(0x00FC, U32(2) + U32(2) + U16(3) + std::string(1, '\0') + "abc", "sst");
    b.Add(0x003C, U16(2) + std::string(1, '\0') + "de", "sstContinue");
    b.Add(0x00FF, U16(8) + U32(0) + U16(12) + U16(0) + U32(0) + U16(4) + U16(0), "extsst");
    b.BoundSheet("A", 0, "sheetA");
    b.BoundSheet("Chart", 2, "sheetChart");
    b.Eof();
    b.SetU32("extsst", 2, std::uint32_t(b.Offset("sst") + 12));
    b.SetU32("extsst", 10, std::uint32_t(b.Offset("sstContinue") + 4));

    b.SetU32("sheetA", 0, std::uint32_t(b.Bof(0x0010)));
    b.Add(0x020B, U32(0) + U32(0) + U32(33) + U32(0) + U32(0) + U32(0), "index");
    b.Add(0x0055, U16(8), "defColWidth");
    b.Add(0x007D, U16(0) + U16(0) + U16(3000) + U16(15) + U16(0) + U16(0), "colInfo");
    b.Add(0x0200, U32(0) + U32(33) + U16(0) + U16(2) + U16(0), "dimensions");
    b.Add(0x0208, RowBody(0), "row0");
    b.Add(0x0208, RowBody(1), "row1");
    b.Add(0x0203, CellBody(0, 0), "cell0");
    b.Add(0x0203, CellBody(0, 1), "cell0b");
    b.Add(0x0203, CellBody(1, 0), "cell1");
    b.Add(0x00D7, U32(0) + U16(0) + U16(0), "block1");
    b.Add(0x0208, RowBody(32), "row32");
    b.Add(0x0203, CellBody(32, 0), "cell32");
    b.Add(0x00D7, U32(0) + U16(0), "block2");
    b.Add(0x00E5, U16(1) + U16(0) + U16(1) + U16(0) + U16(1), "merge");
    b.Eof();
    b.SetU32("block1", 0, std::uint32_t(b.Offset("block1") - b.Offset("row0")));
    b.SetU16("block1", 4, std::uint16_t(b.Offset("cell0") - b.Offset("row0") - 20));
    b.SetU16("block1", 6, std::uint16_t(b.Offset("cell1") - b.Offset("cell0")));
    b.SetU32("block2", 0, std::uint32_t(b.Offset("block2") - b.Offset("row32")));
    b.SetU16("block2", 4, std::uint16_t(b.Offset("cell32") - b.Offset("row32") - 20));
    b.SetU32("index", 12, std::uint32_t(b.Offset("defColWidth")));
    b.SetU32("index", 16, std::uint32_t(b.Offset("block1")));
    b.SetU32("index", 20, std::uint32_t(b.Offset("block2")));

    b.SetU32("sheetChart", 0, std::uint32_t(b.Bof(0x0020)));
    b.Eof();
    return b;
}

WorkbookStream Parsed(const std::string &bytes)
{
    WorkbookStream stream;
    engine::Error error;
    if (!stream.Parse(bytes, error))
        qFatal("not parsed: %s", error.message.c_str());
    return stream;
}

QString Refusal(const std::string &bytes)
{
    WorkbookStream stream;
    engine::Error error;
    return stream.Parse(bytes, error) ? QString() : QString::fromStdString(error.message);
}

std::uint16_t IdAt(const std::string &stream, size_t offset)
{
    return offset + 4 <= stream.size() ? ReadU16(stream, offset) : 0xFFFF;
}

const BiffRecord *FindRecord(const std::vector<BiffRecord> &records, std::uint16_t id)
{
    for (const BiffRecord &record : records)
        if (record.id == id)
            return &record;
    return nullptr;
}

// Checks, from the structure of `bytes` alone, that INDEX points at the
// DBCELL records and DEFCOLWIDTH, each DBCELL back at its block's first ROW
// and at each row's first cell, and EXTSST at the strings' character counts.
void CheckPositions(const std::string &bytes, const std::vector<std::string> &strings)
{
    const WorkbookStream stream = Parsed(bytes);
    const auto &records = stream.Sheets()[0].records;
    const BiffRecord *index = FindRecord(records, 0x020B);
    QVERIFY(index);
    QCOMPARE(IdAt(bytes, ReadU32(bytes, index->Body() + 12)), std::uint16_t(0x0055));
    std::vector<size_t> blocks;
    for (size_t field = 16; field < index->length; field += 4)
        blocks.push_back(ReadU32(bytes, index->Body() + field));
    size_t seen = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].id != 0x00D7)
            continue;
        QVERIFY(seen < blocks.size());
        QCOMPARE(blocks[seen++], records[i].offset);
        const size_t firstRow = records[i].offset - ReadU32(bytes, records[i].Body());
        QCOMPARE(IdAt(bytes, firstRow), std::uint16_t(0x0208));
        size_t cell = firstRow + 20;
        size_t row = firstRow;
        for (size_t field = 4; field < records[i].length; field += 2, row += 20) {
            cell += ReadU16(bytes, records[i].Body() + field);
            QCOMPARE(IdAt(bytes, row), std::uint16_t(0x0208));
            const std::uint16_t rowNumber = ReadU16(bytes, row + 4);
            QCOMPARE(ReadU16(bytes, cell + 4), rowNumber);
            // The first cell of the row: the record before it is not of that row.
            const auto at = std::find_if(records.begin(), records.end(),
                                         [&](const BiffRecord &r) { return r.offset == cell; });
            QVERIFY(at != records.end());
            const BiffRecord &before = *(at - 1);
            QVERIFY(before.id == 0x0208 || ReadU16(bytes, before.Body()) != rowNumber);
        }
    }
    QCOMPARE(seen, blocks.size());
    const BiffRecord *extSst = FindRecord(stream.Globals(), 0x00FF);
    QVERIFY(extSst);
    for (size_t i = 0; i < strings.size(); ++i) {
        const size_t at = ReadU32(bytes, extSst->Body() + 2 + 8 * i);
        QCOMPARE(QByteArray::fromStdString(bytes.substr(at + 3, strings[i].size())),
                 QByteArray::fromStdString(strings[i]));
    }
}

std::string Applied(const std::string &bytes, std::vector<StreamEdit> edits)
{
    std::string edited;
    engine::Error error;
    if (!engine::ApplyEdits(Parsed(bytes), std::move(edits), edited, error))
        qFatal("edits refused: %s", error.message.c_str());
    return edited;
}

BiffRecord RecordAt(const std::string &bytes, size_t offset)
{
    BiffRecord record;
    engine::Error error;
    engine::ReadRecordAt(bytes, offset, record, error);
    return record;
}

} // namespace

class BiffRecordsTest : public QObject
{
    Q_OBJECT

  private slots:
    void sheetsAreFoundWithTheirNamesAndKinds()
    {
        const BiffStreamBuilder b = SampleStream();
        const WorkbookStream stream = Parsed(b.Bytes());
        QCOMPARE(stream.Sheets().size(), size_t(2));
        QCOMPARE(stream.Sheets()[0].name, std::string("A"));
        QVERIFY(stream.Sheets()[0].kind == engine::BiffSheetKind::Worksheet);
        QCOMPARE(stream.Sheets()[0].position, size_t(ReadU32(b.Bytes(), b.Offset("sheetA") + 4)));
        QCOMPARE(stream.Sheets()[0].records.front().offset, stream.Sheets()[0].position);
        QCOMPARE(stream.Sheets()[0].records.back().id, std::uint16_t(0x000A));
        QVERIFY(stream.Sheets()[1].kind == engine::BiffSheetKind::Chart);
        CheckPositions(b.Bytes(), {"abc", "de"});
    }

    void noEditsGiveTheSameBytes()
    {
        const BiffStreamBuilder b = SampleStream();
        QCOMPARE(Applied(b.Bytes(), {}), b.Bytes());
    }

    void editsMoveEveryPositionWithItsRecord()
    {
        const BiffStreamBuilder b = SampleStream();
        const std::string &old = b.Bytes();
        const std::string newCell = engine::MakeRecord(0x0203, CellBody(0, 5));
        std::vector<StreamEdit> edits{
            // The globals grow: every sheet and string moves.
            StreamEdit::InsertAt(b.Offset("sst"), engine::MakeRecord(0x00E0, std::string(20, 'x'))),
            // A cell after row 0's last: row 1's first cell moves away from row 0's.
            StreamEdit::InsertAt(b.Offset("cell1"), newCell),
            // A new first cell of row 32, written with the old first one.
            StreamEdit::Replace(RecordAt(old, b.Offset("cell32")),
                                engine::MakeRecord(0x0203, CellBody(32, 7)) +
                                    old.substr(b.Offset("cell32"), 18)),
            StreamEdit::Remove(RecordAt(old, b.Offset("merge"))),
            StreamEdit::Replace(RecordAt(old, b.Offset("colInfo")),
                                old.substr(b.Offset("colInfo"), 16) +
                                    old.substr(b.Offset("colInfo"), 16)),
        };
        const std::string edited = Applied(old, edits);
        QCOMPARE(edited.size(), old.size() + 24 + 18 + 18 - 14 + 16);
        CheckPositions(edited, {"abc", "de"});
        const WorkbookStream stream = Parsed(edited);
        QVERIFY(!FindRecord(stream.Sheets()[0].records, 0x00E5));
        // Row 32's first cell is now the new one, at column 7.
        const auto &records = stream.Sheets()[0].records;
        const BiffRecord *block2 = &records[0];
        for (const BiffRecord &record : records)
            if (record.id == 0x00D7)
                block2 = &record;
        const size_t firstRow = block2->offset - ReadU32(edited, block2->Body());
        const size_t cell = firstRow + 20 + ReadU16(edited, block2->Body() + 4);
        QCOMPARE(ReadU16(edited, cell + 6), std::uint16_t(7));
    }

    void editsThatCannotBeMadeAreRefused()
    {
        const BiffStreamBuilder b = SampleStream();
        const std::string &old = b.Bytes();
        const WorkbookStream stream = Parsed(old);
        std::string edited;
        engine::Error error;
        const BiffRecord merge = RecordAt(old, b.Offset("merge"));
        QVERIFY(!engine::ApplyEdits(
            stream, {StreamEdit::Remove(merge), StreamEdit::Replace(merge, "x")}, edited, error));
        QVERIFY(error.message.find("overlap") != std::string::npos);
        // A DBCELL's block would lose the ROW record it points back at.
        error = {};
        QVERIFY(!engine::ApplyEdits(stream, {StreamEdit::Remove(RecordAt(old, b.Offset("row32")))},
                                    edited, error));
        QVERIFY(!error.message.empty());
        // The sheet's own BOF.
        error = {};
        QVERIFY(!engine::ApplyEdits(stream, {StreamEdit::Remove(stream.Sheets()[1].records[0])},
                                    edited, error));
        QVERIFY(error.message.find("Chart") != std::string::npos);
    }

    void hostileStreamsAreRefusedWithTheirReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const std::string good = SampleStream().Bytes();
        const size_t sheetA = Parsed(good).Sheets()[0].position;
        const auto bytes = [](const std::string &text) { return QByteArray::fromStdString(text); };

        QTest::newRow("cut in a header") << bytes(good.substr(0, sheetA + 2)) << "cut off";
        std::string longer = good;
        longer.replace(sheetA + 2, 2, U16(0xFFF0));
        QTest::newRow("length past the end") << bytes(longer) << "past the end";
        QTest::newRow("no EOF") << bytes(good.substr(0, good.size() - 4)) << "without an EOF";
        std::string nowhere = good;
        const WorkbookStream parsed = Parsed(good);
        const size_t plyPos = parsed.Globals()[parsed.Sheets()[0].boundSheet].Body();
        nowhere.replace(plyPos, 4, U32(0x7FFFFFF0));
        QTest::newRow("sheet past the end") << bytes(nowhere) << "past the end";
        std::string notBof = good;
        notBof.replace(plyPos, 4, U32(std::uint32_t(sheetA + 20)));
        QTest::newRow("sheet not at a BOF") << bytes(notBof) << "BOF";
        std::string overlapping = good;
        overlapping.replace(plyPos, 4, U32(0));
        QTest::newRow("sheet on the globals") << bytes(overlapping) << "kind";

        BiffStreamBuilder encrypted;
        encrypted.Bof(0x0005);
        encrypted.Add(0x002F, std::string(54, '\0'));
        encrypted.Eof();
        QTest::newRow("FILEPASS") << bytes(encrypted.Bytes()) << "encrypted";
        BiffStreamBuilder biff5;
        biff5.Bof(0x0005, {}, 0x0500);
        biff5.Eof();
        QTest::newRow("BIFF5") << bytes(biff5.Bytes()) << "Excel 95";
        BiffStreamBuilder deep;
        deep.Bof(0x0005);
        for (int i = 0; i < 20; ++i)
            deep.Bof(0x0020);
        QTest::newRow("nested BOFs") << bytes(deep.Bytes()) << "too deeply";
        QTest::newRow("empty") << QByteArray() << "cut off";
    }

    void hostileStreamsAreRefusedWithTheirReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString refusal = Refusal(bytes.toStdString());
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
    }

    void overlappingSheetsAreRefused()
    {
        BiffStreamBuilder b;
        b.Bof(0x0005);
        b.BoundSheet("One", 0, "one");
        b.BoundSheet("Two", 0, "two");
        b.Eof();
        const size_t sheet = b.Bof(0x0010);
        b.Eof();
        b.SetU32("one", 0, std::uint32_t(sheet));
        b.SetU32("two", 0, std::uint32_t(sheet));
        QVERIFY(Refusal(b.Bytes()).contains("overlap"));
    }
};

QTEST_APPLESS_MAIN(BiffRecordsTest)
#include "test_biff_records.moc"
