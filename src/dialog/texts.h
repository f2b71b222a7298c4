// Every text the dialogs show, in one place: UTF-8, as all of the product's own texts are, appended to the
// workspace with ws_append_utf8 where shown.
#pragma once

constexpr const char* kOnlyStart = "Only ";  // the root, in the folder form, between the two
constexpr const char* kOnlyEnd = " and the folders below it can be chosen";
constexpr const char* kOnlyFolders = "Only a folder can be chosen";
constexpr const char* kMustHold = "The folder must hold ";  // the patterns, joined by kAnd
constexpr const char* kAnd = " and ";
constexpr const char* kLookingFor = "Looking for ";  // the patterns, then kEllipsis
constexpr const char* kEllipsis = "\xE2\x80\xA6";
constexpr const char* kCodePageUnfit = "This folder's name cannot be written in code page ";
constexpr const char* kNameStripped = "Windows drops the dot or blank this folder's name ends in";
constexpr const char* kUntold = "Windows cannot tell whether this folder is there: ";  // then the system's words
constexpr const char* kNoReason = "no reason given";
constexpr const char* kDoesNotAnswer = " does not answer";  // after the start folder, before the title
constexpr const char* kWaiting = "Dirpick: a folder dialog is waiting for your answer";  // the console's title
constexpr const char* kBoxCaption = "Dirpick";
