#pragma once
// Where COM port n lives on this machine, and whether it can be opened at all.

#include <QString>

constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 16;

// Device path of COM port n: on Linux the link ports/COMn in the program folder when that link
// exists (even when it points nowhere, which makes the port absent rather than falling back to
// a real device), otherwise the fixed ttyS/ttyUSB/ttyACM table; on Windows \\.\COMn.
// Empty for n outside 1..16.
QString ComPortDevicePath(const QString& programFolder, int n);

// True when port n can be opened read/write right now (non-blocking, never as the controlling
// terminal); the port is closed again at once. False for an absent, busy or forbidden port.
bool CanOpenComPort(const QString& programFolder, int n);
