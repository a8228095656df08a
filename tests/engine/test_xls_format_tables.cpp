// The format tables of .xls workbooks: formats resolved from one workbook
// and interned into another come out as records an independent reader
// (xlrd) reads as the same formats, placed where Excel keeps them.
#include "biff/biff_style_records.h"
#include "biff/record_ids.h"
#include "biff/stream_edit.h"
#include "biff/workbook_stream.h"
#include "file_bytes.h"
#include "parts/styles_part.h"
#include "python_check.h"
#include "style_fixtures.h"
#include "xls/format_tables.h"
#include "xls/globals_formats.h"
#include "xls_format_scripts.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace engine;
using testsupport::RunPython;

namespace
{

std::uint16_t U16At(const std::string &bytes, size_t at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

WorkbookStream Parsed(const QByteArray &bytes)
{
    WorkbookStream stream;
    Error error;
    if (!stream.Parse(bytes.toStdString(), error))
        qFatal("not parsed: %s", error.message.c_str());
    return stream;
}

GlobalsFormats FormatsOf(const WorkbookStream &stream)
{
    GlobalsFormats formats;
    Error error;
    if (!formats.Load(stream, error))
        qFatal("no format tables: %s", error.message.c_str());
    return formats;
}

// The stream with the records the tables appended, by the record layer.
QByteArray Edited(const WorkbookStream &stream, const GlobalsFormats &formats)
{
    std::vector<StreamEdit> edits;
    formats.AddEdits(edits);
    std::string edited;
    Error error;
    if (!ApplyEdits(stream, edits, edited, error))
        qFatal("not edited: %s", error.message.c_str());
    return QByteArray::fromStdString(edited);
}

BiffStyleTable Loaded(const std::vector<BiffRecordRef> &refs)
{
    BiffStyleTable table;
    Error error;
    if (!table.Load(refs, error))
        qFatal("%s", error.message.c_str());
    return table;
}

// The ids of the format records in the order they appear, each run once.
std::vector<std::uint16_t> TableOrder(const WorkbookStream &stream)
{
    const std::uint16_t kinds[] = {biff::kFont,  biff::kFormat, biff::kXf,
                                   biff::kXfCrc, biff::kXfExt,  biff::kStyle};
    std::vector<std::uint16_t> order;
    for (const BiffRecord &record : stream.Globals())
        if (std::find(std::begin(kinds), std::end(kinds), record.id) != std::end(kinds) &&
            (order.empty() || order.back() != record.id))
            order.push_back(record.id);
    return order;
}

std::string XfBody(int font, bool style = false)
{
    BiffXf xf;
    xf.font = std::uint16_t(font);
    xf.isStyle = style;
    xf.parent = style ? 0xfff : 0;
    return EncodeXf(xf);
}

// A globals list as small as BIFF allows: `fonts` fonts, 15 style formats
// and one cell format.
struct SmallGlobals {
    std::vector<std::string> bodies;
    std::vector<std::uint16_t> ids;

    explicit SmallGlobals(int fonts)
    {
        BiffFont font;
        font.name = "Arial";
        for (int i = 0; i < fonts; ++i)
            Add(biff::kFont, EncodeFont(font));
        for (int i = 0; i < 15; ++i)
            Add(biff::kXf, XfBody(0, true));
        Add(biff::kXf, XfBody(0));
        Add(biff::kEof, "");
    }
    void Add(std::uint16_t id, std::string body)
    {
        ids.push_back(id);
        bodies.push_back(std::move(body));
    }
    std::vector<BiffRecordRef> Refs() const
    {
        std::vector<BiffRecordRef> refs;
        for (std::size_t i = 0; i < ids.size(); ++i)
            refs.push_back({ids[i], bodies[i]});
        return refs;
    }
};

StyleValue FilledWith(const std::string &rgb)
{
    StyleValue style;
    style.cell.xf = "<xf applyFill=\"1\"/>";
    style.cell.fill = "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"" + rgb +
                      "\"/></patternFill></fill>";
    return style;
}

} // namespace

class XlsFormatTablesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray template_, target_;

    QString Path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // Writes the edited target and has xlrd compare it, pair by pair.
    void ExpectReadAlike(const QByteArray &result, const QStringList &pairs)
    {
        QVERIFY(testsupport::WriteFileBytes(Path("result.bin"), result));
        const auto check = RunPython(
            QString::fromLatin1(kCompareFormats),
            QStringList{Path("template.bin"), Path("target.bin"), Path("result.bin")} + pairs);
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
    }

