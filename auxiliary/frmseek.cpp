#include "frmseek.h"

#include "numconv.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
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

QString RunFileSeek(QWidget* parent, Prompts& prompts, const QString& SeekFileName)
{
    frmSeek dialog(prompts, SeekFileName, parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.SeekFileName;
}

frmSeek::frmSeek(Prompts& prompts, const QString& seekFileName, QWidget* parent)
    : QDialog(parent), SeekFileName(seekFileName), prompts_(prompts), pattern_(seekFileName)
{
    setWindowTitle(QStringLiteral("File Seek"));
    AnyFolder = seek::IsAnyFolderName(seekFileName) ? 1 : 0;

    Label2 = new QLabel(this);
    Label2->setWordWrap(true);
    Drive1 = new QComboBox(this);
    // Every mounted file system is a drive; the root stands for the system drive.
    const QString systemRoot = QDir::rootPath();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        QString name = QDir::toNativeSeparators(volume.rootPath());
        if (!volume.name().isEmpty())
            name += QStringLiteral(" [") + volume.name() + QLatin1Char(']');
        Drive1->addItem(name, volume.rootPath());
        if (volume.rootPath() == systemRoot)
            Drive1->setCurrentIndex(Drive1->count() - 1);
    }
    Label4 = new QLabel(QStringLiteral("Folders Searched:"), this);
    Label5 = new QLabel(QStringLiteral("0"), this);
    Label1 = new QLabel(this);
    List1 = new QListWidget(this);
    Frame3D1 = new QGroupBox(QStringLiteral("Options for File(s) Found"), this);
    Label3 = new QLabel(Frame3D1);
    Label3->setWordWrap(true);
    auto* frameLayout = new QVBoxLayout(Frame3D1);
    frameLayout->addWidget(Label3);
    Frame3D1->setVisible(false);
    const std::array<QString, 3> captions{QStringLiteral("Search"), QStringLiteral("Cancel/Halt"),
                                          QStringLiteral("Use")};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setAutoDefault(false);
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[2]->setVisible(false);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmSeek::List1_DblClick);

    auto* folders = new QHBoxLayout;
    folders->addWidget(Label4);
    folders->addWidget(Label5);
    folders->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Drive1);
    layout->addLayout(folders);
    layout->addWidget(Label1);
    layout->addWidget(List1, 1);
    layout->addWidget(Frame3D1);
    layout->addLayout(buttons);
    resize(kWindowWidth, kWindowHeight);

    Label2->setText(shown(QStringLiteral("Select Drive to Search for ") + SeekFileName +
                          QStringLiteral("\rThen click on the Search Button")));
}

void frmSeek::setSearchRoot(const QString& folder)
{
    Drive1->addItem(QDir::toNativeSeparators(folder), folder);
    Drive1->setCurrentIndex(Drive1->count() - 1);
}

void frmSeek::Command1_Click(int Index)
{
    switch (Index) {
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

void frmSeek::List1_DblClick()
{
    useSelected();
}

void frmSeek::reject()
{
    cancelOrHalt();
}

void frmSeek::showCount(int count)
{
    Label1->setText(num::Str(count) + QStringLiteral(" Occurances Found of ") + pattern_);
}

bool frmSeek::enterFolder(const QString& folder)
{
    Searching = true;
    ++FoldersSearched;
    Label5->setText(QString::number(FoldersSearched));
    while (List1->count() < finds_.size())
        List1->addItem(QDir::toNativeSeparators(finds_.at(List1->count())));
    showCount(List1->count());
    emit folderSearched(folder);
    // The Halt click, the counters and the window's repainting are handled here.
    QCoreApplication::processEvents();
    if (Searching)
        return true;
    Command1[2]->setVisible(true);
    unsetCursor();
    return false;
}

void frmSeek::search()
{
    if (Searching)
        return; // a second click on Search while the walk runs
    setCursor(Qt::BusyCursor);
    Label1->clear();
    List1->clear();
    finds_.clear();
    const QString drive = Drive1->currentText();
    const QString root = Drive1->currentData().toString();

    const seek::WalkOptions options{pattern_, AnyFolder == 1, MaxEntries};
    const seek::WalkEnd end = seek::SearchDirs(
        root, options, [this](const QString& folder) { return enterFolder(folder); }, &finds_);
    Searching = false;
    if (closed_)
        return; // the user chose a find while the walk was winding down

    if (end == seek::WalkEnd::Unreadable) {
        unsetCursor();
        prompts_.say(QStringLiteral("The ") + drive + QStringLiteral(" Drive is not ready."));
        return;
    }
    for (int i = List1->count(); i < finds_.size(); ++i)
        List1->addItem(QDir::toNativeSeparators(finds_.at(i)));
    showCount(List1->count());
    if (end == seek::WalkEnd::TooMany) {
        Command1[2]->setVisible(true);
        prompts_.say(QStringLiteral("Too many entries found to display in listbox."));
    }

    const int count = List1->count();
    if (count == 0) {
        unsetCursor();
        prompts_.say(QStringLiteral("This file was not found on the ") + drive +
                     QStringLiteral(" Drive.  Possible reasons include:\r\r"
                                    "    -  You do not own the correct version of this\r"
                                    "       Vehicle Program.\r\r"
                                    "    -  This program is on a different disk drive."));
        return;
    }
    if (count == 1) {
        closeWith(List1->item(0)->text());
        return;
    }
    Frame3D1->setVisible(true);
    Label3->setText(QStringLiteral("Double click (or single click and click on 'Use') on the "
                                   "occurance of ") +
                    pattern_ + QStringLiteral(" you want to use."));
    Command1[2]->setVisible(true);
    unsetCursor();
}

void frmSeek::cancelOrHalt()
{
    if (!Searching) {
        closeWith(QString());
        return;
    }
    const MessageRequest question{QStringLiteral("Halt searching for file ?"), kHaltCaption,
                                  MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes};
    if (prompts_.message(question) != MsgAnswer::Yes)
        return;
    Searching = false;
    Command1[2]->setVisible(true);
    unsetCursor();
}

void frmSeek::useSelected()
{
    const QListWidgetItem* item = List1->currentItem();
    if (item == nullptr)
        return; // nothing picked yet: the window waits for a choice
    closeWith(item->text());
}

void frmSeek::closeWith(const QString& path)
{
    SeekFileName = path;
    closed_ = true;
    done(path.isEmpty() ? QDialog::Rejected : QDialog::Accepted);
}
