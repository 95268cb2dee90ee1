#include "commentseditor.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
const QString kLf = QStringLiteral("\n");

} // namespace

CommentsEditor::CommentsEditor(const QString& comments, std::function<void(const QString&)> store,
                               QWidget* parent)
    : QDialog(parent), comments_(comments), store_(std::move(store))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmComments"));
    setWindowTitle(QStringLiteral("Comments"));

    editor = new QPlainTextEdit(this);
    editor->setObjectName(QStringLiteral("Text1"));
    editor->setAccessibleName(QStringLiteral("Comments"));
    editor->setTabChangesFocus(true);
    tipLabel =
        new QLabel(QStringLiteral("Tip:  Enter comments to describe the specs in this file.  "
                                  "These will be printed with reports and saved when you "
                                  "save this file."),
                   this);
    tipLabel->setObjectName(QStringLiteral("Label1"));
    tipLabel->setWordWrap(true);
    const std::array<QString, 2> captions{QStringLiteral("OK"), QStringLiteral("Cancel")};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        okCancelButtons[i] = new QPushButton(captions[i], this);
        okCancelButtons[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(okCancelButtons[i], &QPushButton::clicked, this, [this, i] { onButton(i); });
        buttons->addWidget(okCancelButtons[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(editor, 1);
    layout->addWidget(tipLabel);
    layout->addLayout(buttons);
    resize(420, 260);

    load();
}

void CommentsEditor::load()
{
    QString text = comments_;
    // The box knows only one line break; a lone CR would show as a stray glyph, so it counts as
    // a line break as well.
    text.replace(kCrLf, kLf).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    editor->setPlainText(text);
}

void CommentsEditor::onButton(int button)
{
    if (button == 0) {
        QString text = editor->toPlainText();
        // The data file keeps the comment's lines with CR LF ends.
        store_(text.replace(kLf, kCrLf));
    }
    close();
}

void CommentsEditor::onDeactivated()
{
    close();
}

bool CommentsEditor::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        onDeactivated();
    return QDialog::event(event);
}

void CommentsEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only an active window learns that it was left, and leaving is what discards the typing.
    activateWindow();
}
