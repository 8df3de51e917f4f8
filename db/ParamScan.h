// The parameter-marker scan of a statement text: which ":name" markers a text
// holds, outside its quoted literals.
#pragma once

#include <string>
#include <vector>

// The names of the markers in text, in order, one entry per marker (a name
// used twice is listed twice). Apostrophe, double quote and grave accent each
// switch one shared inside-a-literal flag; "::" is an escaped colon; a name
// runs from after its colon up to a blank, CR, LF, comma, semicolon or ")".
std::vector<std::string> ParamMarkerNames(const std::string& text);
