#pragma once

namespace tsl {

// Whether this build runs under the address sanitizer, whose leak check and
// block checks want every allocation made and freed on its own.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool addressSanitizerBuild = true;
#else
inline constexpr bool addressSanitizerBuild = false;
#endif
#else
inline constexpr bool addressSanitizerBuild = false;
#endif

} // namespace tsl
