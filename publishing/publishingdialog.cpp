#include "publishingdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

PublishingDialog::PublishingDialog(QString programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(std::move(programFolder))
{
    setWindowTitle(QStringLiteral("Publishing"));
    auto* form = new QFormLayout;
    const auto field = [this, form](const QString& label, const QString& placeholder,
                                    const QString& help) {
        auto* edit = new QLineEdit(this);
        edit->setPlaceholderText(placeholder);
        edit->setAccessibleName(label);
        edit->setAccessibleDescription(help);
        edit->setToolTip(help);
        form->addRow(label + u':', edit);
        return edit;
    };
    brokerField = field(QStringLiteral("MQTT broker"), QStringLiteral("mqtt://HOST[:PORT]"),
                        QStringLiteral("Empty: readings are not published over MQTT."));
    topicBaseField = field(QStringLiteral("Topic base"), DefaultTopicBase(),
                           QStringLiteral("Readings go to BASE/reading, events to BASE/event, "
                                          "the recorder's state to BASE/status."));
    homeAssistantBox =
        new QCheckBox(QStringLiteral("Announce the channels to Home Assistant"), this);
    form->addRow(QString(), homeAssistantBox);
    influxField = field(QStringLiteral("InfluxDB"), QStringLiteral("http://HOST:8086/write?db=NAME"),
                        QStringLiteral("InfluxDB 2: http://HOST:8086/api/v2/write?org=ORG&"
                                       "bucket=BUCKET, with the token in the environment "
                                       "variable INFLUX_TOKEN. Empty: nothing is written."));
    problemLabel = new QLabel(this);
    problemLabel->setWordWrap(true);
    problemLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    problemLabel->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PublishingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PublishingDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problemLabel);
    layout->addWidget(buttons);

    const PublishingSettings saved = ReadPublishingSettings(programFolder_);
    brokerField->setText(saved.mqttUrl);
    topicBaseField->setText(saved.topicBase);
    homeAssistantBox->setChecked(saved.homeAssistant);
    influxField->setText(saved.influxUrl);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);
}

PublishingSettings PublishingDialog::settings() const
{
    PublishingSettings s;
    s.mqttUrl = brokerField->text().trimmed();
    s.topicBase = topicBaseField->text().trimmed();
    s.homeAssistant = homeAssistantBox->isChecked();
    s.influxUrl = influxField->text().trimmed();
    return s;
}

void PublishingDialog::accept()
{
    const PublishingSettings s = settings();
    QString problem;
    QLineEdit* wrong = nullptr;
    if (!s.mqttUrl.isEmpty() && !ParseMqttUrl(s.mqttUrl, &problem))
        wrong = brokerField;
    else if (!s.topicBase.isEmpty() && !(problem = TopicBaseProblem(s.topicBase)).isEmpty())
        wrong = topicBaseField;
    else if (!s.influxUrl.isEmpty() && !ParseInfluxUrl(s.influxUrl, &problem))
        wrong = influxField;
    else if (!WritePublishingSettings(programFolder_, s))
        problem = QStringLiteral("The settings could not be written to %1.")
                      .arg(QDir::toNativeSeparators(QDir(programFolder_).filePath(kPublishingFile)));
    if (problem.isEmpty()) {
        QDialog::accept();
        return;
    }
    problemLabel->setText(problem);
    problemLabel->setAccessibleName(problem);
    problemLabel->show();
    if (wrong) {
        wrong->setFocus();
        wrong->selectAll();
    }
}
