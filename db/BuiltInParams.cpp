#include "BuiltInParams.h"

#include <string>
#include <vector>

#include "ConnectionTemplate.h"
#include "IniFile.h"

namespace {

constexpr std::string_view kTemplateSection = "Quintara";  // the layout's ConnectionName

}  // namespace

ParamList BuiltInParams() {
  ParamList params;
  for (std::string& line : IniFile::SectionOfText(kConnectionTemplate, kTemplateSection)) params.Add(std::move(line));
  return params;
}
