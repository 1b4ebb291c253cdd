// Which update was applied last: per product and for the whole family, as
// 8-byte dates under the maker's AutoUpdate key.
#pragma once

#include <string>

// The product's date, whole days; 0 when none was recorded or it cannot be read.
double ReadLastUpdate(const std::string& product);
double ReadLastCommonUpdate();
// Writes the product's date, then (only if that worked) the common one.
bool WriteLastUpdate(const std::string& product, double date);
// The installation folder, ending with a backslash; empty when none is recorded.
std::string InstallationFolder(const std::string& product);
