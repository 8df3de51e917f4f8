// The full stop the default error report adds to a message.
#pragma once

#include <string>

// Appends "." when the message's last character sorts above "." (its first
// byte above 0x2E). Code page 950 text: a lead byte 0x81-0xFE and the byte
// after it are one character, so a Chinese character gets a full stop.
std::string WithFullStop(std::string message);
