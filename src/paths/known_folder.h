// Start folders by name: "shell:NAME" as Explorer's address bar takes it, looked up with the
// known-folder manager, which follows a folder to wherever it was moved (OneDrive, a share).
#pragma once

// Whether the text begins with "shell:" in any letter case.
bool is_known_folder_name(const wchar_t* text);
// Places the named folder's current path at start, with whatever follows the name (a backslash
// and a path inside it). False, with the empty text at start, when the name is no known folder or
// one with no path on disk (a virtual folder such as the Control Panel).
bool known_folder_path(const wchar_t* text, int start);
