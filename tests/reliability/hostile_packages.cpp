#include "hostile_packages.h"

#include <utility>

namespace hostile
{
namespace
{

const char kMainNs[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRelNs[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kPackageRelNs[] = "http://schemas.openxmlformats.org/package/2006/relationships";
const char kBillionLaughs[] =
    "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
    "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
    "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
    "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h "
    "\"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>";
const char kExternalEntity[] = "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>";
const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet "
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
    "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" "
    "xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";

std::string Repeat(const std::string &text, size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string Relationship(const std::string &id, const std::string &typeTail,
                         const std::string &target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelNs + "/" + typeTail + "\" Target=\"" +
           target + "\"/>";
}

std::string RelationshipsXml(const std::string &relationships)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"") +
           kPackageRelNs + "\">" + relationships + "</Relationships>";
}

std::string ContentTypesXml(size_t sheets)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" "
                      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                      "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
    for (size_t i = 1; i <= sheets; ++i)
        xml += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) +
               ".xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    return xml + "</Types>";
}

// The book's parts with one part's text replaced (or appended when absent).
std::vector<ZipItem> With(std::vector<ZipItem> parts, const std::string &name,
                          const std::string &text)
{
    for (ZipItem &part : parts)
        if (part.name == name) {
            part.data = text;
            return parts;
        }
    parts.push_back(ZipItem{name, text});
    return parts;
}

std::vector<ZipItem> Without(std::vector<ZipItem> parts, const std::string &name)
{
    std::vector<ZipItem> kept;
    for (ZipItem &part : parts)
        if (part.name != name)
            kept.push_back(std::move(part));
    return kept;
}

std::string WorkbookXml(const std::string &prologue, const std::string &sheets)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + prologue + "<workbook xmlns=\"" +
           kMainNs + "\" xmlns:r=\"" + kRelNs + "\"><sheets>" + sheets + "</sheets></workbook>";
}

std::string WorkbookRelsWithSheetAt(const std::string &target)
{
    return RelationshipsXml(Relationship("rId1", "worksheet", target) +
                            Relationship("rId9", "styles", "styles.xml"));
}

const std::string kMergedSheet =
    SheetXml("<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c></row>"
             "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"A1:B2\"/></mergeCells>");

void AddZipBombs(std::vector<HostilePackage> &out, const std::vector<ZipItem> &book)
{
    out.push_back({"bomb-ratio.xlsx",
                   BuildZip(With(book, "xl/media/zeros.bin", std::string(16u << 20, '\0'))),
                   Expect::Refused});
    std::vector<ZipItem> huge = book;
    huge.push_back(ZipItem{"xl/media/huge.bin", "small", false, 0xF0000000u});
    out.push_back({"bomb-declared-size.xlsx", BuildZip(huge), Expect::Refused});
    std::vector<ZipItem> lyingSheet = book;
    lyingSheet.back().declaredSize = 0x7FFFFFFFu;
    out.push_back({"bomb-lying-sheet.xlsx", BuildZip(lyingSheet), Expect::Refused});
}

void AddNameHazards(std::vector<HostilePackage> &out, const std::vector<ZipItem> &book)
{
    std::vector<ZipItem> absurd = book;
    for (const char *name : {"../../../../tmp/sheetwright-escape.txt", "/etc/sheetwright-abs.txt",
                             "C:\\Windows\\evil.txt", "xl/\x01\x7f\xff\xfe.bin", "", "/", "."})
        absurd.push_back(ZipItem{name, "payload"});
    absurd.push_back(ZipItem{std::string(65000, 'n'), "long name"});
    out.push_back({"absurd-names.xlsx", BuildZip(absurd), Expect::Handled});

    std::vector<ZipItem> duplicate = book;
    duplicate.push_back(ZipItem{"xl/worksheets/sheet1.xml", SheetXml("<sheetData/>")});
    out.push_back({"duplicate-sheet.xlsx", BuildZip(duplicate), Expect::Refused});
    std::vector<ZipItem> caseTwin = book;
    caseTwin.push_back(ZipItem{"XL/Workbook.xml", WorkbookXml("", "")});
    out.push_back({"duplicate-case.xlsx", BuildZip(caseTwin), Expect::Refused});
}

