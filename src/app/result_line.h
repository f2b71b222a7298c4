// The result line: the command text and the chosen folder, reshaped for a batch script.
#pragma once

enum LineOutcome { LINE_WRITTEN, LINE_LOST, LINE_UNFIT };

// Writes DriveLine, CommandString and Folder (with /bare the folder alone) through the output
// hook. LINE_UNFIT: with /batch or /bare, a redirected line that the console's code page cannot
// hold exactly; nothing was written.
LineOutcome write_result_line();
