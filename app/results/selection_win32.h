// Runs an automatic selection rule on the results window's tree.
#pragma once

#include "app/results/results_window_win32.h"

// index: the rule's place in the rule list; outside 0 to 7 nothing happens.
void RunRule(TRESVIEW& view, int index);
