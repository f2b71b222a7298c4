// The result line: the command text and the chosen folder, reshaped for a batch script.
#pragma once

enum LineOutcome { LINE_WRITTEN, LINE_LOST, LINE_UNFIT };

// Writes DriveLine, CommandString and Folder through the output hook. LINE_UNFIT: with /batch,
// a redirected line that the batch file's code page cannot hold exactly; nothing was written.
LineOutcome write_result_line();
