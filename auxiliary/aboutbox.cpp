#include "aboutbox.h"

#include "printwin.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int kLogoSize = 64;

// Labels pass clicks they do not use on to the window; only a press on no child at all is a
// click on the background.
bool onBackground(const QWidget* window, const QMouseEvent* event)
{
    return event->button() == Qt::LeftButton && !window->childAt(event->position().toPoint());
}

} // namespace

AboutBox::AboutBox(const DerivedSettings& derived, QPrinter& printer, Prompts& prompts,
                   QWidget* parent)
    : QDialog(parent), derived_(derived), printer_(printer), prompts_(prompts)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));

    logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(Logo());
    logo->setFixedSize(kLogoSize, kLogoSize);
    const auto label = [this](const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    makerLabel = label(QStringLiteral("Label1"), QStringLiteral("Veltrona Inc."));
    titleLabel = label(QStringLiteral("Label2"), QString());
    QFont title = titleLabel->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    titleLabel->setFont(title);
    purposeLabel =
        label(QStringLiteral("Label3"), QStringLiteral("Temperature recording for engine testing"));
    copyrightLabel = label(QStringLiteral("Label4"),
                           QStringLiteral("Copyright \u00A9 Veltrona Inc. All rights reserved."));
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setDefault(true);
    printButton = new QPushButton(QStringLiteral("Print"), this);
    printButton->setObjectName(QStringLiteral("Command3D1"));
    connect(okButton, &QPushButton::clicked, this, &AboutBox::onOk);
    connect(printButton, &QPushButton::clicked, this, &AboutBox::onPrint);

    auto* texts = new QVBoxLayout;
    for (QLabel* l : {titleLabel, purposeLabel, makerLabel, copyrightLabel})
        texts->addWidget(l);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(printButton);
    buttons->addWidget(okButton);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(16);
    layout->addWidget(logo, 0, 0, Qt::AlignTop);
    layout->addLayout(texts, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);

    load();
}

void AboutBox::load()
{
    setWindowTitle(QStringLiteral("About ") + derived_.programTitle);
    titleLabel->setText(derived_.programTitle + QStringLiteral(" v1.1  A.005"));
}

void AboutBox::onOk()
{
    close();
}

void AboutBox::onBackgroundClick()
{
    onOk();
}

void AboutBox::onPrint()
{
    PrintWindowFitted(this, printer_, prompts_);
}

QPixmap AboutBox::Logo()
{
    QPixmap logo(kLogoSize, kLogoSize);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    // A thermometer bulb and stem in front of a ring, in the trace colours.
    p.setPen(QPen(QColor(0x80, 0x80, 0xFF), 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(27, 10, 10, 36), 5, 5);
    p.setBrush(QColor(0xFF, 0, 0));
    p.drawEllipse(QRectF(22, 38, 20, 20));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(30, 22, 4, 20));
    return logo;
}

void AboutBox::mousePressEvent(QMouseEvent* event)
{
    pressedOnBackground_ = onBackground(this, event);
    QDialog::mousePressEvent(event);
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressedOnBackground_ && onBackground(this, event);
    pressedOnBackground_ = false;
    if (click)
        onBackgroundClick();
    else
        QDialog::mouseReleaseEvent(event);
}
