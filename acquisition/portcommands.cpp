#include "portcommands.h"

#include "numconv.h"
#include "portpath.h"
#include "seams.h"

namespace
{

bool isLoggerPort(qint16 n)
{
    return n > 0 && n < kLastComPort + 1;
}

const QString kProbeNotice = QStringLiteral(
    "Click OK and the program will check to see what com ports seem to be available.  This may "
    "take 20-60 seconds.");
const QString kNoPorts = QStringLiteral("No Com Ports appear to be available");
const QString kAskTitle = QStringLiteral("Select Com Port Number");
const QString kRefused =
    QStringLiteral("You must enter a number between 1 and 16.  Try again or click cancel.");

QString askPrompt(const QString& listText)
{
    const QChar cr(u'\r');
    return QStringLiteral("Select Com Port Number, a number from 1-16.") + cr + cr +
           QStringLiteral("Available Com Ports on this computer appear to be:") + cr + cr +
           QStringLiteral("   ") + listText;
}

} // namespace

void OpenLoggerPort(SerialLink& port, qint16& loggerPort)
{
    port.close();
    if (!isLoggerPort(loggerPort))
        loggerPort = 1;
    port.setPort(loggerPort);
    port.setSettings(kLoggerSettings);
    port.open();
}

void OpenLoggerPortOnDevice(SerialLink& port, const QString& device)
{
    port.close();
    port.setDevice(device);
    port.setSettings(kLoggerSettings);
    port.open();
}

QStringList FindComPorts(const std::function<bool(int)>& exists)
{
    QStringList found;
    for (int n = kFirstComPort; n <= kLastComPort; ++n)
        if (exists(n))
            found << num::CStr(n);
    return found;
}

bool ChooseLoggerPort(Prompts& prompts, SerialLink& port, qint16& loggerPort,
                      const std::function<void(bool busy)>& setBusyCursor)
{
    prompts.say(kProbeNotice);
    // Sixteen opens take a moment, not long enough to let commands in between them.
    setBusyCursor(true);

    QString listText;
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        port.close();
        port.setPort(n);
        const bool opened = port.open();
        if (opened)
            listText += num::CStr(n) + QLatin1Char(',');
    }
    if (listText.endsWith(QLatin1Char(',')))
        listText.chop(1);
    if (listText.isEmpty())
        listText = kNoPorts;
    setBusyCursor(false);

    if (!isLoggerPort(loggerPort))
        loggerPort = 1;

    for (;;) {
        const QString answer = prompts.input(askPrompt(listText), kAskTitle, num::CStr(loggerPort));
        if (answer.isEmpty())
            return false;
        // The number is checked as typed (16.4 is refused) and rounded only when stored.
        const double v = num::Val(answer);
        if (v < kFirstComPort || v > kLastComPort) {
            prompts.say(kRefused);
            continue;
        }
        loggerPort = *num::ToInteger(v);
        prompts.say(QStringLiteral("Com Port now set to ") + num::CStr(loggerPort) +
                    QStringLiteral(" ."));
        return true;
    }
}