void AddReferenceHazards(std::vector<HostilePackage> &out, const std::vector<ZipItem> &book)
{
    out.push_back(
        {"missing-workbook.xlsx", BuildZip(Without(book, "xl/workbook.xml")), Expect::Refused});
    out.push_back({"missing-content-types.xlsx", BuildZip(Without(book, "[Content_Types].xml")),
                   Expect::Refused});
    out.push_back(
        {"missing-styles.xlsx", BuildZip(Without(book, "xl/styles.xml")), Expect::Handled});
    out.push_back({"sheet-outside.xlsx",
                   BuildZip(With(book, "xl/_rels/workbook.xml.rels",
                                 WorkbookRelsWithSheetAt("../../../../../etc/passwd"))),
                   Expect::Refused});
    out.push_back({"sheet-absolute.xlsx",
                   BuildZip(With(book, "xl/_rels/workbook.xml.rels",
                                 WorkbookRelsWithSheetAt("file:///etc/passwd"))),
                   Expect::Refused});
    out.push_back({"workbook-outside.xlsx",
                   BuildZip(With(book, "_rels/.rels",
                                 RelationshipsXml(Relationship("rId1", "officeDocument",
                                                               "../../outside/workbook.xml")))),
                   Expect::Refused});
    out.push_back({"sheet-self-loop.xlsx",
                   BuildZip(With(book, "xl/_rels/workbook.xml.rels", WorkbookRelsWithSheetAt("."))),
                   Expect::Refused});
}

void AddXmlHazards(std::vector<HostilePackage> &out, const std::vector<ZipItem> &book)
{
    const std::string sheetRef = "<sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>";
    out.push_back({"laughs-workbook.xlsx",
                   BuildZip(With(book, "xl/workbook.xml", WorkbookXml(kBillionLaughs, sheetRef))),
                   Expect::Refused});
    out.push_back({"external-entity-workbook.xlsx",
                   BuildZip(With(book, "xl/workbook.xml", WorkbookXml(kExternalEntity, sheetRef))),
                   Expect::Refused});
    out.push_back({"laughs-rels.xlsx",
                   BuildZip(With(book, "_rels/.rels",
                                 std::string(kBillionLaughs) +
                                     RelationshipsXml(Relationship("rId1", "officeDocument",
                                                                   "xl/workbook.xml")))),
                   Expect::Refused});
    out.push_back({"laughs-sheet.xlsx",
                   BuildZip(With(book, "xl/worksheets/sheet1.xml",
                                 kBillionLaughs + kMergedSheet.substr(kMergedSheet.find('<', 1)))),
                   Expect::Refused});
    out.push_back({"deep-sheet.xlsx",
                   BuildZip(With(book, "xl/worksheets/sheet1.xml",
                                 SheetXml(Repeat("<x>", 200000) + Repeat("</x>", 200000)))),
                   Expect::Refused});
    out.push_back({"deep-content-types.xlsx",
                   BuildZip(With(book, "[Content_Types].xml",
                                 Repeat("<x>", 200000) + Repeat("</x>", 200000))),
                   Expect::Refused});
    out.push_back({"many-attributes.xlsx",
                   BuildZip(With(book, "xl/worksheets/sheet1.xml",
                                 SheetXml("<cols><col min=\"1\"" + Repeat(" a=\"1\"", 100000) +
                                          "/></cols><sheetData/>"))),
                   Expect::Refused});
    // Rows are read only by what needs them: an unmerge passes them over and
    // writes them back as they were; a transfer reading them refuses.
    out.push_back({"many-attributes-in-rows.xlsx",
                   BuildZip(With(book, "xl/worksheets/sheet1.xml",
                                 SheetXml("<sheetData><row r=\"1\"" + Repeat(" a=\"1\"", 100000) +
                                          "/></sheetData>"))),
                   Expect::Handled});
}

