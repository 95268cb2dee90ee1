#include "fileseekdialog.h"

#include "numconv.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

constexpr int kWindowWidth = 320; // 4800 twips
constexpr int kWindowHeight = 380;

const QString kHaltCaption = QStringLiteral("                   Halt ?                    ");

// Texts keep CR line breaks; labels break on LF.
QString shown(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

QString RunFileSeek(QWidget* parent, Prompts& prompts, const QString& fileName)
{
    FileSeekDialog dialog(prompts, fileName, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenPath;
}

FileSeekDialog::FileSeekDialog(Prompts& prompts, const QString& seekFileName, QWidget* parent)
    : QDialog(parent), chosenPath(seekFileName), prompts_(prompts), pattern_(seekFileName)
{
    setWindowTitle(QStringLiteral("File Seek"));
    anyFolder = seek::IsAnyFolderName(seekFileName) ? 1 : 0;

    instructionLabel = new QLabel(this);
    instructionLabel->setWordWrap(true);
    driveList = new QComboBox(this);
    // Every mounted file system is a drive; the root stands for the system drive.
    const QString systemRoot = QDir::rootPath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        QString name = QDir::toNativeSeparators(volume.rootPath());
        if (!volume.name().isEmpty())
            name += QStringLiteral(" [") + volume.name() + QLatin1Char(']');
        driveList->addItem(name, volume.rootPath());
        if (volume.rootPath() == systemRoot)
            driveList->setCurrentIndex(driveList->count() - 1);
    }
    foldersCaption = new QLabel(QStringLiteral("Folders Searched:"), this);
    foldersCount = new QLabel(QStringLiteral("0"), this);
    countLabel = new QLabel(this);
    findsList = new QListWidget(this);
    choiceFrame = new QGroupBox(QStringLiteral("Options for File(s) Found"), this);
    choiceLabel = new QLabel(choiceFrame);
    choiceLabel->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(choiceFrame);
    frameLayout->addWidget(choiceLabel);
    choiceFrame->setVisible(false);
    const std::array<QString, 3> captions{QStringLiteral("Search"), QStringLiteral("Cancel/Halt"),
                                          QStringLiteral("Use")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        commandButtons[i] = new QPushButton(captions[i], this);
        commandButtons[i]->setAutoDefault(false);
        buttons->addWidget(commandButtons[i]);
        connect(commandButtons[i], &QPushButton::clicked, this, [this, i] { onButton(i); });
    }
    commandButtons[2]->setVisible(false);
    connect(findsList, &QListWidget::itemDoubleClicked, this, &FileSeekDialog::onFindDoubleClicked);

    auto* folders = new QHBoxLayout;
    folders->addWidget(foldersCaption);
    folders->addWidget(foldersCount);
    folders->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructionLabel);
    layout->addWidget(driveList);
    layout->addLayout(folders);
    layout->addWidget(countLabel);
    layout->addWidget(findsList, 1);
    layout->addWidget(choiceFrame);
    layout->addLayout(buttons);
    resize(kWindowWidth, kWindowHeight);

    instructionLabel->setText(shown(QStringLiteral("Select Drive to Search for ") + pattern_ +
                                    QStringLiteral("\rThen click on the Search Button")));
}

void FileSeekDialog::setSearchRoot(const QString& folder)
{
    driveList->addItem(QDir::toNativeSeparators(folder), folder);
    driveList->setCurrentIndex(driveList->count() - 1);
}

void FileSeekDialog::onButton(int button)
{
    switch (button) {
    case 0:
        search();
        break;
    case 1:
        cancelOrHalt();
        break;
    case 2:
        useSelected();
        break;
    default:
        break;
    }
}

void FileSeekDialog::onFindDoubleClicked()
{
    useSelected();
}

void FileSeekDialog::reject()
{
    cancelOrHalt();
}

void FileSeekDialog::showCount(int count)
{
    countLabel->setText(num::Str(count) + QStringLiteral(" Occurances Found of ") + pattern_);
}

