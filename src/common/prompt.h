#pragma once

#include <string_view>

namespace korva {

// Where the program shows a message the user must act on, or asks a
// question. The program shows message boxes; the headless tool prints and
// answers from its options; tests script the answers.
class Prompt {
 public:
  virtual ~Prompt() = default;
  // A modal message with the error icon and an OK button.
  virtual void ShowError(std::string_view message) = 0;
  // The same under a caption of the message's own instead of the program's
  // name; a place without captions shows only the message.
  virtual void ShowCaptionedError(std::string_view caption, std::string_view message) {
    static_cast<void>(caption);
    ShowError(message);
  }
  // A modal message with the information icon, an OK button and a title.
  virtual void ShowMessage(std::string_view title, std::string_view message) = 0;
  // A modal question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(std::string_view question) = 0;
  // A modal question with OK and Cancel buttons; true for OK. A place
  // without such buttons answers as it answers Yes/No.
  virtual bool AskOkCancel(std::string_view question) { return AskYesNo(question); }
};

}  // namespace korva
