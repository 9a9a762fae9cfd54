// Ids of the framework's own strings, which the program's string table holds beside its
// own (kivTool.rc includes this file). Plain defines: the resource compiler reads them.
#pragma once

#define IDS_FW_PARSE_UNSIGNED           0xF113  // "Please enter a positive integer."
#define IDS_FW_PARSE_RANGE              0xF114  // "... between %1 and %2."
