// The reading list and the progress of a long Open as a screen reader finds them: through
// QAccessible only, the way the desktop's accessibility bridge asks.

#include "datafile.h"
#include "runsample.h"
#include "windowrig.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QThread>

namespace
{

QString sampleRow(int i)
{
    return QString::number(i) + QStringLiteral(".0   ") + QString::number(450 + i) +
           QStringLiteral("   461   472   483");
}

// A run's rows as the list reads them, without a run behind them.
class Rows final : public RunRows
{
public:
    explicit Rows(int count)
    {
        for (int i = 0; i < count; ++i)
            lines << sampleRow(i);
    }
    qsizetype size() const override { return lines.size(); }
    QString line(qsizetype row) const override { return lines[row]; }
    qsizetype longestLine() const override { return lines.isEmpty() ? 0 : lines.last().size(); }
    QStringList lines;
};

QAccessibleInterface* listOf(ReadingListView& list)
{
    return QAccessible::queryAccessibleInterface(&list);
}

// The rows the accessibility tree offers, read the way a screen reader walks it.
QStringList accessibleRows(QAccessibleInterface* list)
{
    QStringList rows;
    for (int i = 0; i < list->childCount(); ++i)
        rows << list->child(i)->text(QAccessible::Name);
    return rows;
}

} // namespace

