#pragma once

#include "model/CaptureSession.h"

#include <string>
#include <string_view>

namespace vantor {

// The empty time shown in the time fields before anything is marked.
inline constexpr std::string_view kZeroTimeCode = "00:00:00,000";
// The start of the first entry of a new file.
inline constexpr std::string_view kFirstTimeCode = "00:00:00,001";
// Added to the player position when the first start of a file is marked.
inline constexpr Seconds kFirstMarkOffset = 0.00101L;

// Decimal text of a player position in general notation with at most 15 significant digits, trailing
// zeros dropped, "." as decimal point: 5.25 gives "5.25", 12 gives "12".
std::string formatPositionSeconds(double seconds);

// The first three characters after the first "." of `secondsText`, cut (not rounded) and filled with "0"
// on the right: "5.25" gives "250", "12" gives "000", "7.123456" gives "123".
std::string millisecondsOf(std::string_view secondsText);

// hh:mm:ss,mmm to seconds: characters 1-2 hours, 4-5 minutes, 7-8 seconds, 10-12 milliseconds, each a
// decimal integer. Throws vantor::Error "'x' is not a valid integer value" for a part that is not one.
Seconds timeCodeToSeconds(std::string_view timeCode);

// Parses a decimal integer the way the conversion rules do: optional blanks are not allowed, an optional
// sign is. Throws vantor::Error "'text' is not a valid integer value".
long long parseInteger(std::string_view text);

} // namespace vantor
