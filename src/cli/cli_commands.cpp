#include "cli/cli_command.h"

#include "cli/transfer_options.h"

const std::vector<CliCommand> &CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {QStringLiteral("unmerge"),
         QStringLiteral("Split every merged cell area in the used range of the sheets of "
                        "every workbook (.xls, .xlsx, .xlsm) below FOLDER, saving each in place."),
         nullptr, nullptr, &MergeObject::UnMerge},
        {QStringLiteral("transfer"),
         QStringLiteral("Copy column widths and cell formats (on request also formulas or "
                        "values) from ranges of the template's first sheet onto the same place "
                        "of the sheets of every workbook below FOLDER, saving each in place."),
         &AddTransferOptions, &FillTransferOptions, &MergeObject::Transform},
    };
    return commands;
}
