#include "app/shell/update_command_win32.h"

#include "app/options/options.h"
#include "common/messagebox.h"
#include "common/product.h"
#include "update/update_api.h"

namespace {

const char kProduct[] = "Varnok scan";

}  // namespace

bool UpdateCommand(HWND owner) {
    if (bWarnInternet && ShowMessageBox(nullptr,
                                        std::string("Program is trying send data from your PC to ") +
                                            product::kMakerWebSite + " internet site.\rProceed?",
                                        "Warning!", mb::kYesNo | mb::kIconExclamation) != mb::kIdYes)
        return false;
    if (!ShowReadMe(owner)) return false;
    void* data = nullptr;
    int32_t size = 0;
    return GetUpdate(Short(kProduct), 1, &data, &size) != 0;
}

bool SecondStageAtStart(const std::string& argument) {
    if (argument.find("/update:") == std::string::npos || argument.size() <= 8) return false;
    if (!SecondStage(Short(kProduct), Short(argument.substr(8, 10)))) return false;
    ShowMessageBox(nullptr, "We congratulate you! Updating of program Varnok scan (Trellane) has passed successfully.",
                   "Information", mb::kIconInformation);
    return true;
}

std::string UpdatesEstablishedText() {
    ShortString date{};
    DateToUpDate(date, GetLastUpdate(Short(kProduct)));
    return "Updates are established to " + FromShort(date) + ".";
}
