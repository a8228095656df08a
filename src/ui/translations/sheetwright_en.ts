<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>FailureReasons</name>
    <message>
        <source>文件正在被其他程序打开</source>
        <translation>The file is open in another program</translation>
    </message>
    <message>
        <source>找不到文件</source>
        <translation>The file was not found</translation>
    </message>
    <message>
        <source>运行后又被改动过，未恢复</source>
        <translation>Changed again since the run; not restored</translation>
    </message>
    <message>
        <source>文件已加密（有密码保护）</source>
        <translation>The file is encrypted (password protected)</translation>
    </message>
    <message>
        <source>需要安装 LibreOffice Calc 才能处理 .xls 文件</source>
        <translation>LibreOffice Calc must be installed to process .xls files</translation>
    </message>
    <message>
        <source>旧版 .xls 文件，需要安装 LibreOffice Calc 才能处理</source>
        <translation>Legacy .xls file; LibreOffice Calc must be installed to process it</translation>
    </message>
    <message>
        <source>保存失败：文件是只读的</source>
        <translation>Saving failed: the file is read-only</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>不是Excel工作簿</source>
        <translation>Not an Excel workbook</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>The file is damaged</translation>
    </message>
    <message>
        <source>文件过大或过于复杂，超出处理限制</source>
        <translation>The file is too large or too complex to process</translation>
    </message>
    <message>
        <source>模板区域无法复制：%1</source>
        <translation>The template range cannot be copied: %1</translation>
    </message>
    <message>
        <source>文件是空的（0字节）</source>
        <translation>The file is empty (0 bytes)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>第一步：选择文件夹(支持子文件夹)   无需安装Office或WPS；部分.xls操作需LibreOffice Calc</source>
        <translation>Step 1: choose a folder (subfolders included)   No Office or WPS needed; some .xls jobs need LibreOffice Calc</translation>
    </message>
    <message>
        <source>Excel文件所在文件夹：</source>
        <translation>Folder of Excel files:</translation>
    </message>
    <message>
        <source>只修改第一个表</source>
        <translation>First sheet only</translation>
    </message>
    <message>
        <source>只修改指定名称表：</source>
        <translation>Only the sheet named:</translation>
    </message>
    <message>
        <source>只修改指定区域（写法如：B2、A1:D4）：</source>
        <translation>Only the range (e.g. B2, A1:D4):</translation>
    </message>
    <message>
        <source>1、,一个单元格、多个单元格、整列、多列、整行、多行分别是：A1、B2:D2、B:B、B:D、1:1、1:9(中间是英文冒号))
2、多个连续不同区域用因为逗号分隔，如：B2:B3,D2:D3、1:1,3:3</source>
        <translation>1. A cell, several cells, a column, several columns, a row, several rows: A1, B2:D2, B:B, B:D, 1:1, 1:9 (with an ASCII colon)
2. Separate several ranges with commas, e.g. B2:B3,D2:D3 or 1:1,3:3</translation>
    </message>
    <message>
        <source>功能一：用模板批量设置(选择第一个sheet设置好格式的excel模板文件)   .xls整行、公式或值需LibreOffice Calc</source>
        <translation>Function 1: format in batch from a template (an Excel file with a formatted first sheet)   .xls rows, formulas, values: LibreOffice</translation>
    </message>
    <message>
        <source>Excel格式模板文件：</source>
        <translation>Template file:</translation>
    </message>
    <message>
        <source>最后一行行号：</source>
        <translation>Last row:</translation>
    </message>
    <message>
        <source>只取列宽</source>
        <translation>Column widths only</translation>
    </message>
    <message>
        <source>带公式</source>
        <translation>With formulas</translation>
    </message>
    <message>
        <source>带值</source>
        <translation>With values</translation>
    </message>
    <message>
        <source>设 置</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>其他功能(批量修改前请先备份)：</source>
        <translation>Other functions (back up before changing files in batch):</translation>
    </message>
    <message>
        <source>批量取消合并单元格(全区域)</source>
        <translation>Unmerge all cells in batch (whole sheet)</translation>
    </message>
    <message>
        <source>把上次运行替换的工作簿恢复为原文件（只恢复之后未被改动的）</source>
        <translation>Restore the workbooks the last run replaced to their originals (only those not changed since)</translation>
    </message>
    <message>
        <source>撤销上次操作</source>
        <translation>Undo last run</translation>
    </message>
    <message>
        <source>当前文件保存后停止，其余文件不做改动</source>
        <translation>Stop once the current file is saved; the remaining files are left unchanged</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>上次运行中失败或未改动的文件及原因</source>
        <translation>The files of the last run that failed or were left unchanged, with the reasons</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>【操作前请先关闭所有Excel文件,并备份需修改的Excel文件,防止误操作!】</source>
        <translation>[Before you start, close all Excel files and back up the files to be changed, to guard against mistakes!]</translation>
    </message>
    <message>
        <source>已撤销上次操作：恢复%1个工作簿。</source>
        <translation>Last run undone: %1 workbook(s) restored.</translation>
    </message>
    <message>
        <source>已撤销上次操作：恢复%1个工作簿，%2个未恢复（之后被改动或正被其他程序打开）。</source>
        <translation>Last run undone: %1 workbook(s) restored, %2 not restored (changed since, or open in another program).</translation>
    </message>
    <message>
        <source>Excel文件所在文件夹不存在!</source>
        <translation>The folder of Excel files does not exist!</translation>
    </message>
    <message>
        <source>这个文件夹没有可以撤销的操作。</source>
        <translation>This folder has no run that can be undone.</translation>
    </message>
    <message>
        <source>设置无法保存：%1 所在的文件夹不可写，这次的选择只在程序关闭前有效。</source>
        <translation>The settings cannot be saved: the folder of %1 is not writable; this session's choices last until the program closes.</translation>
    </message>
    <message>
        <source>
