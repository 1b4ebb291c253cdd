// Update dates: whole days in the OLE convention (days since 30 December
// 1899), the ten-character form requests and packages carry, and the texts
// users see.
#pragma once

#include <string>
#include <string_view>

// The date of day/month/year; 0 (30 December 1899) when they name no day.
double EncodeDate(int year, int month, int day);

// "dd-mm-yyyy"; the never-recorded date 0 gives "30-12-1899".
std::string WireDate(double date);

// The first three runs of digits as day, month and year ("15-03-2004",
// "15/3/2004", "abc15x03y2004"); digits past the fourth of a run are dropped
// and a missing run counts as 0. Numbers that name no day give 0.
double UpDateToDate(std::string_view text);

// The date in the user's short date format.
std::string DateToUpDate(double date);
