#include "results.h"

#include <memory>

void TRESULTS::NewGroup() {
    CurrentGroup = Count() == 0 ? 1 : Get(Count() - 1)->Group + 1;
}

void TRESULTS::AddToGroup(int32_t fileIndex) { Add(std::make_unique<TRESULTITEM>(CurrentGroup, fileIndex)); }
