#include "ModalBox.h"

#include "CodePage.h"
#include "QuitRequest.h"

void ShowModalBox(BoxIcon icon, const std::u16string& caption, const std::string& text) {
  const std::u16string shown = FromCodePage950(text);
  ModalDialogScope scope;
  Desktop::Current().ShowMessageBox(icon, caption, shown);
}