class TestReadingList : public QObject
{
    Q_OBJECT
private slots:
    // The list is a named, described list of every row of the run, in order, whatever part
    // of it is scrolled into view; exactly the current row is selected and focused, and moving
    // it (by code, or by pressing a row through its action) moves both.
    void rowsAndCurrentRow_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("pressed");
        QTest::newRow("empty run") << 0 << -1 << -1;
        QTest::newRow("one row") << 1 << 0 << 0;
        QTest::newRow("first of many") << 50 << 0 << 49;
        QTest::newRow("newest of many") << 50 << 49 << 3;
        QTest::newRow("none current") << 5 << -1 << 2;
    }
    void rowsAndCurrentRow()
    {
        QFETCH(int, rows);
        QFETCH(int, current);
        QFETCH(int, pressed);
        const Rows run(rows);
        ReadingListView list(run);
        list.resize(200, 100); // a few rows on screen, the rest scrolled away
        list.linesChanged();
        list.setCurrentRow(current);

        QAccessibleInterface* a = listOf(list);
        QVERIFY(a && a->isValid());
        QCOMPARE(a->role(), QAccessible::List);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Readings"));
        QVERIFY(a->text(QAccessible::Description).contains(QStringLiteral("run time")));
        QCOMPARE(accessibleRows(a), run.lines);
        QVERIFY(!a->child(rows));
        for (int i = 0; i < rows; ++i) {
            QAccessibleInterface* row = a->child(i);
            QCOMPARE(row->role(), QAccessible::ListItem);
            QCOMPARE(row->parent(), a);
            QCOMPARE(a->indexOfChild(row), i);
            QCOMPARE(row->state().selected, i == current);
            QCOMPARE(row->state().focused, i == current);
        }
        QCOMPARE(a->focusChild(), current < 0 ? nullptr : a->child(current));

        if (pressed < 0)
            return;
        QSignalSpy changed(&list, &ReadingListView::currentRowChanged);
        QAccessibleActionInterface* action = a->child(pressed)->actionInterface();
        QVERIFY(action);
        action->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(list.currentRow(), pressed);
        QCOMPARE(changed.count(), pressed == current ? 0 : 1);
        QVERIFY(a->child(pressed)->state().selected);
        QVERIFY(a->child(pressed)->state().focused);
        QCOMPARE(a->focusChild(), a->child(pressed));
        if (current >= 0 && current != pressed)
            QVERIFY(!a->child(current)->state().selected);
    }

    // A row's place on screen is the row the list draws there: hit-testing finds it and the
    // rows scrolled away say they are not shown.
    void rowPlacesOnScreen()
    {
        const Rows run(200);
        ReadingListView list(run);
        list.resize(200, 120);
        list.linesChanged();
        list.setCurrentRow(150);
        QAccessibleInterface* a = listOf(list);
        QAccessibleInterface* current = a->child(150);
        QVERIFY(!current->state().invisible);
        QVERIFY(a->child(0)->state().invisible);
        const QPoint middle = current->rect().center();
        QCOMPARE(a->childAt(middle.x(), middle.y()), current);
        QCOMPARE(current->rect().height(), list.rowHeight());
    }

    // Walking every row of a long run (as a reader's "read all" does) keeps the current row's
    // interface, and any row asked for again reads its own line.
    void longWalkKeepsTheCurrentRow()
    {
        const int rows = 25000;
        const Rows run(rows);
        ReadingListView list(run);
        list.linesChanged();
        list.setCurrentRow(7);
        QAccessibleInterface* a = listOf(list);
        const QAccessible::Id current = QAccessible::uniqueId(a->child(7));
        QCOMPARE(accessibleRows(a).size(), rows);
        QCOMPARE(QAccessible::uniqueId(a->focusChild()), current);
        QCOMPARE(a->child(3)->text(QAccessible::Name), sampleRow(3));
        QCOMPARE(a->indexOfChild(a->child(rows - 1)), rows - 1);
    }

    // Rows taken while recording appear in the tree at once; when the run is emptied (as
    // Start and Open do) its old rows are no longer offered as valid.
    void recordedRowsAppear()
    {
        WindowRig<> rig;
        rig.startInC();
        rig.tickAt(0.1F, "0,451,462,473,484\r\n");
        rig.tickAt(0.2F, "0,452,463,474,485\r\n");
        QAccessibleInterface* a = listOf(*rig.w->readingList);
        QCOMPARE(accessibleRows(a), rig.rows());
        const int newest = a->childCount() - 1;
        QCOMPARE(a->child(newest)->text(QAccessible::Name),
                 QStringLiteral(".2   452   463   474   485"));
        QVERIFY(a->child(newest)->state().selected); // the newest row is the current one
        rig.tickAt(0.3F, "0,453,464,475,486\r\n");
        QCOMPARE(a->childCount(), newest + 2);
        QVERIFY(a->child(newest + 1)->state().selected);
        QVERIFY(!a->child(newest)->state().selected);

        QAccessibleInterface* old = a->child(newest);
        rig.w->onRecordButton(MainWindow::StopButton);
        rig.prompts.messageAnswers = {MsgAnswer::No}; // the run is given up for a new one
        rig.w->onRecordButton(MainWindow::StartButton);
        QCOMPARE(a->childCount(), 0);
        QVERIFY(!old->isValid());
    }

    // The progress of a long Open is a dialog of the main window, named, and reachable from
    // the application's root of the tree while the opened run is drawn.
    void longOpenProgressInTheTree()
    {
        WindowRig<> rig;
        rig.show();
        const auto progress = [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(top);
                    dialog && dialog->isVisible())
                    return dialog;
            return static_cast<QProgressDialog*>(nullptr);
        };
        // A run drawn before its progress is due shows none: more lines are tried then.
        int lines = 2000;
        while (!progress() && (lines *= 2) <= 2'048'000) {
            QString text;
            for (int i = 0; i < lines; ++i)
                text += sampleRow(i) + QStringLiteral("\r\n");
            const QString path = rig.data(QStringLiteral("long run"));
            rig.write(path, WriteDataFileText(QString(), text, 0, 4, 0));
            rig.prompts.fileAnswers = {path};
            rig.w->onOpen();
            QCOMPARE(rig.rows().size(), lines); // every row is listed at once
            // A machine busy elsewhere holds the drawing back past the time its progress shows.
            QThread::msleep(600);
            QTRY_VERIFY_WITH_TIMEOUT(progress() || rig.w->readingList->currentRow() == lines - 1,
                                     60000);
        }
        QVERIFY(progress());
        QAccessibleInterface* d = QAccessible::queryAccessibleInterface(progress());
        QCOMPARE(d->role(), QAccessible::Dialog);
        QCOMPARE(d->text(QAccessible::Name), QStringLiteral("Opening the run"));
        QCOMPARE(progress()->parentWidget(), rig.w.get());
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(qApp);
        bool underRoot = false;
        for (int i = 0; i < root->childCount(); ++i)
            underRoot = underRoot || root->child(i) == d;
        QVERIFY(underRoot);
        QTRY_VERIFY_WITH_TIMEOUT(!progress(), 60000);
        QCOMPARE(rig.w->readingList->currentRow(), lines - 1);
    }
};

QTEST_MAIN(TestReadingList)
#include "test_readinglist.moc"
