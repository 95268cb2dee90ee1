// Publishing the run to the plant: the publishers follow the run model's signals, so the window
// only makes them, offers their settings and shows what they could not deliver.

#include "mainwindow.h"
#include "publishingdialog.h"
#include "runpublisher.h"

#include <QLabel>

void MainWindow::startPublishing(const QString& sessionMqttUrl, const QString& sessionInfluxUrl)
{
    sessionMqttUrl_ = sessionMqttUrl;
    sessionInfluxUrl_ = sessionInfluxUrl;
    PublishingSettings settings = ReadPublishingSettings(s.programFolder);
    if (!sessionMqttUrl_.isEmpty())
        settings.mqttUrl = sessionMqttUrl_;
    if (!sessionInfluxUrl_.isEmpty())
        settings.influxUrl = sessionInfluxUrl_;
    const PublishingPlan plan = PlanPublishing(settings);
    publishingProblem_ = plan.problem;
    publisher_.reset();
    if (!plan.isEmpty()) {
        publisher_ = std::make_unique<RunPublisher>(run_, plan);
        connect(publisher_.get(), &RunPublisher::statusChanged, this, &MainWindow::showStatus);
    }
    showStatus();
}

void MainWindow::onPublishing()
{
    auto* dialog = new PublishingDialog(s.programFolder, this);
    dialog->setObjectName(QStringLiteral("publishingDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Saved settings replace what the command line named for this session.
    connect(dialog, &QDialog::accepted, this, [this] { startPublishing(); });
    dialog->open();
}

QString MainWindow::publishingStatus() const
{
    QString text;
    if (!publishingProblem_.isEmpty())
        text = QStringLiteral("   Not published: ") + publishingProblem_;
    if (publisher_)
        text += publisher_->statusText();
    return text;
}

void MainWindow::deliverPublished()
{
    if (publisher_)
        publisher_->deliverBeforeExit();
}
