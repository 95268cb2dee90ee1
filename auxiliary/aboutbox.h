#pragma once
// The About box: program name and version, the maker, and a Print button that prints the box
// the way the main window's Print command prints the main window.

#include "programstate.h"

#include <QPixmap>
#include <QDialog>

class QLabel;
class QPrinter;
class QPushButton;
class Prompts;

class AboutBox : public QDialog
{
public:
    // A non-modal dialog owned by `parent` and placed over it; it deletes itself when closed, so each showing
    // is a fresh load. `derived`, `printer` and `prompts` must outlive it.
    AboutBox(const DerivedSettings& derived, QPrinter& printer, Prompts& prompts,
             QWidget* parent = nullptr);

    // The title line: the program title and " v1.1  A.005".
    void load();
    void onOk();
    // A click on the background (not on a label or the picture): the same as OK.
    void onBackgroundClick();
    // Prints an image of the box, fitted to one page; a failure is reported through Prompts.
    void onPrint();

    QLabel* makerLabel = nullptr;
    QLabel* titleLabel = nullptr;   // program and version
    QLabel* purposeLabel = nullptr; // what the program is for
    QLabel* copyrightLabel = nullptr;
    QLabel* logo = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* printButton = nullptr;

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
