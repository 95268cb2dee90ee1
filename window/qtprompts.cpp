#include "qtprompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>

namespace
{

constexpr int kInputBoxWidth = 420;

// Message texts use CR for line breaks; Qt's labels break on LF.
QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QMessageBox::StandardButton toStandard(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Yes:
        return QMessageBox::Yes;
    case MsgAnswer::No:
        return QMessageBox::No;
    case MsgAnswer::Cancel:
        return QMessageBox::Cancel;
    case MsgAnswer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// "All Files (*.*)" is the Windows way of saying every file; on Linux *.* would hide files
// without an extension.
QString toQtFilter(const QString& filter)
{
    QString f = filter;
    f.replace(QLatin1String("(*.*)"), QLatin1String("(*)"));
    return f;
}

} // namespace

MsgAnswer QtPrompts::message(const MessageRequest& request)
{
    QMessageBox box(parent_);
    box.setWindowTitle(request.caption);
    box.setText(displayText(request.text));
    switch (request.icon) {
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::None:
        break;
    }
    switch (request.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toStandard(request.defaultButton));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    default:
        // The close box of a Yes/No box counts as No, of a box with Cancel as Cancel.
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

QString QtPrompts::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(title);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(defaultText);
    // Prompts run to a few sentences; unwrapped they would make the box wider than the screen.
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setWordWrap(true);
    dialog.setMinimumWidth(kInputBoxWidth);
    dialog.adjustSize();
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

std::optional<QString> QtPrompts::openFile(const FileDialogRequest& request)
{
    QFileDialog dialog(parent_, request.title, request.initialDir, toQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtPrompts::saveFile(const FileDialogRequest& request)
{
    QFileDialog dialog(parent_, request.title, request.initialDir, toQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

PrintOutput QtPrompts::choosePrintOutput(const QString& printerName)
{
    QMessageBox box(parent_);
    box.setWindowTitle(kAppTitle);
    box.setIcon(QMessageBox::Question);
    box.setText(QStringLiteral("Print the window on \"%1\", or save the page as a PDF file?")
                    .arg(printerName));
    QPushButton* print = box.addButton(QStringLiteral("Print"), QMessageBox::AcceptRole);
    QPushButton* pdf = box.addButton(QStringLiteral("Save as PDF..."), QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(print);
    box.exec();
    if (box.clickedButton() == print)
        return PrintOutput::Printer;
    if (box.clickedButton() == pdf)
        return PrintOutput::PdfFile;
    return PrintOutput::Cancel;
}

bool QtPrompts::printerSetup(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}
