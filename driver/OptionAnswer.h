// Answers to getOption: a value written into the caller's buffer of maxLength
// bytes, with the number of bytes written.
#pragma once

#include <cstdint>
#include <string_view>

namespace dbvfb {

// Each throws DriverFailure (InvalidParameter) when the buffer cannot hold the answer.
void answerInteger(std::int32_t answer, void* value, std::int32_t maxLength, std::int32_t* length);
void answerAddress(std::intptr_t answer, void* value, std::int32_t maxLength, std::int32_t* length);
void answerByte(char answer, void* value, std::int32_t maxLength, std::int32_t* length);
// The text and a NUL; the length counts the text alone.
void answerText(std::string_view answer, void* value, std::int32_t maxLength, std::int32_t* length);

}  // namespace dbvfb
