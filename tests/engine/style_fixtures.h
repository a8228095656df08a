#pragma once
// Two style sheets written the way different producers write them: one with
// an "x:" prefix and a redefined built-in number format, one plain with
// extensions the engine does not know.

const char *const kTemplate = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<x:styleSheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:numFmts count="2"><x:numFmt numFmtId="164" formatCode="0.000%"/><x:numFmt numFmtId="7" formatCode="#,##0.0"/></x:numFmts>
<x:fonts count="2"><x:font><x:sz val="11"/><x:name val="Calibri"/></x:font><x:font><x:b/><x:color theme="4"/><x:sz val="14"/><x:name val="Arial"/></x:font></x:fonts>
<x:fills count="3"><x:fill><x:patternFill patternType="none"/></x:fill><x:fill><x:patternFill patternType="gray125"/></x:fill><x:fill><x:patternFill patternType="solid"><x:fgColor rgb="FFFFFF00"/></x:patternFill></x:fill></x:fills>
<x:borders count="2"><x:border/><x:border><x:left style="thin"/></x:border></x:borders>
<x:cellStyleXfs count="2"><x:xf numFmtId="0" fontId="0" fillId="0" borderId="0"/><x:xf numFmtId="0" fontId="1" fillId="0" borderId="0"/></x:cellStyleXfs>
<x:cellXfs count="4"><x:xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/><x:xf numFmtId="164" fontId="1" fillId="2" borderId="1" xfId="0" applyNumberFormat="1"><x:alignment horizontal="center" wrapText="1"/><x:protection locked="0"/></x:xf><x:xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="1"/><x:xf numFmtId="7" fontId="0" fillId="0" borderId="0" xfId="0"/></x:cellXfs>
<x:cellStyles count="2"><x:cellStyle name="Normal" xfId="0" builtinId="0"/><x:cellStyle name="Heading" xfId="1"/></x:cellStyles>
<x:dxfs count="1"><x:dxf><x:font><x:color rgb="FF9C0006"/></x:font></x:dxf></x:dxfs>
</x:styleSheet>)";

const char *const kTarget = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" mc:Ignorable="x14ac" xmlns:x14ac="http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac">
<numFmts count="1"><numFmt numFmtId="170" formatCode="0.0"/></numFmts>
<fonts count="1" x14ac:knownFonts="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>
<borders count="1"><border/></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>
<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>
<tableStyles count="0" defaultTableStyle="TableStyleMedium2"/>
<colors><mruColors><color rgb="FF123456"/></mruColors></colors>
<extLst><ext uri="{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}"/></extLst>
</styleSheet>)";
