// The window's part in publishing: it publishes what publishing.ini and the command line ask,
// says on the status line what cannot be used or was not delivered, and follows Options >
// Publishing.

#include "publishingdialog.h"
#include "runpublisher.h"
#include "windowrig.h"

#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>

class TestPublishingWindow : public QObject
{
    Q_OBJECT
private slots:
    void statusLineAndDialog()
    {
        WindowRig<> rig;
        QTcpServer closed; // a port nothing listens on any more
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        const QString broker = QStringLiteral("mqtt://127.0.0.1:%1").arg(port);
        PublishingSettings saved;
        saved.influxUrl = "http://db:8086/query?db=x";
        QVERIFY(WritePublishingSettings(rig.folder, saved));

        rig.w->startPublishing(broker);
        QVERIFY2(controls(rig.w).statusLine->text().contains(
                     "   Not published: The InfluxDB address ends in /write?db=NAME"),
                 qPrintable(controls(rig.w).statusLine->text()));
        rig.startInC();
        for (int i = 1; i <= 5; ++i)
            rig.tickAt(i * 0.1f, "0,450,461,472,483\r\n");
        QCOMPARE(rig.w->run().size(), 5);
        QTRY_VERIFY2_WITH_TIMEOUT(
            controls(rig.w).statusLine->text().contains(
                QStringLiteral("   MQTT: broker 127.0.0.1:%1 not reachable (Connection "
                               "refused), 5 readings not delivered")
                    .arg(port)),
            qPrintable(controls(rig.w).statusLine->text()), 5000);

        // Saved settings replace the session's broker: here, nothing is published any more.
        rig.w->action("mnuPublishing")->trigger();
        auto* dialog = rig.w->findChild<PublishingDialog*>("publishingDialog");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->influxField->text(), saved.influxUrl);
        dialog->influxField->clear();
        dialog->accept();
        QVERIFY(!rig.w->publisher());
        QVERIFY2(!controls(rig.w).statusLine->text().contains("MQTT") &&
                     !controls(rig.w).statusLine->text().contains("published"),
                 qPrintable(controls(rig.w).statusLine->text()));
        QCOMPARE(ReadPublishingSettings(rig.folder).influxUrl, QString());
    }
};

QTEST_MAIN(TestPublishingWindow)
#include "test_publishing_window.moc"