bool FileSeekDialog::enterFolder(const QString& folder)
{
    ++foldersSearched;
    foldersCount->setText(QString::number(foldersSearched));
    while (findsList->count() < finds_.size())
        findsList->addItem(QDir::toNativeSeparators(finds_.at(findsList->count())));
    showCount(findsList->count());
    emit folderSearched(folder);
    return searching;
}

void FileSeekDialog::search()
{
    if (searching || walk_)
        return; // a second click on Search while the walk runs or winds down
    setCursor(Qt::BusyCursor);
    countLabel->clear();
    findsList->clear();
    finds_.clear();
    searchedDrive_ = driveList->currentText();
    const QString root = driveList->currentData().toString();
    const seek::WalkOptions options{pattern_, anyFolder == 1, maxEntries};
    walk_ = std::make_unique<seek::FolderWalk>(
        root, options, [this](const QString& folder) { return enterFolder(folder); }, &finds_);
    searching = true;
    // The walk runs in slices from the event loop, so the Halt button and the counters work
    // between them; it stops at the first slice after a Halt.
    QTimer::singleShot(0, this, &FileSeekDialog::walkSlice);
}

void FileSeekDialog::walkSlice()
{
    if (closed_) {
        walk_.reset(); // the user chose a find after a Halt
        return;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    std::optional<seek::WalkEnd> end;
    do {
        end = searching ? walk_->step() : seek::WalkEnd::Halted;
    } while (!end && elapsed.elapsed() < slice.count());
    if (!end) {
        QTimer::singleShot(0, this, &FileSeekDialog::walkSlice);
        return;
    }
    walk_.reset();
    searching = false;
    searchEnded(*end);
}

void FileSeekDialog::searchEnded(seek::WalkEnd end)
{
    if (end == seek::WalkEnd::Unreadable) {
        unsetCursor();
        prompts_.say(QStringLiteral("The ") + searchedDrive_ +
                     QStringLiteral(" Drive is not ready."));
        return;
    }
    for (int i = findsList->count(); i < finds_.size(); ++i)
        findsList->addItem(QDir::toNativeSeparators(finds_.at(i)));
    showCount(findsList->count());
    if (end == seek::WalkEnd::TooMany) {
        commandButtons[2]->setVisible(true);
        prompts_.say(QStringLiteral("Too many entries found to display in listbox."));
    }

    const int count = findsList->count();
    if (count == 0) {
        unsetCursor();
        prompts_.say(QStringLiteral("This file was not found on the ") + searchedDrive_ +
                     QStringLiteral(" Drive.  Possible reasons include:\r\r"
                                    "    -  You do not own the correct version of this\r"
                                    "       Vehicle Program.\r\r"
                                    "    -  This program is on a different disk drive."));
        return;
    }
    if (count == 1) {
        closeWith(findsList->item(0)->text());
        return;
    }
    choiceFrame->setVisible(true);
    choiceLabel->setText(QStringLiteral("Double click (or single click and click on 'Use') on the "
                                        "occurance of ") +
                         pattern_ + QStringLiteral(" you want to use."));
    commandButtons[2]->setVisible(true);
    unsetCursor();
}

void FileSeekDialog::cancelOrHalt()
{
    if (!searching) {
        closeWith(QString());
        return;
    }
    const MessageRequest question{QStringLiteral("Halt searching for file ?"), kHaltCaption,
                                  MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes};
    if (prompts_.message(question) != MsgAnswer::Yes)
        return;
    searching = false;
    commandButtons[2]->setVisible(true);
    unsetCursor();
}

void FileSeekDialog::useSelected()
{
    const QListWidgetItem* item = findsList->currentItem();
    if (item == nullptr)
        return; // nothing picked yet: the window waits for a choice
    closeWith(item->text());
}

void FileSeekDialog::closeWith(const QString& path)
{
    chosenPath = path;
    closed_ = true;
    done(path.isEmpty() ? QDialog::Rejected : QDialog::Accepted);
}
