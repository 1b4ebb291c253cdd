#include "errors.h"

#include <cstdio>

#include "messagebox.h"
#include "product.h"

std::string InternalErrorText(uint16_t ModuleID, uint16_t ErrorID) {
    char text[96];
    std::snprintf(text, sizeof text, "Internal error!\rModule ID : %4.4X Error ID : %4.4X\rPlease report to ",
                  static_cast<unsigned>(ModuleID), static_cast<unsigned>(ErrorID));
    return std::string(text) + product::kMakerWebSite + "!";
}

void TERRORCLASS::Error(uint16_t ModuleID, uint16_t ErrorID) {
    hasError_ = true;
    ShowMessageBox(nullptr, InternalErrorText(ModuleID, ErrorID), "Error!", mb::kIconHand | mb::kTaskModal);
}
