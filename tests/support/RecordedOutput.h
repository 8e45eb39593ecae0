// The program's message boxes and trace lines caught by a test instead of shown or written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"

namespace zel::test {

// For the object's life every message box is appended to boxes and answered IDOK, and
// every trace line is appended to traces; the handler and sink before it are put back
// when it goes. The lists belong to the caller and must outlive the object.
class RecordedOutput {
  public:
    RecordedOutput(std::vector<platform::MessageBoxRequest>& boxes,
                   std::vector<std::string>& traces)
        : previousBoxes_(platform::SetMessageBoxHandler([&boxes](const auto& request) {
              boxes.push_back(request);
              return platform::IDOK;
          })),
          previousSink_(platform::SetTraceSink(
              [&traces](std::string_view message) { traces.emplace_back(message); })) {}
    ~RecordedOutput() {
        platform::SetTraceSink(previousSink_);
        platform::SetMessageBoxHandler(previousBoxes_);
    }
    RecordedOutput(const RecordedOutput&) = delete;
    RecordedOutput& operator=(const RecordedOutput&) = delete;

  private:
    platform::MessageBoxHandler previousBoxes_;
    platform::TraceSink previousSink_;
};

} // namespace zel::test