void AddGridHazards(std::vector<HostilePackage> &out)
{
    const std::string lastRow = "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>";
    out.push_back(
        {"all-rows.xlsx",
         BuildZip(BookParts({SheetXml(
             "<dimension ref=\"A1:XFD1048576\"/><cols><col min=\"1\" max=\"16384\" width=\"9\" "
             "customWidth=\"1\"/></cols><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" +
             lastRow +
             "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"A1:XFD1\"/>"
             "<mergeCell ref=\"A1048575:B1048576\"/></mergeCells>")})),
         Expect::Handled});
    out.push_back(
        {"out-of-order.xlsx",
         BuildZip(BookParts({SheetXml(
             "<sheetData><row r=\"9\"><c r=\"C9\"><v>3</v></c><c r=\"A9\"><v>1</v></c></row>"
             "<row r=\"2\"><c r=\"B2\"><v>2</v></c></row><row r=\"2\"><c r=\"A2\"/></row>"
             "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"C9:A2\"/>"
             "<mergeCell ref=\"A1:B2\"/></mergeCells>")})),
         Expect::Handled});
    out.push_back(
        {"out-of-range.xlsx",
         BuildZip(BookParts({SheetXml(
             "<dimension ref=\"A0:XFE1048577\"/><sheetData><row r=\"1048577\">"
             "<c r=\"XFE1048577\"><v>1</v></c></row><row r=\"0\"><c r=\"A0\"/></row>"
             "<row r=\"-1\"><c r=\"-A1\"/></row><row r=\"99999999999999999999\"/></sheetData>"
             "<mergeCells count=\"3\"><mergeCell ref=\"A1:XFE2\"/><mergeCell ref=\"ZZZZ9\"/>"
             "<mergeCell ref=\"A1:B99999999999\"/></mergeCells>")})),
         Expect::Handled});
    out.push_back(
        {"style-past-table.xlsx",
         BuildZip(BookParts({SheetXml(
             "<cols><col min=\"1\" max=\"3\" style=\"4000000000\" width=\"9\"/></cols>"
             "<sheetData><row r=\"1\" s=\"99999\" customFormat=\"1\"><c r=\"A1\" s=\"99999\">"
             "<v>1</v></c><c r=\"B1\" s=\"-7\"><v>2</v></c></row></sheetData>"
             "<mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells>")})),
         Expect::Handled});
}

} // namespace

std::string SheetXml(const std::string &children)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<worksheet xmlns=\"") +
           kMainNs + "\" xmlns:r=\"" + kRelNs + "\">" + children + "</worksheet>";
}

std::vector<ZipItem> BookParts(const std::vector<std::string> &sheetXml)
{
    std::string sheets;
    std::string relationships = Relationship("rId99", "styles", "styles.xml");
    for (size_t i = 1; i <= sheetXml.size(); ++i) {
        const std::string n = std::to_string(i);
        sheets += "<sheet name=\"Sheet" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        relationships += Relationship("rId" + n, "worksheet", "worksheets/sheet" + n + ".xml");
    }
    std::vector<ZipItem> parts = {
        {"[Content_Types].xml", ContentTypesXml(sheetXml.size())},
        {"_rels/.rels",
         RelationshipsXml(Relationship("rId1", "officeDocument", "xl/workbook.xml"))},
        {"xl/workbook.xml", WorkbookXml("", sheets)},
        {"xl/_rels/workbook.xml.rels", RelationshipsXml(relationships)},
        {"xl/styles.xml", kStyles},
    };
    for (size_t i = 0; i < sheetXml.size(); ++i)
        parts.push_back(
            ZipItem{"xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", sheetXml[i]});
    return parts;
}

std::vector<HostilePackage> HostilePackages()
{
    const std::vector<ZipItem> book = BookParts({kMergedSheet});
    std::vector<HostilePackage> packages;
    packages.push_back({"plain.xlsx", BuildZip(book), Expect::Handled});
    AddZipBombs(packages, book);
    AddNameHazards(packages, book);
    AddReferenceHazards(packages, book);
    AddXmlHazards(packages, book);
    AddGridHazards(packages);
    return packages;
}

} // namespace hostile
