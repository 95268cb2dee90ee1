#include "scriptedprompts.h"

#include <QTest>

MsgAnswer ScriptedPrompts::message(const MessageRequest& request)
{
    messages.push_back(request);
    if (request.buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (messageAnswers.empty()) {
        ++unexpected;
        qWarning("unscripted message box: %s", qPrintable(request.text));
        return MsgAnswer::Cancel;
    }
    const MsgAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title,
                               const QString& defaultText)
{
    inputs.push_back({prompt, title, defaultText});
    if (inputAnswers.empty()) {
        ++unexpected;
        qWarning("unscripted input box: %s", qPrintable(title));
        return {};
    }
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::takeFileAnswer()
{
    if (fileAnswers.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.isNull())
        return std::nullopt;
    return answer;
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialogRequest& request)
{
    openDialogs.push_back(request);
    return takeFileAnswer();
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogRequest& request)
{
    saveDialogs.push_back(request);
    return takeFileAnswer();
}

bool ScriptedPrompts::printerSetup(QPrinter&)
{
    if (printerAnswers.empty()) {
        ++unexpected;
        return false;
    }
    const bool answer = printerAnswers.front();
    printerAnswers.pop_front();
    return answer;
}

PrintOutput ScriptedPrompts::choosePrintOutput(const QString& printerName)
{
    printOutputQuestions << printerName;
    if (printOutputAnswers.empty()) {
        ++unexpected;
        qWarning("unscripted printer or PDF question");
        return PrintOutput::Cancel;
    }
    const PrintOutput answer = printOutputAnswers.front();
    printOutputAnswers.pop_front();
    return answer;
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const auto& m : messages)
        texts << m.text;
    return texts;
}
