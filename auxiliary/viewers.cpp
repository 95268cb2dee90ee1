#include "viewers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

// The reminders name this program: the user is to come back to it, not to some other one.
const QString kReminderEnd = QStringLiteral(
    " document, click on the [X] box in the upper right corner to return to Thermocouple "
    "Recorder.");
const QString kWebReminderEnd = QStringLiteral(
    "' web site, click on the [X] box in the upper right corner to return to Thermocouple "
    "Recorder.");

// The desktop's opener picks the user's own viewer; the editors are for a desktop where no
// application is registered for text files.
const QString kOpener = QStringLiteral("xdg-open");
const QStringList kEditors{QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"),
                           QStringLiteral("mousepad")};

const QString kFirstBrowser = QStringLiteral("xdg-open");

} // namespace

namespace
{

void ShowWithoutOpener(Prompts& prompts, Launcher& launcher, const QString& path)
{
    for (const QString& editor : kEditors) {
        if (launcher.startDetached(editor, {path}))
            return;
    }
    if (launcher.showInProgram) {
        launcher.showInProgram(path);
        return;
    }
    // The file is there all the same; the user can open it with whatever they have.
    prompts.say(QStringLiteral("An appropriate viewer was not found on your system.\r\r"
                               "The file was written to:\r    ") +
                QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

} // namespace

void ShowDocument(Prompts& prompts, Launcher& launcher, const QString& path, const QString& title)
{
    prompts.say(QStringLiteral("When you are finished viewing the ") + title + kReminderEnd);
    // The opener starts even where nothing handles text files and only then fails, so its
    // start proves nothing: its end decides.
    launcher.run(kOpener, {path}, [&prompts, &launcher, path](bool opened) {
        if (!opened)
            ShowWithoutOpener(prompts, launcher, path);
    });
}

QString BrowserArgument(const QString& address)
{
    if (address.contains(QLatin1String("://")))
        return address;
    return QStringLiteral("http://") + address;
}

void OpenWebSite(Prompts& prompts, Launcher& launcher, const QString& address,
                 const QString& siteName,
                 const std::function<QString(const QString& seekName)>& seek)
{
    prompts.say(QStringLiteral("When you are finished viewing the '") + siteName + kWebReminderEnd);
    QString browser = kFirstBrowser;
    for (;;) {
        if (launcher.startDetached(browser, {BrowserArgument(address)}))
            return;
        prompts.say(QStringLiteral("The web browser could not be started (") + browser +
                    QStringLiteral(" was not found on this system).  The program will now "
                                   "search for a browser program."));
        const QString chosen = seek(QStringLiteral("Iexplore.exe"));
        // A chosen file comes back as a full path; anything else means the user chose nothing.
        if (chosen.isEmpty() || !QDir::isAbsolutePath(chosen))
            break;
        browser = chosen;
    }
    prompts.say(QStringLiteral("We could not start a web browser on this system.  Use "
                               "your normal web browser and visit:\r\r    ") +
                kMakerWebAddress +
                QStringLiteral("\r\rTo see any info on recent updates on this and other "
                               "Veltrona products."));
}

QString HelpCopyPath(const QString& programFolder, const QString& textFolder)
{
    return programFolder + textFolder + QStringLiteral("AFHelpBKP.txt");
}

bool CopyHelpText(const QString& programFolder, const QString& textFolder, QString* error)
{
    const QString source = programFolder + textFolder + QStringLiteral("AFHelp.txt");
    const QString copy = HelpCopyPath(programFolder, textFolder);
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("The help file ") + QDir::toNativeSeparators(source) +
                    QStringLiteral(" was not found."));
    if (QFileInfo::exists(copy) && !QFile::remove(copy))
        return fail(QStringLiteral("The older help copy ") + QDir::toNativeSeparators(copy) +
                    QStringLiteral(" could not be replaced."));
    QFile file(source);
    if (!file.copy(copy))
        return fail(QStringLiteral("The help file ") + QDir::toNativeSeparators(source) +
                    QStringLiteral(" could not be copied: ") + file.errorString());
    // The copy is the user's to edit even when the installed help text is read-only.
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::WriteOwner | QFile::ReadOwner);
    return true;
}
