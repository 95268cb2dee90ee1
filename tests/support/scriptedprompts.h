#pragma once
// Prompts answered by a script: each request takes the next queued answer of its kind and is
// recorded; one with none queued is counted in `unexpected` and answers as Cancel.

#include "seams.h"

#include <QStringList>
#include <deque>
#include <vector>

class ScriptedPrompts final : public Prompts
{
public:
    struct InputRequest {
        QString prompt, title, defaultText;
    };

    std::deque<MsgAnswer> messageAnswers; // for boxes that are not OK-only
    std::deque<QString> inputAnswers;     // "" stands for Cancel
    std::deque<QString> fileAnswers;      // a null QString stands for Cancel
    std::deque<bool> printerAnswers;
    std::deque<PrintOutput> printOutputAnswers;

    std::vector<MessageRequest> messages;
    std::vector<InputRequest> inputs;
    std::vector<FileDialogRequest> openDialogs;
    std::vector<FileDialogRequest> saveDialogs;
    QStringList printOutputQuestions; // the printer names asked about
    int unexpected = 0;               // requests that found no scripted answer

    MsgAnswer message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    bool printerSetup(QPrinter& printer) override;
    PrintOutput choosePrintOutput(const QString& printerName) override;

private:
    std::optional<QString> takeFileAnswer();

public:
    // Texts of every message shown, in order.
    QStringList messageTexts() const;
};
