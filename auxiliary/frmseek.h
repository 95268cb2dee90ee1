#pragma once
// The file seek window: searches a mounted volume for a file and lets the user pick one of the
// places where it was found.

#include "seams.h"
#include "seekwalk.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// Shows the file seek modally, looking for `SeekFileName`; returns the full path the user chose,
// or an empty text when nothing was chosen. Every message goes through `prompts`.
QString RunFileSeek(QWidget* parent, Prompts& prompts, const QString& SeekFileName);

class frmSeek : public QDialog
{
    Q_OBJECT
public:
    // Loads the window for `seekFileName`: the drive list holds the mounted volumes with "/"
    // (the system drive) chosen.
    frmSeek(Prompts& prompts, const QString& seekFileName, QWidget* parent = nullptr);

    // Offers `folder` as a further drive and chooses it, so that a search covers only it.
    void setSearchRoot(const QString& folder);

    // On return the chosen full path; empty when the user cancelled.
    QString SeekFileName;
    bool Searching = false;
    int FoldersSearched = 0;
    int AnyFolder = 0;
    int MaxEntries = seek::kListLimit; // occurrences the list can take

    QComboBox* Drive1;
    QLabel* Label1; // occurrence count
    QLabel* Label2; // what to do
    QLabel* Label3; // how to choose among several finds
    QLabel* Label4;
    QLabel* Label5; // folders searched
    QListWidget* List1;
    QGroupBox* Frame3D1;
    std::array<QPushButton*, 3> Command1; // Search, Cancel/Halt, Use

signals:
    // Emitted on entering each folder of a search, just before pending events run.
    void folderSearched(const QString& folder);

public slots:
    // 0 Search, 1 Cancel/Halt, 2 Use.
    void Command1_Click(int Index);
    void List1_DblClick();
    // Escape and the close box act as Cancel/Halt, so a running search is never cut off.
    void reject() override;

private:
    void search();
    void cancelOrHalt();
    void useSelected();
    bool enterFolder(const QString& folder);
    void showCount(int count);
    void closeWith(const QString& path); // empty: nothing chosen

    Prompts& prompts_;
    QString pattern_;
    QStringList finds_; // the walk's finds, in the order List1 shows them
    bool closed_ = false;
};
