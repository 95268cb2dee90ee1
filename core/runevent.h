#pragma once
// Something that happened to a run at a moment of its time: the logger lost and found again,
// an alarm raised, acknowledged or cleared. Events travel with the run's readings: the journal,
// the list, the charts and the data file, where they are lines of the comments so that every
// reader of the file still takes it.

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

struct RunEvent {
    float time = 0; // run time in seconds, in tenths
    QString text;   // what happened, in words: "logger disconnected"
};

// An event as the journal and the file's comments hold it: "Event 123.4 s: logger disconnected".
QString FormatEventLine(const RunEvent& event);
// The event of such a line; nothing for any other line.
std::optional<RunEvent> ParseEventLine(QStringView line);

// Comments as the user wrote them, and the events a file's comment section carries after them.
struct CommentsAndEvents {
    QString comments;
    std::vector<RunEvent> events;
};
// Takes the event lines out of a comment section (each line followed by CR LF); every other
// line stays as it was.
CommentsAndEvents SplitEventLines(const QString& comments);
// The comment section for `comments` followed by one line per event.
QString JoinEventLines(const QString& comments, const std::vector<RunEvent>& events);
