// The numeric value of the port box's text, and the check that Connect applies to it.
#pragma once

#include <string>

namespace lintara {

// The number at the start of text: blanks, tabs and line feeds are skipped anywhere;
// a decimal number (sign, digits with one period, exponent) or &H / &O followed by
// hexadecimal or octal digits; reading stops at the first character that cannot
// continue it; 0 when there is no number. An exponent out of range gives infinity.
double PortTextValue(const std::string& text);

// "N/A", or a value from 1 to 65535 (bounds included, fractions allowed).
bool PortTextPasses(const std::string& text);

}  // namespace lintara
