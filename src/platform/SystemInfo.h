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

// The user's folders by the XDG rules: the variable (XDG_DATA_HOME,
// XDG_CONFIG_HOME) when it is an absolute path (a relative one is ignored),
// else a folder in the home folder (".local/share", ".config"). The home
// folder is HOME when that is an absolute path, else the one the password
// database holds for the account of the real user id (a program started by
// a service or with a cleared environment often has no HOME). Empty when
// there is no home folder at all: then nothing of the game's has a place.
std::string systemDataHome();
std::string systemConfigHome();
std::string xdgFolderFrom(std::string_view xdgValue, std::string_view home, std::string_view accountHome,
                          std::string_view inHome);
// The account's home folder from the password database; empty when none.
std::string accountHomeFolder();

// The running kernel's major version (6 for "6.1.0-18-amd64"); 0 if unknown.
int64_t systemOsMajorVersion();
int64_t majorVersionFromRelease(std::string_view release);

// The processor's brand ("model name" of /proc/cpuinfo), leading blanks and
// tabs removed, at most 1024 bytes; nothing when the system does not say.
std::optional<std::string> systemCpuBrand();
std::optional<std::string> cpuBrandFromCpuinfo(std::string_view cpuinfo);
