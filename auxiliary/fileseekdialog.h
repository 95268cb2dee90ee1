#pragma once
// The file seek window: searches a mounted volume for a file and lets the user pick one of the
// places where it was found.

#include "seams.h"
#include "seekwalk.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// Shows the file seek modally, looking for `fileName`; returns the full path the user chose,
// or an empty text when nothing was chosen. Every message goes through `prompts`.
QString RunFileSeek(QWidget* parent, Prompts& prompts, const QString& fileName);

class FileSeekDialog : public QDialog
{
    Q_OBJECT
public:
    // Loads the window for `seekFileName`: the drive list holds the mounted volumes with "/"
    // (the system drive) chosen.
    FileSeekDialog(Prompts& prompts, const QString& seekFileName, QWidget* parent = nullptr);

    // Offers `folder` as a further drive and chooses it, so that a search covers only it.
    void setSearchRoot(const QString& folder);
    // True from Search until the walk has wound down, also after a Halt it has not yet seen.
    bool walking() const { return walk_ != nullptr; }

    // On return the chosen full path; empty when the user cancelled.
    QString chosenPath;
    bool searching = false;
    int foldersSearched = 0;
    int anyFolder = 0;
    int maxEntries = seek::kListLimit; // occurrences the list can take
    // How long the walk goes on before the window's events run again.
    std::chrono::milliseconds slice{20};

    QComboBox* driveList;
    QLabel* countLabel;       // occurrences found
    QLabel* instructionLabel; // what to do
    QLabel* choiceLabel;      // how to choose among several finds
    QLabel* foldersCaption;   // "Folders Searched:"
    QLabel* foldersCount;
    QListWidget* findsList;
    QGroupBox* choiceFrame;
    std::array<QPushButton*, 3> commandButtons; // Search, Cancel/Halt, Use

signals:
    // Emitted on entering each folder of a search.
    void folderSearched(const QString& folder);

public slots:
    // 0 Search, 1 Cancel/Halt, 2 Use.
    void onButton(int button);
    void onFindDoubleClicked();
    // Escape and the close box act as Cancel/Halt, so a running search is never cut off.
    void reject() override;

private:
    void search();
    void walkSlice();
    void searchEnded(seek::WalkEnd end);
    void cancelOrHalt();
    void useSelected();
    bool enterFolder(const QString& folder);
    void showCount(int count);
    void closeWith(const QString& path); // empty: nothing chosen

    Prompts& prompts_;
    QString pattern_;
    QStringList finds_; // the walk's finds, in the order findsList shows them
    std::unique_ptr<seek::FolderWalk> walk_;
    QString searchedDrive_;
    bool closed_ = false;
};
