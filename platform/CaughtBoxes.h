// Boxes of a worker thread collected instead of shown, so that the UI thread can show
// them with the outcome they belong to.
#pragma once

#include <utility>
#include <vector>

#include "platform/MessageBox.h"

namespace platform {

// While it lives, the boxes of the calling thread go into `into`; a Yes/No box is
// answered No, any other OK.
class CaughtBoxes {
  public:
    explicit CaughtBoxes(std::vector<MessageBoxRequest>& into)
        : m_previous(SetThreadMessageBoxHandler([&into](const MessageBoxRequest& box) {
              into.push_back(box);
              return (box.style & 0xF) == MB_YESNO ? IDNO : IDOK;
          })) {}
    ~CaughtBoxes() { SetThreadMessageBoxHandler(std::move(m_previous)); }
    CaughtBoxes(const CaughtBoxes&) = delete;
    CaughtBoxes& operator=(const CaughtBoxes&) = delete;

  private:
    MessageBoxHandler m_previous;
};

} // namespace platform
