// What an operation raised: the class of its failure and the failure's text,
// so that a table row can name both.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "Exceptions.h"

namespace support {

struct Raised {
  std::string kind;  // "nothing", "EDatabaseError", "EConvertError", "ERegistryException", "EAbort", "Exception"
  std::string text;
  bool operator==(const Raised&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Raised& raised) {
  return out << raised.kind << " \"" << raised.text << "\"";
}

inline Raised RaisedBy(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const EDatabaseError& e) {
    return {"EDatabaseError", e.message()};
  } catch (const EConvertError& e) {
    return {"EConvertError", e.message()};
  } catch (const ERegistryException& e) {
    return {"ERegistryException", e.message()};
  } catch (const EAbort& e) {
    return {"EAbort", e.message()};
  } catch (const Exception& e) {
    return {"Exception", e.message()};
  }
  return {"nothing", ""};
}

}  // namespace support
