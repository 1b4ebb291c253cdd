// The program's side of self-update: the Update... command, and recording an
// update when the applier restarts the program.
#pragma once

#include <windows.h>

#include <string>

// Offers the update and, when the user takes it, hands it to the applier;
// true when the program must end now so the applier can replace its files.
bool UpdateCommand(HWND owner);

// For the first argument of the command line: when it carries "/update:" and
// a date, records the update and congratulates the user; true when recorded.
bool SecondStageAtStart(const std::string& argument);

// "Updates are established to <date>." for the About box.
std::string UpdatesEstablishedText();
