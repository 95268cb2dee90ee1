#pragma once
// Splitting an instrument frame or a stored run line into channel temperatures.

#include "programstate.h"

#include <QString>
#include <array>

// Text pattern of a channel reading: whole degrees.
inline const QString kChannelPattern = QStringLiteral("#####0");

// Splits `text` into the temperatures of channels 0..channelCount-1 of `readings` and sets
// channelTexts[i] to each formatted "#####0" (the text the panel shows under bar i).
//  - Text with a comma is an instrument frame: the first field is dropped, the next ones are
//    degrees C, converted to F (x 9/5 + 32) unless degreesCelsius is 1; a frame with fewer fields
//    than channels repeats its last field.
//  - Text without a comma is a stored run line (time, then "   " before each reading), already
//    in the display unit.
// text is consumed: it is left holding what the splitting did not use.
// Empty or all-blank text sets the channels to 0, leaves text and channelTexts alone and returns
// false; otherwise returns true. Never fails: a field that reads as no number gives 0, a field
// too large for a Single (1e400, or past the Single range after conversion) leaves its element
// as it was, and channels beyond the arrays' 13 elements are not touched.
bool DecodeFrame(QString& text, std::array<float, kMaxChannels>& readings, qint16 channelCount,
                 qint16 degreesCelsius, std::array<QString, kMaxChannels>& channelTexts);

// A channel reading as its text: FormatSingle(value, "#####0"), computed without the general
// formatter for the everyday range.
QString FormatChannelReading(float value);
