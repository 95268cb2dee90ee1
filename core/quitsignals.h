#pragma once
// The end of a desktop session or a `kill` reaches the program as SIGTERM (SIGHUP when its
// terminal goes, SIGINT for Ctrl+C). Left to the default action they would end it without
// storing the settings.

// From now on, SIGTERM, SIGHUP and SIGINT end the application's event loops with status 0 once
// control is back in the event loop, as the end of the session does: whatever handles
// QCoreApplication::aboutToQuit runs (the main window stores the settings there), and a run
// not yet saved stays in its journal to be offered at the next start. Needs a
// QCoreApplication; call once. Does nothing on systems without these signals.
void QuitOnTerminationSignals();
