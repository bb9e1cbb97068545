#pragma once

// The maker's web site: the dialog title, the web button and the base of the help and book
// pages. The reserved ".invalid" name can never lead a user to somebody else's site; a release
// sets the real address here and nowhere else.
inline constexpr char kMakerSite[] = "https://ostrel.invalid";
