// Every text the statement object shows a user, in one place. The ones it
// raises about itself go through TComponent::RaiseOwnError, which puts
// "SQLQuery1: " in front; the others are raised as they stand.
#pragma once

namespace querytext {

// Raised without the component's name.
inline constexpr const char* kMissingStatement = "Missing query, table name or procedure name";
inline constexpr const char* kUnableToExecute = "Unable to execute Query";

// Raised with the component's name in front.
inline constexpr const char* kCursorNotReturned = "Cursor not returned from Query";
inline constexpr const char* kOpenDataset = "Cannot perform this operation on an open dataset";
inline constexpr const char* kFieldNotFound = "Field '%s' not found";
inline constexpr const char* kMissingConnection = "Missing SQLConnection property";

}  // namespace querytext
