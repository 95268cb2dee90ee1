#include "fakelauncher.h"
#include "scriptedprompts.h"
#include "textwindow.h"
#include "viewers.h"
#include "windowrig.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

static const QString kGiveUp = "We could not start a web browser on this system.  Use your "
                               "normal web browser and visit:\r\r    www.veltrona.com\r\rTo see "
                               "any info on recent updates on this and other Veltrona products.";

class TestViewers : public QObject
{
    Q_OBJECT
private slots:
    // Lists are '|'-separated; a seek answer "-" stands for leaving the seek window unchosen.
    void launch_data()
    {
        QTest::addColumn<QString>("available");
        QTest::addColumn<QString>("seekAnswers");
        QTest::addColumn<QString>("tried");
        QTest::addColumn<QString>("last"); // the closing message, if any
        const QString editors = "xdg-open|gnome-text-editor|gedit|mousepad";
        QTest::newRow("editor: opener first") << "xdg-open|gedit" << "" << "xdg-open" << "";
        // The opener starts but finds nothing for text files: the editors are tried.
        QTest::newRow("editor: opener fails, gedit")
            << "gedit" << "" << "xdg-open|gnome-text-editor|gedit" << "";
        QTest::newRow("editor: none") << "" << "" << editors
                                      << "An appropriate viewer was not found on your system.\r\r"
                                         "The file was written to:\r    /t/a b;'c.txt";
        QTest::newRow("editor: none, the program's own window")
            << "" << "" << editors + "|in program" << "";
        QTest::newRow("web: at once") << "xdg-open" << "" << "xdg-open" << "";
        QTest::newRow("web: found by seek") << "/b/ie" << "/b/ie" << "xdg-open|/b/ie" << "";
        QTest::newRow("web: cancelled") << "" << "-" << "xdg-open" << kGiveUp;
        QTest::newRow("web: bad choice, then a bare name")
            << "Iexplore.exe" << "/x/ie|Iexplore.exe" << "xdg-open|/x/ie" << kGiveUp;
    }
    void launch()
    {
        const bool web = QByteArray(QTest::currentDataTag()).startsWith("web");
        QFETCH(QString, available);
        QFETCH(QString, seekAnswers);
        QFETCH(QString, tried);
        QFETCH(QString, last);
        ScriptedPrompts prompts;
        FakeLauncher launcher;
        for (const QString& p : available.split('|', Qt::SkipEmptyParts))
            launcher.available << p;
        QStringList answers = seekAnswers.split('|', Qt::SkipEmptyParts);
        const int seeks = answers.size();
        const QString argument = web ? "http://www.x.org" : "/t/a b;'c.txt";
        if (web)
            OpenWebSite(prompts, launcher, "www.x.org", "Site", [&](const QString& name) {
                const bool asked = name == "Iexplore.exe" && !answers.isEmpty();
                return asked ? answers.takeFirst().remove('-') : QString("/bad");
            });
        else {
            QStringList shown;
            if (QByteArray(QTest::currentDataTag()).endsWith("own window"))
                launcher.showInProgram = [&](const QString& path) { shown << path; };
            ShowDocument(prompts, launcher, argument, QString());
            // Nothing more is tried before the opener has ended.
            QCOMPARE(launcher.started.size(), size_t(1));
            launcher.finishRuns();
            for (const QString& path : shown)
                launcher.started.emplace_back("in program", QStringList{path});
        }
        QStringList programs;
        for (const auto& [program, args] : launcher.started)
            programs << (args == QStringList{argument} ? program : "bad arguments");
        QCOMPARE(programs.join('|'), tried);
        QVERIFY(prompts.messageTexts()[0].startsWith(
            web ? "When you are finished viewing the 'Site' web site," // after it one message
                : "When you are finished viewing the  document,"));    // per seek, then `last`
        if (seeks > 0)
            QVERIFY(prompts.messageTexts()[1].contains("xdg-open was not found on this system"));
        QCOMPARE(prompts.messageTexts().mid(1 + seeks).join('|'), last);
    }

    // With no text application the export opens read-only in our own window, named for
    // assistive tools; an unreadable file is named.
    void exportInTheProgramsOwnWindow()
    {
        WindowRig<> rig;
        rig.startInC();
        rig.tickAt(0.1f, "1,650,661,672,683\r\n");
        rig.w->action("mnuExport")->trigger();
        QVERIFY(rig.w->findChildren<TextWindow*>().isEmpty());
        rig.launcher.finishRuns();
        const auto windows = rig.w->findChildren<TextWindow*>();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0]->textView->toPlainText(), rig.rows().join('\n') + '\n');
        QVERIFY(windows[0]->isVisible());
        QAccessibleInterface* text = QAccessible::queryAccessibleInterface(windows[0]->textView);
        QVERIFY(text && text->state().readOnly && text->state().editable == false);
        QCOMPARE(QAccessible::queryAccessibleInterface(windows[0])->text(QAccessible::Name),
                 QStringLiteral("Export.txt, read only"));

        QString error;
        QVERIFY(!ShowTextWindow(rig.dir.filePath("gone.txt"), rig.w.get(), &error));
        QVERIFY(error.startsWith("The file " + rig.dir.filePath("gone.txt") + " could not be"));
    }

    void copyHelp() // missing help text first, then a copy that replaces an older one
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/TC Text/";
        QString error;
        QVERIFY(QDir().mkpath(folder) && !CopyHelpText(dir.path(), "/TC Text/", &error));
        QVERIFY(error.contains(folder + "AFHelp.txt"));
        QFile older(folder + "AFHelpBKP.txt"), help(folder + "AFHelp.txt");
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older copy") &&
                help.open(QIODevice::WriteOnly) && help.write("help"));
        older.close(), help.close();
        QVERIFY(CopyHelpText(dir.path(), "/TC Text/", &error));
        QCOMPARE(older.open(QIODevice::ReadOnly) ? older.readAll() : "", QByteArray("help"));
    }
};

QTEST_MAIN(TestViewers)
#include "test_viewers.moc"
