#pragma once
// Options > Publishing: where readings go on the plant's network, kept in publishing.ini. A
// setting that cannot be used is named under the fields and the dialog stays open; OK writes
// the file and closes. Opened with open(), never exec(): the window goes on recording meanwhile.

#include "publishingsettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

class PublishingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PublishingDialog(QString programFolder, QWidget* parent = nullptr);

    QLineEdit* brokerField = nullptr;
    QLineEdit* topicBaseField = nullptr;
    QCheckBox* homeAssistantBox = nullptr;
    QLineEdit* influxField = nullptr;
    QLabel* problemLabel = nullptr;

    // What the fields say now.
    PublishingSettings settings() const;

public slots:
    // Checks the fields and writes publishing.ini; stays open, saying why, when it cannot.
    void accept() override;

private:
    QString programFolder_;
};
