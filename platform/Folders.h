#pragma once
// Where the program's files live on Linux.
//
// Shipped files (version file, help file, calculator definitions, texts, pictures) are looked up
// in the program folder first, then in the installed share/borvik. Writable documents go to
// $BORVIK_HOME, else the program folder when it is writable, else $XDG_DATA_HOME/Borvik.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Folder of the running executable (without a trailing separator).
std::filesystem::path ProgramFolder();

// The program folder, then "<program folder>/../share/borvik" when it exists.
std::vector<std::filesystem::path> ShippedFolders();

// First existing file or folder named `relative` (e.g. "filters/bass.flt") under the shipped
// folders. Every component of `relative` matches without regard to case, so names written with
// another capitalisation on the original platform still resolve. Names that climb out of the
// folder ("..", absolute paths) are refused.
std::optional<std::filesystem::path> FindShippedFile(std::string_view relative);

// `relative` resolved under `folder`, matching each component exactly or, failing that, without
// regard to ASCII case. No value when nothing matches or `relative` climbs out of `folder`.
std::optional<std::filesystem::path> ResolveWithoutCase(const std::filesystem::path& folder,
                                                        std::string_view relative);

// Writable documents folder (Drivers/, Projects/, UNITINDEX.DAT, downloads, logs). It is not
// created here; callers create the subfolders they need.
std::filesystem::path DocumentsFolder();

// The rule behind DocumentsFolder(), apart from the environment so that every branch can be
// checked: `borvikHome` when given, else `programFolder` when writable, else `xdgDataHome`/Borvik
// when it is an absolute path, else `home`/.local/share/Borvik.
std::filesystem::path ChooseDocumentsFolder(const std::optional<std::string>& borvikHome,
                                            const std::filesystem::path& programFolder, bool programWritable,
                                            const std::optional<std::string>& xdgDataHome,
                                            const std::filesystem::path& home);

// The user's home folder ($HOME, else the password database).
std::filesystem::path HomeFolder();

// Whether `name` matches a wildcard pattern ("*" any run, "?" any one byte) without regard to
// ASCII case: "*.bvd" matches "Woofer.BVD".
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Names (not paths) of the regular files in `folder` that match `pattern`, sorted without regard
// to case (ties broken byte-wise, so the order is the same on every machine). A missing or
// unreadable folder gives an empty list.
std::vector<std::string> ListFiles(const std::filesystem::path& folder, std::string_view pattern);

// Case-insensitive ordering used by the listings.
bool LessWithoutCase(std::string_view a, std::string_view b);

} // namespace platform
