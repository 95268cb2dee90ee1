#pragma once
// The program's own read-only window for a text document (the export, the help text): where
// the desktop has no application for text files, the user still gets to read and copy it.

#include <QDialog>

class QPlainTextEdit;

class TextWindow : public QDialog
{
public:
    // A non-modal window over `owner` showing `text`, titled and named after `fileName`; it
    // deletes itself when closed.
    TextWindow(const QString& fileName, const QString& text, QWidget* owner);

    QPlainTextEdit* textView = nullptr;
};

// The text of the file at `path` for showing: UTF-8 when it reads as such, else Latin-1 (the
// program writes its text files that way), every CR LF or lone CR a line break. False, with
// a message naming the file in *error, when the file cannot be read.
bool ReadTextDocument(const QString& path, QString* text, QString* error);

// Reads `path` and shows it in a TextWindow over `owner`; returns the window, or nullptr with
// *error set when the file cannot be read.
TextWindow* ShowTextWindow(const QString& path, QWidget* owner, QString* error);
