#include "scriptedprompts.h"

#include <QTest>

namespace
{

// The next queued answer; none left is counted and, named by `what`, warned about.
template <typename T>
std::optional<T> takeNext(std::deque<T>& answers, int& unexpected, const QString& what = {})
{
    if (answers.empty()) {
        ++unexpected;
        if (!what.isEmpty())
            qWarning("unscripted %s", qPrintable(what));
        return std::nullopt;
    }
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

MsgAnswer ScriptedPrompts::message(const MessageRequest& request)
{
    messages.push_back(request);
    if (request.buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return takeNext(messageAnswers, unexpected, "message box: " + request.text)
        .value_or(MsgAnswer::Cancel);
}

QString ScriptedPrompts::input(const QString& prompt, const QString& title,
                               const QString& defaultText)
{
    inputs.push_back({prompt, title, defaultText});
    return takeNext(inputAnswers, unexpected, "input box: " + title).value_or(QString());
}

std::optional<QString> ScriptedPrompts::takeFileAnswer()
{
    const std::optional<QString> answer = takeNext(fileAnswers, unexpected);
    return answer && !answer->isNull() ? answer : std::nullopt;
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
    return takeNext(printerAnswers, unexpected).value_or(false);
}

PrintOutput ScriptedPrompts::choosePrintOutput(const QString& printerName)
{
    printOutputQuestions << printerName;
    return takeNext(printOutputAnswers, unexpected, QStringLiteral("printer or PDF question"))
        .value_or(PrintOutput::Cancel);
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList texts;
    for (const auto& m : messages)
        texts << m.text;
    return texts;
}
