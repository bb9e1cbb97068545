#pragma once
// English texts of the multimedia result codes the wave output reports.

#include <string>
#include <string_view>

// The text of `code`; an unknown code has a text of its own.
std::string TranslateMMError(int code);

// The message for a failed call: the code's text, " : " and the call's name; empty for 0.
std::string MMErrorMessage(std::string_view call, int code);
