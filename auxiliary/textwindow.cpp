#include "textwindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

TextWindow::TextWindow(const QString& fileName, const QString& text, QWidget* owner)
    : QDialog(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("textWindow"));
    setWindowTitle(fileName);
    setAccessibleName(fileName + QStringLiteral(", read only"));

    textView = new QPlainTextEdit(this);
    textView->setObjectName(QStringLiteral("documentText"));
    textView->setAccessibleName(fileName);
    textView->setReadOnly(true);
    // Read-only text still takes the keyboard, so it can be selected and copied without a mouse.
    textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    textView->setTabChangesFocus(true);
    textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The reading list's columns line up only in a fixed-width font.
    textView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    textView->setPlainText(text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textView, 1);
    layout->addWidget(buttons);
    resize(560, 420);
}

bool ReadTextDocument(const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The file ") + QDir::toNativeSeparators(path) +
                     QStringLiteral(" could not be read: ") + file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8(bytes);
    if (utf8.hasError())
        decoded = QString::fromLatin1(bytes);
    // The view knows only one line break; a lone CR would show as a stray glyph.
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text)
        *text = decoded;
    return true;
}

TextWindow* ShowTextWindow(const QString& path, QWidget* owner, QString* error)
{
    QString text;
    if (!ReadTextDocument(path, &text, error))
        return nullptr;
    auto* window = new TextWindow(QFileInfo(path).fileName(), text, owner);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