  private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        const auto made = RunPython(QString::fromLatin1(kMakeFixtures), {dir_.path()});
        QVERIFY2(made.ok, qPrintable(made.errors));
        template_ = testsupport::FileBytes(Path("template.bin"));
        target_ = testsupport::FileBytes(Path("target.bin"));
        QVERIFY(!template_.isEmpty() && !target_.isEmpty());
    }

    // Every cell format of an xlwt template carried into another workbook:
    // xlrd reads each as the template's, the target's own formats and cells
    // stay, the new records sit where Excel keeps them, and the exact
    // colour the target's palette lacks is kept in XFEXT.
    void xlsFormatsOntoXlsTarget()
    {
        const GlobalsFormats from = FormatsOf(Parsed(template_));
        const BiffStyleTable &source = from.Table();
        const WorkbookStream onto = Parsed(target_);
        GlobalsFormats formats = FormatsOf(onto);
        BiffStyleTable &table = formats.Table();
        const int targetXfs = table.XfCount();
        QStringList pairs;
        std::vector<int> interned;
        for (int i = 16; i < source.XfCount(); ++i) {
            interned.push_back(table.Intern(source.Resolve(i)));
            QVERIFY(interned.back() >= 0);
            pairs << QStringLiteral("%1:%2").arg(i).arg(interned.back());
        }
        QVERIFY(table.XfCount() > targetXfs);
        const size_t edits = table.Edits().size();
        // Interning again finds what the first pass added.
        for (int i = 16; i < source.XfCount(); ++i)
            QCOMPARE(table.Intern(source.Resolve(i)), interned[std::size_t(i - 16)]);
        QCOMPARE(table.Edits().size(), edits);
        const QByteArray edited = Edited(onto, formats);
        ExpectReadAlike(edited, pairs);

        const WorkbookStream result = Parsed(edited);
        const std::vector<std::uint16_t> order = {biff::kFont,  biff::kFormat, biff::kXf,
                                                  biff::kXfCrc, biff::kXfExt,  biff::kStyle};
        QCOMPARE(TableOrder(result), order);
        const GlobalsFormats rereadFormats = FormatsOf(result);
        const BiffStyleTable &reread = rereadFormats.Table();
        int ownColours = 0; // the template's palette colour the target's lacks
        for (std::size_t k = 0; k < interned.size(); ++k) {
            const XfValue want = source.Resolve(16 + int(k)).cell;
            ownColours += want.font.find("rgb=\"FF0A141E\"") != std::string::npos;
            const XfValue got = reread.Resolve(interned[k]).cell;
            QCOMPARE(got.font, want.font);
            QCOMPARE(got.fill, want.fill);
            QCOMPARE(got.border, want.border);
            QCOMPARE(got.numFmtCode, want.numFmtCode);
        }
        QCOMPARE(ownColours, 1);
    }

    // Cell formats of a SpreadsheetML style sheet (a theme colour, a custom
    // number format, a redefined built-in one, alignment, protection)
    // become BIFF records that xlrd reads as meant.
    void xlsxFormatsOntoXlsTarget()
    {
        StylesPart styles;
        Error error;
        QVERIFY(styles.Load(kTemplate, error));
        const WorkbookStream onto = Parsed(target_);
        GlobalsFormats formats = FormatsOf(onto);
        QStringList indexes;
        for (int i = 0; i < styles.CellXfCount(); ++i)
            indexes << QString::number(formats.Table().Intern(styles.Resolve(i)));
        const QByteArray result = Edited(onto, formats);
        QVERIFY(testsupport::WriteFileBytes(Path("fromxlsx.bin"), result));
        const auto check = RunPython(QString::fromLatin1(kCheckXlsxFormats),
                                     QStringList{Path("fromxlsx.bin")} + indexes);
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        // The theme colour itself is kept for readers of XFEXT.
        const std::string font =
            FormatsOf(Parsed(result)).Table().Resolve(indexes[1].toInt()).cell.font;
        QVERIFY2(font.find("theme=\"4\"") != std::string::npos, font.c_str());
    }

    // Font index 4 does not exist; the tables stop at BIFF's limits with a
    // refusal, keeping what they hold; XFCRC counts every XF.
    void limits()
    {
        const SmallGlobals four(4);
        BiffStyleTable table = Loaded(four.Refs());
        StyleValue bold;
        bold.cell.font = "<font><b/><sz val=\"12\"/><name val=\"Arial\"/></font>";
        const int first = table.Intern(bold);
        QCOMPARE(first, 16);
        BiffXf added;
        QVERIFY(DecodeXf(table.Edits().back().body, added));
        QCOMPARE(int(added.font), 5);
        QCOMPARE(table.Edits().front().at, std::size_t(4)); // after the last FONT

        int last = first;
        for (int i = 0; last >= 0 && i < 5000; ++i)
            last = table.Intern(
                FilledWith(QStringLiteral("FF%1").arg(i, 6, 16, QChar('0')).toStdString()));
        QCOMPARE(last, -1);
        QCOMPARE(table.XfCount(), 4050);
        QCOMPARE(table.Intern(bold), first);
        const std::vector<BiffRecordEdit> edits = table.Edits();
        const auto crc = std::find_if(edits.begin(), edits.end(), [](const BiffRecordEdit &edit) {
            return edit.id == biff::kXfCrc;
        });
        QVERIFY(crc != edits.end());
        QCOMPARE(U16At(crc->body, 14), 4050);

        StyleValue numbered;
        numbered.cell.customNumFmt = true;
        BiffStyleTable formats = Loaded(four.Refs());
        int id = 0;
        for (int i = 0; id >= 0 && i < 300; ++i) {
            numbered.cell.numFmtCode = "0.0\"" + std::to_string(i) + "\"";
            id = formats.Intern(numbered);
        }
        QCOMPARE(id, -1);
        QCOMPARE(formats.XfCount(), 16 + 218);
    }

    // Bodies shorter than their fields, or no tables at all: refused.
    void damagedTablesRefused()
    {
        for (const auto &[id, body] : {std::pair<std::uint16_t, std::string>{biff::kFont, "\x10"},
                                       {biff::kXf, std::string(12, '\0')},
                                       {biff::kStyle, std::string("\x01\x00\x05", 3)},
                                       {biff::kFormat, std::string("\xa4\x00\x09\x00\x00"
                                                                   "ab",
                                                                   7)}}) {
            SmallGlobals globals(1);
            globals.bodies.insert(globals.bodies.begin() + 1, body);
            globals.ids.insert(globals.ids.begin() + 1, id);
            BiffStyleTable table;
            Error error;
            QVERIFY(!table.Load(globals.Refs(), error));
            QCOMPARE(error.code, ErrorCode::Damaged);
        }
        BiffStyleTable empty;
        Error error;
        QVERIFY(!empty.Load({{biff::kEof, {}}}, error));
    }
};

QTEST_GUILESS_MAIN(XlsFormatTablesTest)
#include "test_xls_format_tables.moc"
