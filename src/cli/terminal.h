#pragma once
// Whether a standard stream goes to a terminal, where a line can be
// rewritten in place, rather than to a file or a pipe.

bool StandardErrorIsTerminal();
