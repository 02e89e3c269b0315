// Running text and HTML (--text, --html): each input copied with the separator inserted at
// every break, on one thread or several.
#ifndef QUELLIX_TOOLS_TOOL_RUNNING_TEXT_HPP
#define QUELLIX_TOOLS_TOOL_RUNNING_TEXT_HPP

#include "quellix/hyphenator.hpp"
#include "tool_command_line.hpp"
#include "tool_io.hpp"

namespace quellix::tool {

// Copies each input (a file, or "-" for standard input; none: standard input) to out with
// the separator inserted at every break of every word. An input that cannot be opened or
// read is reported and the next one taken. Returns the exit status.
//
// With one thread the input is read in small blocks and what is decided is written at
// once. With several, plain text goes through PlainTextPipeline. HTML carries its markup
// state and the languages of open elements from block to block, which only the library's
// own cutting follows: blocks of jobs x 1 MiB are divided on that many threads while this
// thread writes the text of the block before and reads the one after. The output is the
// same byte for byte.
int hyphenateInputs(const Settings& settings, const quellix::Hyphenator& h, Output& out);

}  // namespace quellix::tool

#endif  // QUELLIX_TOOLS_TOOL_RUNNING_TEXT_HPP
