// The base of the program's wrapper classes: an internal inconsistency is
// reported through the virtual Error in the "Internal error!" box.
#pragma once

#include <cstdint>
#include <string>

class TERRORCLASS {
public:
    virtual ~TERRORCLASS() = default;

    // Shows the internal error box; the caller abandons the failed operation and goes on.
    virtual void Error(uint16_t ModuleID, uint16_t ErrorID);

    bool HasError() const { return hasError_; }

private:
    bool hasError_ = false;
};

// The text of the internal error box for a module and failure point.
std::string InternalErrorText(uint16_t ModuleID, uint16_t ErrorID);