另有%1个工作簿之后被改动过，不会恢复。</source>
        <translation>
%1 more workbook(s) have been changed since and will not be restored.</translation>
    </message>
    <message>
        <source>excel模板文件不存在!</source>
        <translation>The Excel template file does not exist!</translation>
    </message>
    <message>
        <source>指定区域写法有误：%1</source>
        <translation>The range is not written correctly: %1</translation>
    </message>
    <message>
        <source>未处理：运行已停止</source>
        <translation>Not processed: the run was stopped</translation>
    </message>
    <message>
        <source>批量取消合并单元格</source>
        <translation>unmerge</translation>
    </message>
    <message>
        <source>批量设置格式</source>
        <translation>format transfer</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>撤销上次操作“%1”：%2个工作簿将恢复为原文件。</source>
        <translation>Undo the last run, “%1”: %2 workbook(s) will be restored to their originals.</translation>
    </message>
</context>
<context>
    <name>RunTally</name>
    <message>
        <source>未改动：没有需要修改的内容（如没有指定名称的表）</source>
        <translation>Unchanged: nothing to change (such as no sheet of the given name)</translation>
    </message>
    <message>
        <source>未改动：%1</source>
        <translation>Unchanged: %1</translation>
    </message>
    <message>
        <source>%1 / %2    已用 %3</source>
        <translation>%1 / %2    elapsed %3</translation>
    </message>
    <message>
        <source>%1 / %2    已用 %3    剩余约 %4</source>
        <translation>%1 / %2    elapsed %3    about %4 left</translation>
    </message>
    <message>
        <source>已停止：其余%1个文件未做改动，见“详情”。</source>
        <translation> Stopped: the other %1 file(s) were not changed; see “Details”.</translation>
    </message>
</context>
<context>
    <name>StandardDialogs</name>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>选择Excel文件</source>
        <translation>Choose an Excel file</translation>
    </message>
    <message>
        <source>正在批量处理Excel文件。
停止并退出：当前文件保存后停止，其余文件不做改动。
在托盘中继续运行：关闭窗口，处理继续，完成后托盘图标会提示。</source>
        <translation>Excel files are being processed in batch.
Stop and quit: stop once the current file is saved; the remaining files are left unchanged.
Keep running in the tray: the window closes, processing goes on, and the tray icon tells you when it is done.</translation>
    </message>
    <message>
        <source>停止并退出</source>
        <translation>Stop and quit</translation>
    </message>
    <message>
        <source>在托盘中继续运行</source>
        <translation>Keep running in the tray</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>StatusTexts</name>
    <message>
        <source>模板文件无法打开：%1</source>
        <translation>The template file cannot be opened: %1</translation>
    </message>
    <message>
        <source>成功设置%1个Excel文件,耗时%2秒。</source>
        <translation>%1 Excel file(s) set successfully in %2 s.</translation>
    </message>
    <message>
        <source>无法保留原文件以便撤销，未做任何改动：%1</source>
        <translation>The originals cannot be kept for undo; nothing was changed: %1</translation>
    </message>
    <message>
        <source>需要安装 LibreOffice Calc 才能处理 .xls 文件</source>
        <translation>LibreOffice Calc must be installed to process .xls files</translation>
    </message>
    <message>
        <source>模板文件无法打开：%1（%2）</source>
        <translation>The template file cannot be opened: %1 (%2)</translation>
    </message>
    <message>
        <source>表格引擎无法启动，未改动任何文件（本程序无需安装Office或WPS；部分.xls操作需LibreOffice Calc）。</source>
        <translation>The spreadsheet engine could not start; nothing was changed (this program needs no Office or WPS; .xls files need LibreOffice Calc).</translation>
    </message>
    <message>
        <source>失败%1个，未改动%2个。</source>
        <translation> %1 failed, %2 unchanged.</translation>
    </message>
    <message>
        <source>文件夹中没有找到Excel工作簿（.xls、.xlsx、.xlsm），未做任何改动。</source>
        <translation>No Excel workbooks (.xls, .xlsx, .xlsm) were found in the folder; nothing was changed.</translation>
    </message>
    <message>
        <source>运行报告无法写入：%1（%2）</source>
        <translation>The run report could not be written: %1 (%2)</translation>
    </message>
    <message>
        <source>失败的文件已列在运行报告中：%1</source>
        <translation>The failed files are listed in the run report: %1</translation>
    </message>
</context>
<context>
    <name>SystemTray</name>
    <message>
        <source>软件设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>TroublesDialog</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>详情</source>
        <translation>Details</translation>
    </message>
</context>
</TS>
