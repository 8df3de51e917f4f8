// The driver error text: how a non-zero driver status and the failing driver
// object's own message become the text of a database error. The connection
// applies it to its connection object, the statement layer to its command and
// cursor objects.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DriverContract.h"
#include "Exceptions.h"

namespace driver_error {

// "Dbvance Error: " and the status table's entry, for the statuses the table
// lists; empty for every other status, so that an unlisted one is told by the
// driver's message or the fall-backs alone.
std::string StatusText(std::uint16_t status);

// Asks the failing object for its message; nullopt when it gives none.
using MessageSource = std::function<std::optional<std::string>()>;

// The composed text: status text, then CR LF and "SQL Server Error: " with the
// driver's message; else lastErrorText; else "Dbvance Error: Unknown Error
// Code '<status>'".
std::string Compose(std::uint16_t status, const MessageSource& askMessage, const std::string& lastErrorText);

// The message of a connection, command or cursor object: asked only when the
// length request succeeds with a positive length, fetched into a zero-filled
// buffer one byte longer, taken only when the fetch succeeds too. None for a
// missing object.
template <class DriverObject>
std::optional<std::string> MessageOf(DriverObject* object) {
  if (object == nullptr) return std::nullopt;
  std::uint16_t length = 0;
  if (dbv::failed(object->getErrorMessageLen(&length)) || length == 0) return std::nullopt;
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  if (dbv::failed(object->getErrorMessage(buffer.data()))) return std::nullopt;
  buffer.back() = '\0';  // a driver that filled every byte still ends here
  return std::string(buffer.data());
}

// What the flags above a failed result's status say.
constexpr DatabaseFailure FailureOf(dbv::SQLResult result) {
  if (dbv::connectionLost(result)) return DatabaseFailure::ConnectionLost;
  return dbv::shapeDiffers(result) ? DatabaseFailure::ShapeDiffers : DatabaseFailure::Refused;
}

template <class DriverObject>
std::string TextFor(dbv::SQLResult result, DriverObject* failing, const std::string& lastErrorText) {
  return Compose(dbv::statusOf(result), [failing] { return MessageOf(failing); }, lastErrorText);
}

}  // namespace driver_error
