// The format tables of .xls workbooks: formats resolved from one workbook
// and interned into another come out as records an independent reader
// (xlrd) reads as the same formats, placed where Excel keeps them.
#include "biff/biff_style_records.h"
#include "file_bytes.h"
#include "parts/styles_part.h"
#include "python_check.h"
#include "style_fixtures.h"
#include "xls/format_tables.h"
#include "xls_format_scripts.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace engine;
using testsupport::RunPython;

namespace
{

constexpr std::uint16_t kContinue = 0x003c;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kEof = 0x000a;

std::uint16_t U16At(const QByteArray &bytes, int at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

// The globals substream as records with CONTINUE joined, each with the raw
// bytes it spans, until its EOF.
struct Globals {
    std::vector<std::string> bodies;
    std::vector<std::uint16_t> ids;
    std::vector<QByteArray> raw;
    int end = 0; // stream offset after the globals' EOF

    std::vector<BiffRecordRef> Refs() const
    {
        std::vector<BiffRecordRef> refs;
        for (std::size_t i = 0; i < ids.size(); ++i)
            refs.push_back({ids[i], bodies[i]});
        return refs;
    }
};

Globals SplitGlobals(const QByteArray &stream)
{
    Globals globals;
    int at = 0;
    while (at + 4 <= stream.size()) {
        const std::uint16_t id = U16At(stream, at);
        const int size = U16At(stream, at + 2);
        const QByteArray body = stream.mid(at + 4, size);
        if (id == kContinue && !globals.ids.empty()) {
            globals.bodies.back().append(body.constData(), std::size_t(body.size()));
            globals.raw.back() += stream.mid(at, 4 + size);
        } else {
            globals.ids.push_back(id);
            globals.bodies.emplace_back(body.constData(), std::size_t(body.size()));
            globals.raw.push_back(stream.mid(at, 4 + size));
        }
        at += 4 + size;
        if (id == kEof)
            break;
    }
    globals.end = at;
    return globals;
}

QByteArray Record(std::uint16_t id, const std::string &body)
{
    if (body.size() > 8224)
        qFatal("a record body of %zu bytes needs CONTINUE", body.size());
    QByteArray bytes;
    for (std::uint16_t value : {id, std::uint16_t(body.size())}) {
        bytes += char(value & 0xff);
        bytes += char(value >> 8);
    }
    return bytes + QByteArray(body.data(), int(body.size()));
}

// The edits applied to the globals as a record layer would, with the
// sheets' BOUNDSHEET offsets moved by what the globals grew.
QByteArray Edited(const QByteArray &stream, const std::vector<BiffRecordEdit> &edits)
{
    const Globals globals = SplitGlobals(stream);
    QByteArray out;
    for (std::size_t i = 0; i <= globals.ids.size(); ++i) {
        bool replaced = false;
        for (const BiffRecordEdit &edit : edits) {
            if (edit.at == i && !edit.replaces)
                out += Record(edit.id, edit.body);
            replaced = replaced || (edit.at == i && edit.replaces);
            if (edit.at == i && edit.replaces)
                out += Record(edit.id, edit.body);
        }
        if (i < globals.ids.size() && !replaced)
            out += globals.raw[i];
    }
    const int grown = out.size() - globals.end;
    for (int at = 0; at + 4 <= out.size(); at += 4 + U16At(out, at + 2)) {
        if (U16At(out, at) != kBoundSheet)
            continue;
        std::uint32_t offset = 0;
        for (int i = 3; i >= 0; --i)
            offset = offset << 8 | std::uint8_t(out[at + 4 + i]);
        offset += std::uint32_t(grown);
        for (int i = 0; i < 4; ++i)
            out[at + 4 + i] = char(offset >> (8 * i) & 0xff);
    }
    return out + stream.mid(globals.end);
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
std::vector<std::uint16_t> TableOrder(const Globals &globals)
{
    const std::uint16_t kinds[] = {biff::kFont,  biff::kFormat, biff::kXf,
                                   biff::kXfCrc, biff::kXfExt,  biff::kStyle};
    std::vector<std::uint16_t> order;
    for (std::uint16_t id : globals.ids)
        if (std::find(std::begin(kinds), std::end(kinds), id) != std::end(kinds) &&
            (order.empty() || order.back() != id))
            order.push_back(id);
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
        Add(kEof, "");
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
    void ExpectReadAlike(const std::vector<BiffRecordEdit> &edits, const QStringList &pairs)
    {
        const QByteArray result = Edited(target_, edits);
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
        const Globals from = SplitGlobals(template_);
        const Globals onto = SplitGlobals(target_);
        const BiffStyleTable source = Loaded(from.Refs());
        BiffStyleTable table = Loaded(onto.Refs());
        const int targetXfs = table.XfCount();
        QStringList pairs;
        std::vector<int> interned;
        for (int i = 16; i < source.XfCount(); ++i) {
            interned.push_back(table.Intern(source.Resolve(i)));
            QVERIFY(interned.back() >= 0);
            pairs << QStringLiteral("%1:%2").arg(i).arg(interned.back());
        }
        QVERIFY(table.XfCount() > targetXfs);
        const std::vector<BiffRecordEdit> edits = table.Edits();
        // Interning again finds what the first pass added.
        for (int i = 16; i < source.XfCount(); ++i)
            QCOMPARE(table.Intern(source.Resolve(i)), interned[std::size_t(i - 16)]);
        QCOMPARE(table.Edits().size(), edits.size());
        ExpectReadAlike(edits, pairs);

        const Globals result = SplitGlobals(Edited(target_, edits));
        const std::vector<std::uint16_t> order = {biff::kFont,  biff::kFormat, biff::kXf,
                                                  biff::kXfCrc, biff::kXfExt,  biff::kStyle};
        QCOMPARE(TableOrder(result), order);
        const BiffStyleTable reread = Loaded(result.Refs());
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
        BiffStyleTable table = Loaded(SplitGlobals(target_).Refs());
        QStringList indexes;
        for (int i = 0; i < styles.CellXfCount(); ++i)
            indexes << QString::number(table.Intern(styles.Resolve(i)));
        const QByteArray result = Edited(target_, table.Edits());
        QVERIFY(testsupport::WriteFileBytes(Path("fromxlsx.bin"), result));
        const auto check = RunPython(QString::fromLatin1(kCheckXlsxFormats),
                                     QStringList{Path("fromxlsx.bin")} + indexes);
        QVERIFY2(check.ok, qPrintable(check.output + check.errors));
        // The theme colour itself is kept for readers of XFEXT.
        const BiffStyleTable reread = Loaded(SplitGlobals(result).Refs());
        const std::string font = reread.Resolve(indexes[1].toInt()).cell.font;
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
        QCOMPARE(U16At(QByteArray(crc->body.data(), int(crc->body.size())), 14), 4050);

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
        QVERIFY(!empty.Load({{kEof, {}}}, error));
    }
};

QTEST_GUILESS_MAIN(XlsFormatTablesTest)
#include "test_xls_format_tables.moc"
