// Resource identifiers of Swaplet.exe.
#pragma once

#define IDS_CLOSE_PROGRAM 500
#define IDS_CANCEL_UPDATE 501
#define IDS_NOT_BY_HAND 502
