// How a trace record becomes lines of the log view.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "DriverContract.h"

// The record's text: the bytes before its first NUL, at most the whole field,
// copied out as they are.
std::string TraceTextOf(const dbv::SQLTRACEDesc& record);

// The lines a code page 950 log text shows as. Only CR LF starts a new line,
// as in the log view of the Windows program; a lone CR or LF stays inside its
// line, shown as its control picture (U+240D, U+240A) so that no toolkit
// takes it for a line break. An empty text is one empty line.
std::vector<std::u16string> DisplayLines(std::string_view text);
