#pragma once
// The real dialogs behind the Prompts seam.

#include "seams.h"

class QWidget;

class QtPrompts final : public Prompts
{
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const MessageRequest& request) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    bool printerSetup(QPrinter& printer) override;
    PrintOutput choosePrintOutput(const QString& printerName) override;

private:
    QWidget* parent_;
};
