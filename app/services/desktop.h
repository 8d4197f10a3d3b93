#pragma once

#include <string>

// What the program asks of the desktop: opening web pages, mail links, files and folders in
// the applications the user chose. The window implements it; tests record the calls.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // Opens a URL (http:, mailto:, file:); false when nothing could open it.
  virtual bool OpenUrl(const std::string& url) = 0;
};
