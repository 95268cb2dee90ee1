#pragma once
// The run as a CSV file for spreadsheets and scripts: RFC 4180 in UTF-8, a header row that names
// each column's unit, then one row per reading of the whole run.

#include "seams.h"

#include <QByteArray>
#include <QString>

class SampleSource;

// One field as RFC 4180 writes it: in double quotes, inner quotes doubled, when it holds a
// comma, a double quote, CR or LF; otherwise unchanged.
QString CsvField(const QString& text);

// "time_s,ch1_degF,ch2_degF,...": a reading column per channel, in the unit the readings were
// taken in (degreesCelsius 1 = degrees C, anything else degrees F).
QString CsvHeader(int channels, qint16 degreesCelsius);

// The whole file: the header and one row per sample, each ended by CR LF. The values are
// written as the reading list shows them (times with one decimal, readings as whole numbers)
// with the point as the decimal separator whatever the locale. A channel without a reading is
// an empty field, which spreadsheets and data frames read as a missing value.
QByteArray RunAsCsv(const SampleSource& run, int channels, qint16 degreesCelsius);
// The same with the derived values after the readings when `rateWindow` (seconds) is above 0:
// "spread_degF", then "rate1_degF_per_s" ... per channel, the rate over that window. Where a
// reading does not give a value, the field is empty.
QByteArray RunAsCsv(const SampleSource& run, int channels, qint16 degreesCelsius,
                    double rateWindow);

// The save dialog of the CSV export: in `folder`, suggesting the data file's name with .csv.
FileDialogRequest CsvDialogRequest(const QString& folder, const QString& dataFileName);

// Writes RunAsCsv to `path`, replacing the file only once the new one is complete. Returns 0
// or a run-time error number (safewrite.h).
int WriteCsvFile(const QString& path, const SampleSource& run, int channels,
                 qint16 degreesCelsius, double rateWindow = 0);

// The message for a CSV file that could not be written: the file and the error, in words and
// by number.
QString CsvErrorText(const QString& path, int errorNumber);
