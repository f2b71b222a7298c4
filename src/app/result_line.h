// The result line: the command text and the chosen folder, reshaped for a batch script.
#pragma once

// Writes DriveLine, CommandString and Folder through the output hook; true when it arrived.
bool write_result_line();
