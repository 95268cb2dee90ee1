#pragma once
// The run's comments editor. It works on a copy of the run's comments and takes the text over only
// on OK; Cancel, closing or leaving the window (clicking the main window, for one) discard it,
// so a run loaded meanwhile can never receive comments typed for the previous one.


#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class CommentsEditor : public QDialog
{
public:
    // A non-modal dialog owned by `parent` and placed over it; it deletes itself when closed.
    // Shows `comments` (lines joined by CR LF) at once; OK hands the edited text to `store`.
    CommentsEditor(const QString& comments, std::function<void(const QString&)> store,
                   QWidget* parent = nullptr);

    // The comments into the editor, their CR LF pairs shown as line breaks.
    void load();
    // Button 0 (OK) stores the editor's text with its line breaks as CR LF; 0 and 1 (Cancel)
    // close the window.
    void onButton(int button);
    // The window stopped being the active one: close without storing.
    void onDeactivated();

    QPlainTextEdit* editor = nullptr;
    QLabel* tipLabel = nullptr;
    std::array<QPushButton*, 2> okCancelButtons{};

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString comments_;
    std::function<void(const QString&)> store_;
};
