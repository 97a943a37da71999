#pragma once

#include <ctime>
#include <string>

// The date text for the DateFormat setting at the current local time. Runs under one
// process-wide lock.
std::string formatCurrentDate();
// The same for a given template and local broken-down time (an empty template gives the
// English form "December 07, 2026").
std::string formatDate(const std::string &dateFormat, const std::tm &local);
// zeroPad(2, "7") gives "07"; zeroPad(2, "2026") gives "26".
std::string zeroPad(std::size_t width, const std::string &digits);
