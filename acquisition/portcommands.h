#pragma once
// The port commands of the main window without the window: opening the logger's port for a
// recording, listing the ports that exist, and letting the user choose the logger's port.

#include "seriallink.h"

#include <QString>
#include <QStringList>
#include <functional>

class Prompts;

// The instrument's line settings.
inline const QString kLoggerSettings = QStringLiteral("19200,N,8,1");

// Opens the logger's port for a recording: close, loggerPort outside 1..16 becomes 1, select it,
// apply 19200,N,8,1, open. Failures are not reported here; a port that did not open shows up
// as the logger's silence ("Not receiving data.").
void OpenLoggerPort(SerialLink& port, qint16& loggerPort);

// The same for a port named by its device path (a port given on the command line).
void OpenLoggerPortOnDevice(SerialLink& port, const QString& device);

// The numbers 1..16 for which `exists` is true, as texts ("1", "4"), in order.
QStringList FindComPorts(const std::function<bool(int)>& exists);

// Lets the user choose the logger's port: announces the probe, probes ports 1..16 by opening
// them through `port` (with the busy cursor shown meanwhile), then asks for the number with
// the ports that opened listed in the prompt. An empty answer or Cancel
// changes nothing; the answer is read as a number and unless that is 1..16 it is refused and
// asked again; an accepted one is stored in loggerPort rounded to a whole number (halves to even)
// and confirmed.
// `port` is left as the probe left it (port 16 selected, open only if port 16 opened).
// True when the user accepted a number.
bool ChooseLoggerPort(Prompts& prompts, SerialLink& port, qint16& loggerPort,
                      const std::function<void(bool busy)>& setBusyCursor);
