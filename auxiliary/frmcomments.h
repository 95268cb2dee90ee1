#pragma once
// The run's comments editor. It works on a copy of the run's comments and takes the text over only
// on OK; Cancel, closing or leaving the window (clicking the main window, for one) discard it,
// so a run loaded meanwhile can never receive comments typed for the previous one.

#include "programstate.h"

#include <QWidget>
#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmComments : public QWidget
{
public:
    // A separate, non-modal window over `parent`; it deletes itself when closed. `shared` must
    // outlive it. Loads the comments at once.
    explicit frmComments(RunState& run, QWidget* parent = nullptr);

    // Text1 = comments, its CR LF pairs shown as line breaks.
    void Form_Load();
    // 0 (OK) stores Text1 with its line breaks as CR LF; 0 and 1 (Cancel) close the window.
    void Command1_Click(int Index);
    // The window stopped being the active one: close without storing.
    void Form_Deactivate();

    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    std::array<QPushButton*, 2> Command1{};

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    RunState& run_;
};
