// The parameter-marker scan of a statement text: which ":name" markers a text
// holds, outside its quoted literals.
#pragma once

#include <string>
#include <vector>

// Whether byte starts a double-byte character of code page 950 (Big5); its
// trail byte may be any byte from 0x40 up, quotes and the grave accent included.
bool IsDoubleByteLead(unsigned char byte);

// The names of the markers in text, in order, one entry per marker (a name
// used twice is listed twice). Apostrophe, double quote and grave accent each
// switch one shared inside-a-literal flag; "::" is an escaped colon; a name
// runs from after its colon up to a blank, CR, LF, comma, semicolon or ")".
std::vector<std::string> ParamMarkerNames(const std::string& text);
