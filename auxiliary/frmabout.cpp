#include "frmabout.h"

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

frmAbout::frmAbout(const DerivedSettings& derived, QPrinter& printer, Prompts& prompts,
                   QWidget* parent)
    : QWidget(parent, Qt::Window), derived_(derived), printer_(printer), prompts_(prompts)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmAbout"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Logo());
    Image1->setFixedSize(kLogoSize, kLogoSize);
    const auto label = [this](const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Veltrona Inc."));
    Label2 = label(QStringLiteral("Label2"), QString());
    QFont title = Label2->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    Label2->setFont(title);
    Label3 =
        label(QStringLiteral("Label3"), QStringLiteral("Temperature recording for engine testing"));
    Label4 = label(QStringLiteral("Label4"),
                   QStringLiteral("Copyright \u00A9 Veltrona Inc. All rights reserved."));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    Command3D1 = new QPushButton(QStringLiteral("Print"), this);
    Command3D1->setObjectName(QStringLiteral("Command3D1"));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(Command3D1, &QPushButton::clicked, this, &frmAbout::Command3D1_Click);

    auto* texts = new QVBoxLayout;
    for (QLabel* l : {Label2, Label3, Label1, Label4})
        texts->addWidget(l);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command3D1);
    buttons->addWidget(cmdOK);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(16);
    layout->addWidget(Image1, 0, 0, Qt::AlignTop);
    layout->addLayout(texts, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + derived_.programTitle);
    Label2->setText(derived_.programTitle + QStringLiteral(" v1.1  A.005"));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::Form_Click()
{
    cmdOK_Click();
}

void frmAbout::Command3D1_Click()
{
    PrintWindowFitted(this, printer_, prompts_, {});
}

QPixmap frmAbout::Logo()
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

void frmAbout::mousePressEvent(QMouseEvent* event)
{
    pressedOnBackground_ = onBackground(this, event);
    QWidget::mousePressEvent(event);
}

void frmAbout::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressedOnBackground_ && onBackground(this, event);
    pressedOnBackground_ = false;
    if (click)
        Form_Click();
    else
        QWidget::mouseReleaseEvent(event);
}
