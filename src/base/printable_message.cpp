// Cutting and escaping messages that quote a caller's text, with the library's one escaping.
#include "printable_message.hpp"

#include "quellix/printable.hpp"

namespace quellix::detail {

std::string printableMessage(std::string_view message) {
  constexpr std::string_view kCut = "...";
  std::string out;
  if (appendPrintable(message, kMessageLimit - kCut.size(), out) < message.size()) out += kCut;
  return out;
}

}  // namespace quellix::detail
