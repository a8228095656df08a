#include "cli_command.h"

const std::vector<CliCommand> &CliCommands()
{
    static const std::vector<CliCommand> commands = {
        {QStringLiteral("unmerge"),
         QStringLiteral("Split every merged cell area in the used range of the sheets of "
                        "every workbook (.xls, .xlsx, .xlsm) below FOLDER, saving each in place."),
         nullptr, nullptr, &MergeObject::UnMerge},
    };
    return commands;
}
