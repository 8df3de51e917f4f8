// The fake driver's script from the file CORVANTIS_FAKE_SCRIPT names (see
// FakeScriptFile.cpp for its lines).
#pragma once

namespace fake::detail {

// Reads the file at the first call; false when it cannot be read or holds a
// line that is no instruction, every later call answering the same.
bool LoadScriptFileOnce();

}  // namespace fake::detail
