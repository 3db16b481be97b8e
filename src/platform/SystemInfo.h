#pragma once
// Facts about the user and the machine that the About box and the Hall of
// Fame show, read from the operating system without any toolkit.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The user's full name: the first comma-separated field of the account's
// GECOS entry; empty when there is none.
std::string systemUserFullName();
std::string fullNameFromGecos(std::string_view gecos);

// The running kernel's major version (6 for "6.1.0-18-amd64"); 0 if unknown.
int64_t systemOsMajorVersion();
int64_t majorVersionFromRelease(std::string_view release);

// The processor's brand ("model name" of /proc/cpuinfo), leading blanks and
// tabs removed, at most 1024 bytes; nothing when the system does not say.
std::optional<std::string> systemCpuBrand();
std::optional<std::string> cpuBrandFromCpuinfo(std::string_view cpuinfo);
