#include "fileseekdialog.h"
#include "scriptedprompts.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtWidgets>

class TestSeek : public QObject
{
    Q_OBJECT
private slots:
    void search_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("files");  // below the root; "@x": x links to the root
        QTest::addColumn<QString>("haltAt"); // folder whose entry is followed by a Halt click
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("chosen"); // empty: the window waits for a choice
        const QString ie = "Iexplore.exe", two = "a/iexplore.exe|b/iexplore.exe";
        QTest::newRow("browser anywhere, deepest and last folders first")
            << ie << "Iexplore.exe|a/IEXPLORE.EXE|b/c/iexplore.exe|b/x.txt|b/@up" << "" << ""
            << "b/c/iexplore.exe|a/IEXPLORE.EXE|Iexplore.exe" << "";
        QTest::newRow("other name only beside a data file")
            << "Tool.exe" << "a/Tool.exe|a/run.ZRB|b/tool.exe|tool.exe" << "" << ""
            << "a/Tool.exe" << "a/Tool.exe";
        QTest::newRow("not found") << ie << "a/x.txt" << ""
                                   << "This file was not found on the %1 Drive.  Possible reasons "
                                      "include:\r\r    -  You do not own the correct version of "
                                      "this\r       Vehicle Program.\r\r    -  This program is "
                                      "on a different disk drive."
                                   << "" << "";
        QTest::newRow("halt with one find") << ie << two << "a" << "Halt searching for file ?"
                                            << "b/iexplore.exe" << "b/iexplore.exe";
        QTest::newRow("entry limit") << ie << two + "|c/iexplore.exe|d/iexplore.exe" << ""
                                     << "Too many entries found to display in listbox."
                                     << "d/iexplore.exe|c/iexplore.exe|b/iexplore.exe" << "";
    }
    void search()
    {
        QFETCH(QString, name);
        QFETCH(QString, files);
        QFETCH(QString, haltAt);
        QFETCH(QString, messages);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        const QString root = dir.path() + '/';
        for (const QString& f : files.split('|'))
            QVERIFY(QDir().mkpath(QFileInfo(root + f).path()) &&
                    (f.contains('@') ? QFile::link(root, root + QString(f).remove('@'))
                                     : QFile(root + f).open(QIODevice::WriteOnly)));
        ScriptedPrompts prompts;
        FileSeekDialog seek(prompts, name);
        seek.setSearchRoot(root);
        seek.maxEntries = 3;                       // the first row fills the list exactly
        seek.slice = std::chrono::milliseconds(0); // the window's events run after every step
        connect(&seek, &FileSeekDialog::folderSearched, this, [&](const QString& folder) {
            if (!haltAt.isEmpty() && QFileInfo(folder).fileName() == haltAt) {
                // The click arrives as the user's would: between two steps of the walk.
                prompts.messageAnswers.push_back(MsgAnswer::Yes);
                QTimer::singleShot(0, &seek, [&] { seek.onButton(1); });
            }
        });
        seek.show();
        seek.onButton(0);
        QVERIFY(seek.walking() && seek.foldersSearched == 0); // Search returns before walking
        QTRY_VERIFY(!seek.walking());
        QCOMPARE(prompts.messageTexts().join('|'), QString(messages).replace("%1", root));
        QStringList shown;
        for (int i = 0; i < seek.findsList->count(); ++i)
            shown << seek.findsList->item(i)->text().remove(0, root.size());
        QTEST(shown.join('|'), "listed");
        QCOMPARE(seek.isVisible(), chosen.isEmpty());
        QCOMPARE(seek.chosenPath, chosen.isEmpty() ? name : root + chosen);
        if (!chosen.isEmpty())
            return;
        seek.onButton(1); // idle: closes at once (an unscripted Halt question would not)
        QVERIFY(!seek.isVisible() && seek.chosenPath.isEmpty());
    }
};

QTEST_MAIN(TestSeek)
#include "test_seek.moc"
