// Product-wide names that more than one deliverable shows.
#pragma once

namespace product {

// Where users report problems and look for news; shown in the internal error box.
inline constexpr const char* kMakerWebSite = "www.varnok.com";
// The About box's two links.
inline constexpr const char* kMakerWebAddress = "http://www.varnok.com/";
inline constexpr const char* kSupportMail = "support@varnok.com";

// The product's key under HKEY_CURRENT_USER.
inline constexpr const char* kRegistryKey = "Software\\Varnok Com.\\Varnok Scan";

}  // namespace product
