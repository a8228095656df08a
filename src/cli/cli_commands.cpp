#include "cli/cli_command.h"

#include "cli/cli_texts.h"
#include "cli/transfer_options.h"

const std::vector<CliCommand> &CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {QStringLiteral("unmerge"),
         Say("拆分 FOLDER 下每个工作簿（.xls、.xlsx、.xlsm）各工作表已用区域中的每个合并单元格，"
             "并就地保存。",
             "Split every merged cell area in the used range of the sheets of every workbook "
             "(.xls, .xlsx, .xlsm) below FOLDER, saving each in place."),
         nullptr, nullptr, &MergeObject::UnMerge},
        {QStringLiteral("transfer"),
         Say("把模板第一个工作表中若干区域的列宽和单元格格式（按需也包括公式或值）复制到 FOLDER "
             "下每个工作簿各工作表的相同位置，并就地保存。",
             "Copy column widths and cell formats (on request also formulas or values) from "
             "ranges of the template's first sheet onto the same place of the sheets of every "
             "workbook below FOLDER, saving each in place."),
         &TransferOptions, &FillTransferOptions, &MergeObject::Transform},
    };
    return commands;
}
