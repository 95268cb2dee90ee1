#include "frmcomments.h"

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

frmComments::frmComments(RunState& run, QWidget* parent) : QWidget(parent, Qt::Window), run_(run)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmComments"));
    setWindowTitle(QStringLiteral("Comments"));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setTabChangesFocus(true);
    Label1 = new QLabel(QStringLiteral("Tip:  Enter comments to describe the specs in this file.  "
                                       "These will be printed with reports and saved when you "
                                       "save this file."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    const std::array<QString, 2> captions{QStringLiteral("OK"), QStringLiteral("Cancel")};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (int i = 0; i < 2; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(Command1[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text1, 1);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    resize(420, 260);

    Form_Load();
}

void frmComments::Form_Load()
{
    QString text = run_.comments;
    // The box knows only one line break; a lone CR would show as a stray glyph, so it counts as
    // a line break as well.
    text.replace(kCrLf, kLf).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    Text1->setPlainText(text);
}

void frmComments::Command1_Click(int Index)
{
    if (Index == 0) {
        QString text = Text1->toPlainText();
        // The data file keeps the comment's lines with CR LF ends.
        run_.comments = text.replace(kLf, kCrLf);
    }
    close();
}

void frmComments::Form_Deactivate()
{
    close();
}

bool frmComments::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        Form_Deactivate();
    return QWidget::event(event);
}

void frmComments::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only an active window learns that it was left, and leaving is what discards the typing.
    activateWindow();
}
