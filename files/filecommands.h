#pragma once
// The widget-free parts of the Open, Save and Save As commands: the settings of their file
// dialogs and the limit on the length of a chosen file name.

#include "seams.h"

#include <QString>

// Names of data files are limited to this many characters.
constexpr int kMaxDataFileNameLength = 40;

// The Open dialog: title "Open a File", every file shown, starting in the data folder with no
// name, and only an existing file can be chosen.
FileDialogRequest OpenDialogRequest(const QString& dataFolderPath);

// Why a data file named on the command line cannot be opened ("... was not found."), or empty
// text when it is a readable file. The Open dialog only lets existing files be chosen; a name
// typed in a terminal gets the same check.
QString DataFileToOpenProblem(const QString& path);

// The Save As dialog: title "Save a File", every file shown, starting in the data folder with
// the current file's name (the last component of filePath), asking before replacing a file.
FileDialogRequest SaveAsDialogRequest(const QString& dataFolderPath, const QString& filePath);

// The chosen path with its file name cut to its first 40 characters (an extension may be cut
// off). When it cuts, it first tells the user the shortened name (OK box). A path without a
// folder stays without one.
QString ShortenToFortyCharacters(Prompts& prompts, const QString& chosenPath);

struct JournalInfo;

// The start-up question about a run that a crash left unsaved: how many readings, over what
// run time, when the last was taken, and what Yes and No do with it. `keptName` is the data
// file No keeps it as.
QString UnsavedRunQuestion(const JournalInfo& info, const QString& keptName);
