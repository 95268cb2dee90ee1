#pragma once
// The About box: program name and version, the maker, and a Print button that prints the box
// the way the main window's Print command prints the main window.

#include "programstate.h"

#include <QPixmap>
#include <QWidget>

class QLabel;
class QPrinter;
class QPushButton;
class Prompts;

class frmAbout : public QWidget
{
public:
    // A separate, non-modal window over `parent`; it deletes itself when closed, so each showing
    // is a fresh load. `shared`, `printer` and `prompts` must outlive it.
    frmAbout(const DerivedSettings& derived, QPrinter& printer, Prompts& prompts,
             QWidget* parent = nullptr);

    // Label2 = programTitle + " v1.1  A.005".
    void Form_Load();
    void cmdOK_Click();
    // A click on the background (not on a label or the picture): the same as OK.
    void Form_Click();
    // Prints an image of the box, fitted to one page; a failure is reported through Prompts.
    void Command3D1_Click();

    QLabel* Label1 = nullptr; // maker
    QLabel* Label2 = nullptr; // program and version
    QLabel* Label3 = nullptr; // what the program is for
    QLabel* Label4 = nullptr; // copyright
    QLabel* Image1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* Command3D1 = nullptr;

    // The logo, drawn in code so the program needs no image file.
    static QPixmap Logo();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const DerivedSettings& derived_;
    QPrinter& printer_;
    Prompts& prompts_;
    bool pressedOnBackground_ = false;
};
